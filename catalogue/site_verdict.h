// What the link checks of one website say about it: answering (perhaps at a new address),
// failing for now, not answering for a week or more, or parked; and how much of its history the
// checks file needs to keep for that.
#pragma once

#include "catalogue_file.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tnews::catalogue
{

/// Failures at least this far apart, with no answer between or since, mean a site has gone.
inline constexpr std::int64_t kNotAnsweringSeconds = 7 * 24 * 3600;

struct SiteVerdict
{
    enum class State
    {
        Unchecked,    // no check yet
        Answering,    // its latest check found the site's own page
        Failing,      // its latest check failed, but not for long enough to count as gone
        NotAnswering, // failed in checks at least kNotAnsweringSeconds apart, no answer since
        Parked,       // its latest page was a domain-parking or for-sale page
    };
    State state = State::Unchecked;
    LinkCheck latest;    // the latest check; empty when Unchecked
    std::string since;   // NotAnswering: the time of its first failure since it last answered
    std::string movedTo; // Answering: where permanent redirects to another host lead; or empty
    std::optional<LinkCheck> lastAnswer; // LastAnswer of its checks: the last sign of life
};

/// The verdict on one website from all its checks, in any order.
SiteVerdict JudgeSite(std::span<const LinkCheck> checks);

/// The latest of one website's `checks` in which it answered with its own page: when it last
/// answered (checkedAt) and at which address (finalUrl). Null when it never did.
const LinkCheck* LastAnswer(std::span<const LinkCheck> checks);

/// One website's `checks`, oldest first, cut to the latest few and the older ones that
/// JudgeSite and LastAnswer still need, so that each gives the same answer for the result.
std::vector<LinkCheck> TrimHistory(std::vector<LinkCheck> checks);

/// `checks` by website, each website's oldest first.
std::map<std::string, std::vector<LinkCheck>, std::less<>>
ChecksBySite(std::vector<LinkCheck> checks);

} // namespace tnews::catalogue
