// When two entries of one place are one paper under two addresses, and which address is the
// newer: decided only by evidence in the data, never by a likeness of names alone.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tnews::catalogue
{

/// A point on the earth, in degrees.
struct GeoPoint
{
    double latitude = 0;
    double longitude = 0;
};

/// What the data says of one entry, for comparing it with another of the same place and name.
struct MergeCandidate
{
    std::string city;                       // empty when no source names one
    std::optional<GeoPoint> point;          // where its source puts the town, when it does
    std::string website;                    // its newest address
    std::vector<std::string> keys;          // WebsiteKey of each of its addresses
    std::string newest;                     // date of its newest listing or sign of life
    std::vector<std::string> redirectKeys;  // where recorded redirects from its addresses end
    std::vector<std::string> successorKeys; // the addresses of what continued it
};

/// Why two entries are one paper.
enum class MergeReason
{
    SameSite,     // two pages of one site (the same host), as of one paper in several towns
    Redirect,     // one address was seen to redirect to the other
    Successor,    // Wikidata names the one as the other's successor
    OlderAddress, // one address is listed only in sources older than every listing of the other
};

struct MergeDecision
{
    MergeReason reason;
    bool firstIsNewer; // the first entry's address goes first
};

/// Whether `a` and `b`, entries of one place with the same ComparableName and kind, are one
/// paper, and which address is the newer; nothing when they may be two papers that share a
/// name. Pages of one site are one paper, the newer (else the shorter, a home page) first,
/// unless they are two sections of it for different towns; a redirect or a successor joins
/// them, its target first; else an address listed only before every listing of the other is
/// that paper's older address, unless the two name different towns (TownsDiffer).
std::optional<MergeDecision> SamePaper(const MergeCandidate& a, const MergeCandidate& b);

/// True if `a` and `b` name different towns: both name one, the names differ, and neither is a
/// county, parish or borough (IsAreaName) that may hold the other's town, its sources' points
/// less than kAreaReachKm apart.
bool TownsDiffer(const MergeCandidate& a, const MergeCandidate& b);

/// How far from a county's point (its seat or centre) one of its towns may lie.
inline constexpr double kAreaReachKm = 40;

/// True for the name of an area that holds towns: "Hillsborough County", "Orleans Parish".
bool IsAreaName(std::string_view town);

/// The name as entries are compared: ASCII letters in lower case, only letters and digits
/// (other scripts kept as they are), a leading "The" and a trailing "Newspaper" left off.
std::string ComparableName(std::string_view name);

} // namespace tnews::catalogue
