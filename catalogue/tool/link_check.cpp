#include "link_check.h"

#include "parking.h"
#include "tnews/build_config.h"
#include "website_key.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <unordered_map>
#include <utility>

namespace tnews::catalogue
{
namespace
{

using Clock = std::chrono::steady_clock;

// Site operators who wonder about the requests can see whose they are and where to ask.
const std::string kUserAgent = "tnews-catalogue/" + std::to_string(Major) + "." +
                               std::to_string(Minor) + "." + std::to_string(Revision) +
                               " (link check of Tavi's Newspapers; +" TNEWS_HOMEPAGE ")";

// The first bytes of a final page are enough for the parking markers, which stand near the top.
constexpr std::size_t kBodyBytes = 16 * 1024;
constexpr int kMaxRetries = 2;

// One website's way from its address to a final page, a request at a time.
struct Site
{
    std::string website;
    std::string url;  // the address asked next
    std::string host; // url's host: the per-host limit counts by it
    bool asGet = false;
    long redirects = 0;
    int retries = 0;
    bool permanent = true; // every redirect so far was a 301 or 308
    std::string movedTo;   // where the permanent redirects led
};

struct Transfer
{
    CURL* easy = nullptr;
    Site* site = nullptr;
    std::string body;
    char error[CURL_ERROR_SIZE] = {};
};

struct Host
{
    std::deque<Site*> waiting;
    int inFlight = 0;
    Clock::time_point pausedUntil{};
};

std::size_t KeepBodyStart(char* data, std::size_t size, std::size_t count, void* transfer)
{
    std::string& body = static_cast<Transfer*>(transfer)->body;
    body.append(data, std::min(size * count, kBodyBytes - body.size()));
    // Stopping here is reported as CURLE_WRITE_ERROR, which counts as an answer below.
    return body.size() < kBodyBytes ? size * count : 0;
}

void Prepare(Transfer& t, const CheckOptions& options, curl_slist* resolve)
{
    CURL* e = t.easy;
    curl_easy_reset(e);
    t.body.clear();
    t.error[0] = '\0';
    curl_easy_setopt(e, CURLOPT_PRIVATE, &t);
    curl_easy_setopt(e, CURLOPT_URL, t.site->url.c_str());
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, t.error);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    // Redirects are followed here, one request at a time, so that each hop's status and host
    // count: a permanent move, the host's limit, a Retry-After.
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_TIMEOUT, options.timeoutSeconds);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT, options.timeoutSeconds);
    curl_easy_setopt(e, CURLOPT_USERAGENT, kUserAgent.c_str());
    curl_easy_setopt(e, CURLOPT_ACCEPT_ENCODING, ""); // markers are looked for in plain text
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, KeepBodyStart);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, options.verifyTls ? 1L : 0L);
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, options.verifyTls ? 2L : 0L);
    if (resolve)
        curl_easy_setopt(e, CURLOPT_RESOLVE, resolve);
    if (t.site->asGet)
        curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
    else
        curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
}

std::string Detail(CURLcode code, const Transfer& t, long timeoutSeconds)
{
    if (code == CURLE_OPERATION_TIMEDOUT)
        return "timed out after " + std::to_string(timeoutSeconds) + " s";
    std::string detail = curl_easy_strerror(code);
    if (t.error[0] != '\0')
        detail += ": " + std::string(t.error);
    return detail;
}

// No answer because nothing could be reached at all: what every site shows when the checker's
// own network is down.
bool Unreachable(CURLcode code, CURL* easy)
{
    if (code == CURLE_COULDNT_RESOLVE_HOST || code == CURLE_COULDNT_RESOLVE_PROXY ||
        code == CURLE_COULDNT_CONNECT)
    {
        return true;
    }
    curl_off_t connected = 0;
    return code == CURLE_OPERATION_TIMEDOUT &&
           curl_easy_getinfo(easy, CURLINFO_CONNECT_TIME_T, &connected) == CURLE_OK &&
           connected == 0;
}

