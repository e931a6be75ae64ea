#include "paper_status.h"

#include "text_fields.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace tnews::catalogue
{
namespace
{

bool IsNumber(std::string_view text, int low, int high)
{
    int value = -1;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= low &&
           value <= high;
}

// The first and the last day a date may mean, as "YYYY-MM-DD", whose text order is their time
// order. Any month may end on the 31st here: no real day falls between its end and the 31st.
std::string FirstDay(std::string_view date)
{
    return std::string(date) + std::string("-01-01").substr(date.size() - 4);
}

std::string LastDay(std::string_view date)
{
    return std::string(date) + std::string("-12-31").substr(date.size() - 4);
}

} // namespace

bool IsNewerDate(std::string_view a, std::string_view b)
{
    return std::pair(LastDay(a), FirstDay(a)) > std::pair(LastDay(b), FirstDay(b));
}

bool IsEvidenceDate(std::string_view date)
{
    if (date.size() != 4 && date.size() != 7 && date.size() != 10)
        return false;
    if (!IsNumber(date.substr(0, 4), 1000, 9999))
        return false;
    if (date.size() >= 7 && (date[4] != '-' || !IsNumber(date.substr(5, 2), 1, 12)))
        return false;
    return date.size() < 10 || (date[7] == '-' && IsNumber(date.substr(8, 2), 1, 31));
}

bool SurelyAfter(std::string_view later, std::string_view earlier)
{
    return FirstDay(later) > LastDay(earlier);
}

std::optional<SignOfLife> SignOfLifeFromCheck(const LinkCheck& check)
{
    if (!check.ok || check.checkedAt.size() < 10)
        return std::nullopt;
    if (!check.finalUrl.empty() && WebsiteHost(check.finalUrl) != WebsiteHost(check.website))
        return std::nullopt;
    return SignOfLife{check.checkedAt.substr(0, 10), "", "link check"};
}

PaperStatus DecidePaperStatus(const Paper& paper, std::span<const LinkCheck> checks)
{
    PaperStatus status;
    for (const ClosureReport& report : paper.closures)
    {
        if (!status.closure || IsNewerDate(report.date, status.closure->date))
            status.closure = &report;
    }
    status.reportedClosed = status.closure != nullptr;
    const auto consider = [&](const SignOfLife& sign)
    {
        // The curated list's word keeps a paper live but is nobody's sight of its site.
        const bool seen = sign.sourceId != kCuratedSourceId;
        if (seen && (!status.lastSeen || IsNewerDate(sign.date, status.lastSeen->date)))
            status.lastSeen = sign;
        // Any sign surely after the report counts, even one less precise than the newest.
        if (status.closure && SurelyAfter(sign.date, status.closure->date))
            status.reportedClosed = false;
    };
    for (const SignOfLife& sign : paper.alive)
        consider(sign);
    for (const LinkCheck& check : checks)
    {
        if (std::optional<SignOfLife> sign = SignOfLifeFromCheck(check))
            consider(*sign);
    }
    return status;
}

const Source* NewestListing(const Paper& paper, std::span<const Source> sources)
{
    const Source* newest = nullptr;
    for (const std::string& id : paper.sources)
    {
        auto source = std::ranges::find(sources, id, &Source::id);
        if (source != sources.end() && (!newest || IsNewerDate(source->date, newest->date)))
            newest = &*source;
    }
    return newest;
}

} // namespace tnews::catalogue
