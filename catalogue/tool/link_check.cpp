#include "link_check.h"

#include <curl/curl.h>

#include <chrono>
#include <ctime>
#include <deque>
#include <memory>
#include <stdexcept>

namespace tnews::catalogue
{
namespace
{

struct Transfer
{
    std::string website;
    CURL* easy = nullptr;
    bool asGet = false;
    char error[CURL_ERROR_SIZE] = {};
};

// The body is of no interest: keep the first bytes so the server sees a reader, then stop.
// libcurl reports the stop as CURLE_WRITE_ERROR, which counts as an answer below.
std::size_t DiscardBody(char*, std::size_t size, std::size_t count, void*)
{
    (void)size;
    (void)count;
    return 0;
}

void Prepare(Transfer& t, const CheckOptions& options)
{
    CURL* e = t.easy;
    curl_easy_reset(e);
    curl_easy_setopt(e, CURLOPT_URL, t.website.c_str());
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, t.error);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, options.maxRedirects);
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_TIMEOUT, options.timeoutSeconds);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT, options.timeoutSeconds);
    curl_easy_setopt(e, CURLOPT_USERAGENT, "tnews-catalogue link check");
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, DiscardBody);
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, options.verifyTls ? 1L : 0L);
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, options.verifyTls ? 2L : 0L);
    if (t.asGet)
        curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
    else
        curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
    t.error[0] = '\0';
}

std::string Detail(CURLcode code, const Transfer& t, long timeoutSeconds)
{
    switch (code)
    {
    case CURLE_OPERATION_TIMEDOUT:
        return "timed out after " + std::to_string(timeoutSeconds) + " s";
    case CURLE_TOO_MANY_REDIRECTS:
        return "too many redirects";
    default:
        break;
    }
    std::string detail = curl_easy_strerror(code);
    if (t.error[0] != '\0')
        detail += ": " + std::string(t.error);
    return detail;
}

LinkCheck Result(const Transfer& t, CURLcode code, long timeoutSeconds)
{
    LinkCheck check;
    check.website = t.website;
    check.checkedAt = UtcNow();
    long status = 0;
    curl_easy_getinfo(t.easy, CURLINFO_RESPONSE_CODE, &status);
    check.httpStatus = static_cast<int>(status);
    const bool answered = status != 0 && (code == CURLE_OK || code == CURLE_WRITE_ERROR);
    if (status != 0)
    {
        char* url = nullptr;
        if (curl_easy_getinfo(t.easy, CURLINFO_EFFECTIVE_URL, &url) == CURLE_OK && url)
            check.finalUrl = url;
    }
    if (answered)
    {
        check.ok = status >= 200 && status < 300;
        if (!check.ok)
            check.detail = "HTTP " + std::to_string(status);
    }
    else
        check.detail = Detail(code, t, timeoutSeconds);
    return check;
}

} // namespace

void CheckWebsites(const std::vector<std::string>& websites, const CheckOptions& options,
                   const std::function<void(const LinkCheck&)>& done)
{
    static const CURLcode init = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (init != CURLE_OK)
        throw std::runtime_error("can't start libcurl: " + std::string(curl_easy_strerror(init)));
    std::unique_ptr<CURLM, decltype(&curl_multi_cleanup)> multi(curl_multi_init(),
                                                                 curl_multi_cleanup);
    if (!multi)
        throw std::runtime_error("can't start libcurl");

    const std::size_t slots = std::max<std::size_t>(1, options.concurrency);
    std::vector<Transfer> transfers(std::min(slots, websites.size()));
    std::deque<Transfer*> idle;
    for (Transfer& t : transfers)
    {
        t.easy = curl_easy_init();
        if (!t.easy)
            throw std::runtime_error("can't start libcurl");
        curl_easy_setopt(t.easy, CURLOPT_PRIVATE, &t);
        idle.push_back(&t);
    }
    const auto cleanup = [&]
    {
        for (Transfer& t : transfers)
        {
            curl_multi_remove_handle(multi.get(), t.easy);
            curl_easy_cleanup(t.easy);
        }
    };
    const auto start = [&](Transfer& t)
    {
        Prepare(t, options);
        curl_easy_setopt(t.easy, CURLOPT_PRIVATE, &t);
        curl_multi_add_handle(multi.get(), t.easy);
    };

    try
    {
        std::size_t next = 0;
        int running = 0;
        bool added = false;
        while (next < websites.size() || running > 0 || idle.size() < transfers.size())
        {
            while (!idle.empty() && next < websites.size())
            {
                Transfer* t = idle.front();
                idle.pop_front();
                t->website = websites[next++];
                t->asGet = false;
                start(*t);
                added = true;
            }
            // A handle added since the last perform needs a perform to start; polling first
            // would leave it, and freed slots, idle for up to the poll's timeout.
            if (!added && running > 0)
                curl_multi_poll(multi.get(), nullptr, 0, 1000, nullptr);
            added = false;
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
                long status = 0;
                curl_easy_getinfo(t->easy, CURLINFO_RESPONSE_CODE, &status);
                if (!t->asGet && code == CURLE_OK && status >= 400)
                {
                    t->asGet = true; // some servers refuse HEAD; ask as a browser would
                    start(*t);
                    added = true;
                    continue;
                }
                done(Result(*t, code, options.timeoutSeconds));
                idle.push_back(t);
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
    const auto parse = [](const std::string& text)
    {
        std::tm tm{};
        strptime(text.c_str(), "%Y-%m-%dT%H:%M:%SZ", &tm);
        return timegm(&tm);
    };
    const std::time_t then = parse(checkedAt);
    const std::time_t at = parse(now);
    return then <= at && at - then < static_cast<std::time_t>(days) * 24 * 3600;
}

} // namespace tnews::catalogue