// Hosts compared for a move: "www.example.com" is the same site as "example.com".
std::string SiteHost(const std::string& url)
{
    std::string host = UrlHost(url).value_or(url);
    return host.starts_with("www.") ? host.substr(4) : host;
}

CheckOutcome Finished(const Site& site, int status, const CheckOptions& options)
{
    CheckOutcome outcome;
    LinkCheck& check = outcome.check;
    check.website = site.website;
    check.httpStatus = status;
    check.finalUrl = status != 0 ? site.url : "";
    check.checkedAt = options.now();
    if (!site.movedTo.empty() && SiteHost(site.movedTo) != SiteHost(site.website))
        check.movedTo = site.movedTo;
    return outcome;
}

CheckOutcome Failed(const Site& site, int status, std::string detail, const CheckOptions& options)
{
    CheckOutcome outcome = Finished(site, status, options);
    outcome.check.detail = std::move(detail);
    return outcome;
}

// What to do after one answer: ask again (the same or the next address, perhaps after a
// pause), or record the outcome.
struct Step
{
    std::optional<CheckOutcome> done;
    std::chrono::seconds pause{0};
};

Step Advance(Transfer& t, CURLcode code, const CheckOptions& options)
{
    Site& site = *t.site;
    long status = 0;
    curl_easy_getinfo(t.easy, CURLINFO_RESPONSE_CODE, &status);
    const int httpStatus = static_cast<int>(status);
    if (status == 0 || (code != CURLE_OK && code != CURLE_WRITE_ERROR))
    {
        CheckOutcome outcome = Failed(site, 0, Detail(code, t, options.timeoutSeconds), options);
        outcome.unreachable = Unreachable(code, t.easy);
        return {outcome};
    }
    curl_off_t wait = 0;
    if ((status == 429 || status == 503) &&
        curl_easy_getinfo(t.easy, CURLINFO_RETRY_AFTER, &wait) == CURLE_OK && wait > 0)
    {
        if (wait <= options.retryAfterCapSeconds && site.retries < kMaxRetries)
        {
            ++site.retries;
            return {std::nullopt, std::chrono::seconds(wait)};
        }
        // Asked to wait longer than a check does, or again: ask no more, not even with GET.
        return {Failed(site, httpStatus,
                       "HTTP " + std::to_string(status) + ", asked to wait " +
                           std::to_string(wait) + " s (the check waits up to " +
                           std::to_string(options.retryAfterCapSeconds) + " s, twice)",
                       options)};
    }
    char* location = nullptr;
    if (status >= 300 && status < 400 &&
        curl_easy_getinfo(t.easy, CURLINFO_REDIRECT_URL, &location) == CURLE_OK && location)
    {
        if (++site.redirects > options.maxRedirects)
            return {Failed(site, httpStatus, "too many redirects", options)};
        site.permanent = site.permanent && (status == 301 || status == 308);
        if (site.permanent)
            site.movedTo = location;
        const std::optional<std::string> host = UrlHost(location);
        if (!host)
            return {Failed(site, httpStatus,
                           "redirected to " + std::string(location) + ", not a web address",
                           options)};
        site.url = location;
        site.host = *host;
        return {};
    }
    if (status >= 200 && status < 300)
    {
        if (IsParkingPage(site.url, t.body))
        {
            CheckOutcome outcome =
                Failed(site, httpStatus, "a domain-parking or for-sale page", options);
            outcome.check.parked = true;
            return {outcome};
        }
        if (!site.asGet)
        {
            site.asGet = true; // the final page's first bytes, for the parking markers
            return {};
        }
        CheckOutcome outcome = Finished(site, httpStatus, options);
        outcome.check.ok = true;
        return {outcome};
    }
    if (!site.asGet)
    {
        site.asGet = true; // some servers refuse HEAD; ask as a browser would
        return {};
    }
    return {Failed(site, httpStatus, "HTTP " + std::to_string(status), options)};
}

} // namespace

