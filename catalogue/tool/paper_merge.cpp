#include "paper_merge.h"

#include "catalogue/paper_status.h"
#include "catalogue/text_fields.h"
#include "directory/ascii.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tnews::catalogue
{
namespace
{

bool Shares(const std::vector<std::string>& some, const std::vector<std::string>& others)
{
    return std::ranges::any_of(some, [&](const std::string& key)
                               { return std::ranges::find(others, key) != others.end(); });
}

bool NewerDate(const MergeCandidate& a, const MergeCandidate& b)
{
    return !a.newest.empty() && (b.newest.empty() || SurelyAfter(a.newest, b.newest));
}

double DistanceKm(const GeoPoint& a, const GeoPoint& b)
{
    // The haversine formula on a sphere of the earth's mean radius: a few kilometres off at
    // most, plenty for telling a county's towns from another county's.
    constexpr double kRadiusKm = 6371;
    constexpr double kRadians = std::numbers::pi / 180;
    const double dLatitude = (b.latitude - a.latitude) * kRadians;
    const double dLongitude = (b.longitude - a.longitude) * kRadians;
    const double h = std::pow(std::sin(dLatitude / 2), 2) +
                     std::cos(a.latitude * kRadians) * std::cos(b.latitude * kRadians) *
                         std::pow(std::sin(dLongitude / 2), 2);
    return 2 * kRadiusKm * std::asin(std::sqrt(std::min(1.0, h)));
}

// A site's home page: an address whose key is its host alone.
bool IsHomePage(const MergeCandidate& candidate)
{
    return !candidate.keys.empty() &&
           candidate.keys.front().find_first_of("/?") == std::string::npos;
}

} // namespace

bool IsAreaName(std::string_view town)
{
    constexpr std::string_view kAreas[] = {" County", " Parish", " Borough", " Municipality",
                                           " Census Area"};
    return std::ranges::any_of(kAreas, [&](std::string_view area) { return town.ends_with(area); });
}

bool TownsDiffer(const MergeCandidate& a, const MergeCandidate& b)
{
    if (a.city.empty() || b.city.empty() || ComparableName(a.city) == ComparableName(b.city))
        return false;
    // 3DLNews gives many papers' counties where others give their towns.
    const bool area = IsAreaName(a.city) || IsAreaName(b.city);
    return !(area && a.point && b.point && DistanceKm(*a.point, *b.point) < kAreaReachKm);
}

std::string ComparableName(std::string_view name)
{
    std::string lower = AsciiLower(name);
    if (lower.starts_with("the "))
        lower.erase(0, 4);
    std::string compared;
    for (char c : lower)
    {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            static_cast<unsigned char>(c) >= 0x80)
            compared += c;
    }
    constexpr std::string_view kNewspaper = "newspaper";
    if (compared.ends_with(kNewspaper) && compared.size() > kNewspaper.size())
        compared.resize(compared.size() - kNewspaper.size());
    return compared;
}

std::optional<MergeDecision> SamePaper(const MergeCandidate& a, const MergeCandidate& b)
{
    // Sections of a chain's shared site for two towns may be two papers; a home page and a
    // section of it are one.
    if (WebsiteHost(a.website) == WebsiteHost(b.website) &&
        (!TownsDiffer(a, b) || IsHomePage(a) || IsHomePage(b)))
    {
        const bool aFirst =
            NewerDate(a, b) || (!NewerDate(b, a) && a.website.size() <= b.website.size());
        return MergeDecision{MergeReason::SameSite, aFirst};
    }
    if (Shares(a.redirectKeys, b.keys) || Shares(b.redirectKeys, a.keys))
        return MergeDecision{MergeReason::Redirect, Shares(b.redirectKeys, a.keys)};
    if (Shares(a.successorKeys, b.keys) || Shares(b.successorKeys, a.keys))
        return MergeDecision{MergeReason::Successor, Shares(b.successorKeys, a.keys)};
    if (TownsDiffer(a, b))
        return std::nullopt;
    if (NewerDate(a, b) && !b.newest.empty())
        return MergeDecision{MergeReason::OlderAddress, true};
    if (NewerDate(b, a) && !a.newest.empty())
        return MergeDecision{MergeReason::OlderAddress, false};
    return std::nullopt;
}

} // namespace tnews::catalogue
