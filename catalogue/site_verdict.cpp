#include "site_verdict.h"

#include <algorithm>

namespace tnews::catalogue
{
namespace
{

// The latest checks kept besides those the verdict needs: a few weeks of weekly runs, enough to
// read a site's recent record in the file.
constexpr std::size_t kRecentChecks = 4;

// The times are all "YYYY-MM-DDThh:mm:ssZ", so their text order is their time order.
bool Older(const LinkCheck& a, const LinkCheck& b)
{
    return a.checkedAt < b.checkedAt;
}

bool GotPage(const LinkCheck& check)
{
    return check.ok || check.parked;
}

std::vector<const LinkCheck*> OldestFirst(std::span<const LinkCheck> checks)
{
    std::vector<const LinkCheck*> sorted;
    for (const LinkCheck& check : checks)
        sorted.push_back(&check);
    std::ranges::stable_sort(sorted,
                             [](const LinkCheck* a, const LinkCheck* b) { return Older(*a, *b); });
    return sorted;
}

// The checks are parsed from the file or stamped from the clock, so their times are well formed.
std::int64_t Seconds(const LinkCheck& check)
{
    return UtcSeconds(check.checkedAt).value_or(0);
}

} // namespace

SiteVerdict JudgeSite(std::span<const LinkCheck> checks)
{
    SiteVerdict verdict;
    const std::vector<const LinkCheck*> sorted = OldestFirst(checks);
    if (sorted.empty())
        return verdict;
    verdict.latest = *sorted.back();
    if (const LinkCheck* answer = LastAnswer(checks))
        verdict.lastAnswer = *answer;
    // The failures since the site last gave a page, its own or a parking page.
    const auto lastPage = std::find_if(sorted.rbegin(), sorted.rend(),
                                       [](const LinkCheck* c) { return GotPage(*c); });
    const auto firstFailure = lastPage.base();
    if (firstFailure != sorted.end() &&
        Seconds(*sorted.back()) - Seconds(**firstFailure) >= kNotAnsweringSeconds)
    {
        verdict.state = SiteVerdict::State::NotAnswering;
        verdict.since = (*firstFailure)->checkedAt;
    }
    else if (lastPage != sorted.rend() && (*lastPage)->parked)
        verdict.state = SiteVerdict::State::Parked;
    else if (firstFailure != sorted.end())
        verdict.state = SiteVerdict::State::Failing;
    else
    {
        verdict.state = SiteVerdict::State::Answering;
        verdict.movedTo = verdict.latest.movedTo;
    }
    return verdict;
}

const LinkCheck* LastAnswer(std::span<const LinkCheck> checks)
{
    const LinkCheck* last = nullptr;
    for (const LinkCheck& check : checks)
    {
        if (check.ok && (!last || !Older(check, *last)))
            last = &check;
    }
    return last;
}

std::vector<LinkCheck> TrimHistory(std::vector<LinkCheck> checks)
{
    if (checks.empty())
        return checks;
    std::ranges::stable_sort(checks, Older);
    const std::size_t size = checks.size();
    std::vector<bool> keep(size, false);
    for (std::size_t i = size > kRecentChecks ? size - kRecentChecks : 0; i < size; ++i)
        keep[i] = true;
    // The latest answer, the latest page of any kind and the first failure after it.
    std::size_t lastPage = size;
    for (std::size_t i = size; i-- > 0;)
    {
        if (GotPage(checks[i]) && lastPage == size)
            lastPage = i;
        if (checks[i].ok)
        {
            keep[i] = true;
            break;
        }
    }
    if (lastPage != size)
        keep[lastPage] = true;
    // The first failure since that page, or the first check of all when none gave a page.
    const std::size_t firstFailure = lastPage == size ? 0 : lastPage + 1;
    if (firstFailure < size)
        keep[firstFailure] = true;
    std::vector<LinkCheck> kept;
    for (std::size_t i = 0; i < size; ++i)
    {
        if (keep[i])
            kept.push_back(std::move(checks[i]));
    }
    return kept;
}

std::map<std::string, std::vector<LinkCheck>, std::less<>>
ChecksBySite(std::vector<LinkCheck> checks)
{
    std::map<std::string, std::vector<LinkCheck>, std::less<>> bySite;
    for (LinkCheck& check : checks)
        bySite[check.website].push_back(std::move(check));
    for (auto& [website, history] : bySite)
        std::ranges::stable_sort(history, Older);
    return bySite;
}

} // namespace tnews::catalogue