void CheckWebsites(const std::vector<std::string>& websites, const CheckOptions& options,
                   const std::function<bool(const CheckOutcome&)>& done)
{
    static const CURLcode init = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (init != CURLE_OK)
        throw std::runtime_error("can't start libcurl: " + std::string(curl_easy_strerror(init)));
    std::unique_ptr<CURLM, decltype(&curl_multi_cleanup)> multi(curl_multi_init(),
                                                                 curl_multi_cleanup);
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> resolve(nullptr,
                                                                        curl_slist_free_all);
    for (const std::string& entry : options.resolve)
    {
        curl_slist* list = curl_slist_append(resolve.get(), entry.c_str());
        if (!list)
            throw std::runtime_error("can't start libcurl");
        (void)resolve.release();
        resolve.reset(list);
    }

    // Every site waits in its host's queue; `ready` names the hosts that may have a request to
    // start, in turn, so that one busy host never holds the free slots.
    std::vector<Site> sites(websites.size());
    std::unordered_map<std::string, Host> hosts;
    std::deque<std::string> ready;
    std::multimap<Clock::time_point, std::string> paused;
    std::size_t finished = 0;
    const auto enqueue = [&](Site& site, bool front)
    {
        Host& host = hosts[site.host];
        if (front)
            host.waiting.push_front(&site);
        else
            host.waiting.push_back(&site);
        ready.push_back(site.host);
    };
    const auto finish = [&](const CheckOutcome& outcome)
    {
        ++finished;
        return done(outcome);
    };
    for (std::size_t i = 0; i < websites.size(); ++i)
    {
        Site& site = sites[i];
        site.website = site.url = websites[i];
        if (const std::optional<std::string> host = UrlHost(site.url))
        {
            site.host = *host;
            enqueue(site, false);
        }
        else if (!finish(Failed(site, 0, "not an absolute http or https URL", options)))
            return;
    }

    const std::size_t slots = std::max<std::size_t>(1, options.concurrency);
    std::vector<Transfer> transfers(std::min(slots, websites.size()));
    std::vector<Transfer*> idle;
    const auto cleanup = [&]
    {
        for (Transfer& t : transfers)
        {
            if (t.site)
                curl_multi_remove_handle(multi.get(), t.easy);
            curl_easy_cleanup(t.easy);
        }
    };
    for (Transfer& t : transfers)
    {
        t.easy = curl_easy_init();
        idle.push_back(&t);
    }
    if (!multi || std::ranges::any_of(transfers, [](const Transfer& t) { return !t.easy; }))
    {
        cleanup();
        throw std::runtime_error("can't start libcurl");
    }

    try
    {
        int running = 0;
        while (finished < sites.size())
        {
            const Clock::time_point now = Clock::now();
            while (!paused.empty() && paused.begin()->first <= now)
            {
                ready.push_back(paused.begin()->second);
                paused.erase(paused.begin());
            }
            bool added = false;
            while (!idle.empty() && !ready.empty())
            {
                const std::string name = std::move(ready.front());
                ready.pop_front();
                Host& host = hosts[name];
                if (host.waiting.empty() || host.inFlight >= kRequestsPerHost ||
                    host.pausedUntil > now)
                {
                    continue;
                }
                Transfer& t = *idle.back();
                idle.pop_back();
                t.site = host.waiting.front();
                host.waiting.pop_front();
                ++host.inFlight;
                Prepare(t, options, resolve.get());
                curl_multi_add_handle(multi.get(), t.easy);
                added = true;
                if (!host.waiting.empty() && host.inFlight < kRequestsPerHost)
                    ready.push_back(name);
            }
            // A handle added since the last perform needs a perform to start; polling first
            // would leave it, and freed slots, idle for up to the poll's timeout.
            if (!added)
            {
                int wait = 1000;
                if (!paused.empty())
                {
                    const auto until = paused.begin()->first - Clock::now();
                    wait = static_cast<int>(std::clamp<long long>(
                        std::chrono::duration_cast<std::chrono::milliseconds>(until).count() + 1, 0,
                        1000));
                }
                curl_multi_poll(multi.get(), nullptr, 0, wait, nullptr);
            }
            curl_multi_perform(multi.get(), &running);
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued))
            {
                if (message->msg != CURLMSG_DONE)
                    continue;
                Transfer* t = nullptr;
                curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &t);
                const CURLcode code = message->data.result;
                curl_multi_remove_handle(multi.get(), t->easy);
                Site& site = *t->site;
                const std::string hostName = site.host; // a redirect may change the site's
                Host& host = hosts[hostName];
                --host.inFlight;
                const Step step = Advance(*t, code, options);
                t->site = nullptr;
                idle.push_back(t);
                if (!host.waiting.empty())
                    ready.push_back(hostName);
                if (step.done)
                {
                    if (!finish(*step.done))
                    {
                        cleanup();
                        return;
                    }
                }
                else if (step.pause.count() > 0)
                {
                    // The host asked for a pause: no request to it until then, this one first.
                    host.pausedUntil = Clock::now() + step.pause;
                    paused.emplace(host.pausedUntil, hostName);
                    host.waiting.push_front(&site);
                }
                else
                    enqueue(site, true);
            }
        }
    }
    catch (...)
    {
        cleanup();
        throw;
    }
    cleanup();
}

