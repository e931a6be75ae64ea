// tnews-catalogue check: whether each website still answers, with libcurl's multi interface,
// and the guard that keeps an outage of the checker's own network out of the record.
#pragma once

#include "catalogue/catalogue_file.h"

#include <cstddef>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace tnews::catalogue
{

/// Requests in flight at once to one host name, whatever the concurrency: many papers share a
/// publisher's host.
inline constexpr int kRequestsPerHost = 2;

/// The current time in UTC as the checks file writes it: "2026-12-07T08:00:00Z".
std::string UtcNow();

struct CheckOptions
{
    std::size_t concurrency = 16; // requests in flight at once
    long timeoutSeconds = 20;     // for each request
    long maxRedirects = 10;
    long retryAfterCapSeconds = 120; // a 429 or 503 asking to wait longer is a failure
    bool verifyTls = true;           // tests turn it off only to reach a TLS server at all
    // libcurl's CURLOPT_RESOLVE entries ("HOST:PORT:ADDRESS", "*" for any host), for tests and
    // benchmarks that give loopback many names.
    std::vector<std::string> resolve;
    std::function<std::string()> now = UtcNow; // stamps each result
};

/// The result of one website, and whether it looked unreachable: its host did not resolve,
/// refused or never completed the connection, as every site does when the checker is offline.
struct CheckOutcome
{
    LinkCheck check;
    bool unreachable = false;
};

/// Checks every URL of `websites` politely: at most options.concurrency requests at once and
/// kRequestsPerHost to one host, with a User-Agent that names the program and its publisher.
/// Each site is asked with HEAD, redirects followed one by one; a site that answers HEAD with an
/// error is asked again with GET, since some servers refuse HEAD, and the final page is fetched
/// with GET for its first bytes. A 429 or 503 with a Retry-After within the cap pauses that
/// host and asks again, at most twice. A site answers when its final page is 2xx and not a
/// parking page (IsParkingPage). Calls `done` with each outcome as it comes, on the calling
/// thread; when `done` returns false, the requests in flight are dropped and it returns. Never
/// throws for a site's failure; each failure's detail says what happened.
void CheckWebsites(const std::vector<std::string>& websites, const CheckOptions& options,
                   const std::function<bool(const CheckOutcome&)>& done);

/// True if `checkedAt` is within `days` days before `now` (both as UtcNow writes them).
bool CheckedWithin(const std::string& checkedAt, const std::string& now, int days);

/// Holds a run's results back until they can be told from an outage of the checker's own
/// network. The first kFirstHosts hosts the run asks decide: every result is held until each of
/// them has answered or not, and when most of them were unreachable, the run is an outage (they
/// count in the order they were asked, since unreachable ones fail faster than others answer).
/// Later, unreachable results are held until a reachable one comes; kStreakHosts unreachable
/// hosts in a row are an outage.
class OutageGuard
{
public:
    static constexpr std::size_t kFirstHosts = 50;
    static constexpr std::size_t kStreakHosts = 20;

    /// `websites` in the order the run asks them.
    explicit OutageGuard(const std::vector<std::string>& websites);

    /// Takes one outcome; returns the checks now known to be worth recording (often none).
    std::vector<LinkCheck> Add(const CheckOutcome& outcome);
    /// At the end of the run: the checks still held, unless they make an outage.
    std::vector<LinkCheck> Finish();
    /// True once the results look like an outage; nothing held then is ever recorded.
    bool Outage() const { return !m_why.empty(); }
    /// What the outage looked like, in a sentence; empty when there is none.
    const std::string& Why() const { return m_why; }

private:
    std::vector<LinkCheck> Release();
    void Judge();

    std::set<std::string> m_awaited;          // first hosts with no outcome yet
    std::map<std::string, bool> m_firstHosts; // those with one: did any of theirs answer?
    bool m_judged = false;
    std::vector<LinkCheck> m_held;
    std::set<std::string> m_streak; // unreachable hosts since the last reachable one
    std::string m_why;
};

} // namespace tnews::catalogue