std::string UtcNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

bool CheckedWithin(const std::string& checkedAt, const std::string& now, int days)
{
    const std::optional<std::int64_t> then = UtcSeconds(checkedAt), at = UtcSeconds(now);
    return then && at && *then <= *at && *at - *then < std::int64_t{days} * 24 * 3600;
}

OutageGuard::OutageGuard(const std::vector<std::string>& websites)
{
    for (const std::string& website : websites)
    {
        if (m_awaited.size() == kFirstHosts)
            break;
        m_awaited.insert(UrlHost(website).value_or(website));
    }
}

std::vector<LinkCheck> OutageGuard::Add(const CheckOutcome& outcome)
{
    if (Outage())
        return {};
    m_held.push_back(outcome.check);
    const std::string host = UrlHost(outcome.check.website).value_or(outcome.check.website);
    if (!m_judged)
    {
        // A host that answered once is reachable, however its other papers fared.
        if (m_awaited.erase(host) > 0 || m_firstHosts.contains(host))
            m_firstHosts[host] = m_firstHosts[host] || !outcome.unreachable;
        if (!m_awaited.empty())
            return {};
        Judge();
        if (Outage())
            return {};
    }
    if (!outcome.unreachable)
        return Release();
    m_streak.insert(host);
    if (m_streak.size() >= kStreakHosts)
    {
        m_why = "the last " + std::to_string(m_streak.size()) +
                " hosts in a row could not be reached (no name resolution or no connection): "
                "the network seems to have gone down during the run, and their results were "
                "not recorded";
    }
    return {};
}

std::vector<LinkCheck> OutageGuard::Finish()
{
    if (!m_judged)
        Judge();
    return Outage() ? std::vector<LinkCheck>{} : Release();
}

void OutageGuard::Judge()
{
    m_judged = true;
    const auto unreachable = static_cast<std::size_t>(
        std::ranges::count_if(m_firstHosts, [](const auto& host) { return !host.second; }));
    if (unreachable * 2 > m_firstHosts.size())
    {
        m_why = std::to_string(unreachable) + " of the first " +
                std::to_string(m_firstHosts.size()) +
                " hosts could not be reached (no name resolution or no connection): the "
                "network seems to be down, and nothing was recorded";
    }
}

std::vector<LinkCheck> OutageGuard::Release()
{
    m_streak.clear();
    return std::exchange(m_held, {});
}

} // namespace tnews::catalogue
