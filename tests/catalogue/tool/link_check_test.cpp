#include "catalogue/site_verdict.h"
#include "catalogue/tool/commands.h"
#include "catalogue/tool/link_check.h"
#include "fixture_sources.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <sstream>

namespace tnews::catalogue
{
namespace
{

using std::chrono::steady_clock;
using testing::TempFolder;

// Binds `s` to a free loopback port and returns the port.
int BindLoopback(int s)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    auto* generic = reinterpret_cast<sockaddr*>(&address);
    EXPECT_TRUE(bind(s, generic, length) == 0 && getsockname(s, generic, &length) == 0);
    return ntohs(address.sin_port);
}

// Websites on loopback, under any name (the checker resolves every name to 127.0.0.1): pages
// that answer, redirect, fail, are slow, busy, parked or refuse HEAD; a port that resets every
// connection; and a TLS server whose certificate nobody signed. It records when each request
// came and, per host name, how many were in flight at most.
class LoopbackSites
{
public:
    explicit LoopbackSites(const std::filesystem::path& certificateFolder)
    {
        // Enough threads for every kept-alive connection of a check.
        m_http.new_task_queue = [] { return new httplib::ThreadPool(32); };
        m_http.set_pre_routing_handler(
            [this](const httplib::Request& req, httplib::Response&)
            {
                const std::lock_guard lock(m_mutex);
                m_seen.requests[req.get_header_value("Host") + req.path].emplace_back(
                    req.method, steady_clock::now());
                m_seen.userAgent = req.get_header_value("User-Agent");
                return httplib::Server::HandlerResponse::Unhandled;
            });
        m_http.Get("/ok", [](const auto&, auto& res) { res.set_content("fine", "text/plain"); });
        for (const auto& [from, to] : {std::pair{"/r1", "/r2"}, {"/r2", "/ok"}, {"/loop", "/loop"}})
            m_http.Get(from, [to](const auto&, auto& res) { res.set_redirect(to, 301); });
        // "/301/HOST/PATH": a redirect with that status to PATH on HOST (on loopback).
        m_http.Get(R"(/(30[12])/([^/]+)(/.*))",
                   [this](const httplib::Request& req, auto& res)
                   {
                       res.set_redirect("http://" + Host(req.matches[2]) + req.matches[3].str(),
                                        std::stoi(req.matches[1]));
                   });
        m_http.Get("/parked",
                   [](const auto&, auto& res) {
                       res.set_content("<script src=\"//img.sedoparking.com/x.js\">", "text/html");
                   });
        m_http.Get(R"(/status/(\d+))", [](const httplib::Request& req, auto& res)
                   { res.status = std::stoi(req.matches[1]); });
        m_http.Get(R"(/slow/(\d+))",
                   [this](const httplib::Request& req, auto&)
                   {
                       const std::string host = req.get_header_value("Host");
                       {
                           const std::lock_guard lock(m_mutex);
                           const int now = ++m_seen.inFlight[host];
                           m_seen.mostAtOnce[host] = std::max(m_seen.mostAtOnce[host], now);
                       }
                       std::this_thread::sleep_for(
                           std::chrono::milliseconds(std::stoi(req.matches[1])));
                       const std::lock_guard lock(m_mutex);
                       --m_seen.inFlight[host];
                   });
        m_http.Get("/no-head", [](const httplib::Request& req, auto& res)
                   { res.status = req.method == "HEAD" ? 405 : 200; });
        // "/busy/SECONDS": 503, come back after SECONDS; then a page.
        m_http.Get(R"(/busy/(\d+))",
                   [this](const httplib::Request& req, auto& res)
                   {
                       if (Log().requests[req.get_header_value("Host") + req.path].size() > 1)
                           return;
                       res.status = 503;
                       res.set_header("Retry-After", req.matches[1].str());
                   });
        m_httpPort = m_http.bind_to_any_port("127.0.0.1");
        m_threads.emplace_back([this] { m_http.listen_after_bind(); });

        const std::string key = (certificateFolder / "key.pem").string();
        const std::string certificate = (certificateFolder / "certificate.pem").string();
        const std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "
                                    "/CN=127.0.0.1 -keyout '" +
                                    key + "' -out '" + certificate + "' >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        m_tls = std::make_unique<httplib::SSLServer>(certificate.c_str(), key.c_str());
        m_tlsPort = m_tls->bind_to_any_port("127.0.0.1");
        m_threads.emplace_back([this] { m_tls->listen_after_bind(); });
        // stop() does nothing to a server that is not running yet, whose thread would then
        // never end: a test as short as the outage guard's would hang in the destructor.
        while (!m_http.is_running() || !m_tls->is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));

        // Reads the request's first bytes and closes with no linger (which the accepted
        // sockets inherit): a reset instead of an answer.
        m_resetSocket = socket(AF_INET, SOCK_STREAM, 0);
        const linger reset{1, 0};
        setsockopt(m_resetSocket, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        m_resetPort = BindLoopback(m_resetSocket);
        EXPECT_EQ(listen(m_resetSocket, 16), 0);
        // Bound, never listening: every connection to it is refused.
        m_refusingSocket = socket(AF_INET, SOCK_STREAM, 0);
        m_refusingPort = BindLoopback(m_refusingSocket);
        m_threads.emplace_back(
            [this]
            {
                for (int client; (client = accept(m_resetSocket, nullptr, nullptr)) >= 0;)
                {
                    char buffer[256];
                    (void)recv(client, buffer, sizeof buffer, 0);
                    close(client);
                }
            });
    }
    ~LoopbackSites()
    {
        m_http.stop();
        m_tls->stop();
        shutdown(m_resetSocket, SHUT_RDWR); // wakes the accept
        for (std::thread& thread : m_threads)
            thread.join();
        close(m_resetSocket);
        close(m_refusingSocket);
    }

    // `path` on the site named `host`, which the checker finds on loopback.
    std::string Http(const std::string& path, const std::string& host = "127.0.0.1") const
    {
        return Url("http", host, m_httpPort, path);
    }
    std::string SelfSignedTls() const { return Url("https", "127.0.0.1", m_tlsPort, "/"); }
    std::string Resetting() const { return Url("http", "127.0.0.1", m_resetPort, "/"); }
    // The home page of `host` on a port that refuses every connection.
    std::string Refusing(const std::string& host) const
    {
        return Url("http", host, m_refusingPort, "/");
    }
    // Every name on loopback, for CheckOptions::resolve or --resolve.
    std::vector<std::string> Resolve() const
    {
        return {"*:" + std::to_string(m_httpPort) + ":127.0.0.1",
                "*:" + std::to_string(m_refusingPort) + ":127.0.0.1"};
    }

    // What the sites saw: the method and time of each request by "host:port/path", the most
    // requests in flight at once to each host of the slow pages, the latest User-Agent.
    using Asked = std::vector<std::pair<std::string, steady_clock::time_point>>;
    struct Seen
    {
        std::map<std::string, Asked> requests;
        std::map<std::string, int> inFlight, mostAtOnce;
        std::string userAgent;
    };
    Seen Log() const
    {
        const std::lock_guard lock(m_mutex);
        return m_seen;
    }
    std::string Host(const std::string& name) const
    {
        return name + ":" + std::to_string(m_httpPort);
    }

private:
    static std::string Url(const char* scheme, const std::string& host, int port,
                           const std::string& path)
    {
        return std::string(scheme) + "://" + host + ":" + std::to_string(port) + path;
    }

    httplib::Server m_http;
    std::unique_ptr<httplib::SSLServer> m_tls;
    int m_httpPort = 0, m_tlsPort = 0, m_resetPort = 0, m_resetSocket = -1;
    int m_refusingPort = 0, m_refusingSocket = -1;
    std::vector<std::thread> m_threads;
    mutable std::mutex m_mutex;
    Seen m_seen;
};

std::filesystem::path WriteCatalogue(const TempFolder& folder,
                                     const std::vector<std::string>& websites)
{
    const std::filesystem::path catalogue = folder.Path() / "catalogue.tsv";
    std::string text = "source\tcurated\tBy hand\thand\t2026-12\tCC0 1.0\t\t\n";
    for (const std::string& website : websites)
        text += "paper\tu\tTexas\t\tP\tnewspaper\t\t" + website + "\t\tcurated\n";
    testing::WriteFile(catalogue, text);
    return catalogue;
}

// Runs the check command on `catalogue` with `args` after its own; returns the exit status.
int RunCheck(const std::filesystem::path& catalogue, std::vector<std::string> args,
             const LoopbackSites& sites, std::string& out, std::string& err,
             const Clock& clock = UtcNow)
{
    std::string resolve;
    for (const std::string& entry : sites.Resolve())
        resolve += entry + " ";
    args.insert(args.begin(), {"check", "--catalogue", catalogue.string(), "--resolve", resolve});
    std::ostringstream outStream, errStream;
    const int status = RunCommand(args, outStream, errStream, clock);
    out = outStream.str();
    err = errStream.str();
    return status;
}

// What each site answers, as the check command records it, a few at a time; a run cut short
// by --limit goes on where it stopped, and --all checks everything again.
TEST(LinkCheckTest, RecordsWhatEachSiteAnswersAndResumesWhereItStopped)
{
    TempFolder folder;
    const LoopbackSites sites(folder.Path());
    struct Case
    {
        std::string website;
        int status;
        std::string finalUrl; // "" for none
        std::string detail;   // a part of it; "" when the site answers
        std::string movedTo = "";
        bool parked = false;
    };
    const std::string parking = "a domain-parking or for-sale page";
    const Case cases[] = {
        {sites.Http("/ok"), 200, sites.Http("/ok"), ""},
        {sites.Http("/status/404"), 404, sites.Http("/status/404"), "HTTP 404"},
        {sites.Http("/status/410"), 410, sites.Http("/status/410"), "HTTP 410"},
        {sites.Http("/r1"), 200, sites.Http("/ok"), ""},
        {sites.Http("/loop"), 301, sites.Http("/loop"), "too many redirects"},
        {sites.Http("/no-head"), 200, sites.Http("/no-head"), ""},
        {sites.Http("/slow/2000"), 0, "", "timed out after 1 s"},
        {sites.Resetting(), 0, "", "Recv failure"},
        {sites.SelfSignedTls(), 0, "", "SSL"},
        // Permanent moves to another host show; within a site, or for now, they don't.
        {sites.Http("/301/new-paper.test/ok", "paper.test"), 200,
         sites.Http("/ok", "new-paper.test"), "", sites.Http("/ok", "new-paper.test")},
        {sites.Http("/301/www.paper.test/ok", "paper.test"), 200,
         sites.Http("/ok", "www.paper.test"), ""},
        {sites.Http("/302/new-paper.test/ok", "paper.test"), 200,
         sites.Http("/ok", "new-paper.test"), ""},
        // A domain now for sale: by the marketplace's host, or by a parking service's marker.
        {sites.Http("/302/www.hugedomains.com/ok", "paper.test"), 200,
         sites.Http("/ok", "www.hugedomains.com"), parking, "", true},
        {sites.Http("/parked"), 200, sites.Http("/parked"), parking, "", true},
    };
    std::vector<std::string> websites;
    for (const Case& c : cases)
        websites.push_back(c.website);
    const std::filesystem::path catalogue = WriteCatalogue(folder, websites);

    const std::size_t n = std::size(cases);
    struct Run
    {
        std::vector<std::string> args;
        std::string summary;
        std::size_t lines; // of the checks file after the run
    };
    const Run runs[] = {
        {{"--limit", "2"}, "checked 2 websites: 1 answered, 1 failed", 2},
        {{}, "checked 12 websites: 5 answered, 5 failed, 2 parked or for sale", n},
        {{}, "checked 0 websites", n},
        {{"--all"}, "checked 14 websites: 6 answered, 6 failed, 2 parked or for sale", 2 * n},
    };
    for (Run run : runs)
    {
        run.args.insert(run.args.begin(), {"--timeout", "1", "--concurrency", "3"});
        std::string out, err;
        EXPECT_EQ(RunCheck(catalogue, run.args, sites, out, err), 0) << err;
        EXPECT_NE(out.find(run.summary), std::string::npos) << out;
        const std::string checks = testing::Slurp(ChecksFileFor(catalogue));
        EXPECT_EQ(std::count(checks.begin(), checks.end(), '\n'), run.lines) << run.summary;
    }

    std::map<std::string, LinkCheck> results;
    for (const LinkCheck& check : LoadChecks(ChecksFileFor(catalogue)))
        results[check.website] = check;
    ASSERT_EQ(results.size(), n);
    for (const Case& c : cases)
    {
        const LinkCheck& check = results[c.website];
        EXPECT_EQ(check.ok, c.detail.empty()) << c.website << ": " << check.detail;
        EXPECT_EQ(check.httpStatus, c.status) << c.website;
        EXPECT_EQ(check.finalUrl, c.finalUrl) << c.website;
        EXPECT_NE(check.detail.find(c.detail), std::string::npos)
            << c.website << ": " << check.detail;
        EXPECT_EQ(check.detail.empty(), check.ok) << c.website << ": " << check.detail;
        EXPECT_EQ(check.movedTo, c.movedTo) << c.website;
        EXPECT_EQ(check.parked, c.parked) << c.website;
    }
    // HEAD, then GET for the page's first bytes, and the program's name to whoever asks.
    std::string methods;
    LoopbackSites::Seen seen = sites.Log();
    for (const auto& [method, at] : seen.requests[sites.Host("127.0.0.1") + "/parked"])
        methods += method + " ";
    EXPECT_EQ(methods, "HEAD GET HEAD GET ");
    EXPECT_NE(seen.userAgent.find("tnews-catalogue/"), std::string::npos) << seen.userAgent;
}

// Many papers on a few hosts: never more than two requests at once to one host, while other
// hosts are asked meanwhile.
TEST(LinkCheckTest, AsksEachHostAtMostTwiceAtOnce)
{
    TempFolder folder;
    const LoopbackSites sites(folder.Path());
    std::vector<std::string> websites;
    for (int paper = 0; paper < 6; ++paper)
    {
        for (const std::string host : {"a.test", "b.test", "c.test"})
            websites.push_back(sites.Http("/slow/300?paper=" + std::to_string(paper), host));
    }
    CheckOptions options;
    options.concurrency = 8;
    options.resolve = sites.Resolve();
    std::size_t answered = 0;
    CheckWebsites(websites, options,
                  [&](const CheckOutcome& outcome)
                  {
                      answered += outcome.check.ok ? 1 : 0;
                      return true;
                  });
    EXPECT_EQ(answered, websites.size());
    int most = 0;
    for (const auto& [host, atOnce] : sites.Log().mostAtOnce)
    {
        EXPECT_LE(atOnce, kRequestsPerHost) << host;
        most += atOnce;
    }
    EXPECT_GT(most, kRequestsPerHost) << "other hosts are asked while one is at its limit";
}

// A 503 with Retry-After is asked again no sooner than it says; a wait beyond the cap is a
// failure at once.
TEST(LinkCheckTest, HonoursRetryAfterWithinItsCap)
{
    TempFolder folder;
    const LoopbackSites sites(folder.Path());
    CheckOptions options;
    options.resolve = sites.Resolve();
    std::map<std::string, LinkCheck> results;
    CheckWebsites({sites.Http("/busy/1"), sites.Http("/busy/3600")}, options,
                  [&](const CheckOutcome& outcome)
                  {
                      results[outcome.check.website] = outcome.check;
                      return true;
                  });
    EXPECT_TRUE(results[sites.Http("/busy/1")].ok) << results[sites.Http("/busy/1")].detail;
    auto requests = sites.Log().requests;
    const auto& asked = requests[sites.Host("127.0.0.1") + "/busy/1"];
    ASSERT_GE(asked.size(), 2u);
    EXPECT_GE(asked[1].second - asked[0].second, std::chrono::seconds(1));

    const LinkCheck& hour = results[sites.Http("/busy/3600")];
    EXPECT_EQ(hour.httpStatus, 503);
    EXPECT_NE(hour.detail.find("asked to wait 3600 s"), std::string::npos) << hour.detail;
    EXPECT_EQ(requests[sites.Host("127.0.0.1") + "/busy/3600"].size(), 1u);
}

// Checks a week apart: a site that fails in both is not answering since the first, and stays
// so however many weekly checks follow, while the file keeps only a few lines per site.
TEST(LinkCheckTest, WeeklyChecksFindASiteGoneAndKeepTheFileSmall)
{
    TempFolder folder;
    const LoopbackSites sites(folder.Path());
    const std::string dead = sites.Http("/status/404"), alive = sites.Http("/ok");
    const std::filesystem::path catalogue = WriteCatalogue(folder, {dead, alive});
    for (const std::string day :
         {"10-01", "10-08", "10-15", "10-22", "10-29", "11-05", "11-12", "11-19", "11-26", "12-03"})
    {
        const std::string now = "2026-" + day + "T03:00:00Z";
        std::string out, err;
        // As the weekly service runs it: a site checked in the last 6 days is not asked.
        ASSERT_EQ(RunCheck(catalogue, {"--max-age", "6"}, sites, out, err, [&] { return now; }), 0)
            << err;
        EXPECT_NE(out.find("checked 2 websites"), std::string::npos) << now << ": " << out;
        const auto bySite = ChecksBySite(LoadCheckHistory(ChecksFileFor(catalogue)));
        const SiteVerdict verdict = JudgeSite(bySite.at(dead));
        EXPECT_EQ(verdict.state, now == "2026-10-01T03:00:00Z" ? SiteVerdict::State::Failing
                                                               : SiteVerdict::State::NotAnswering)
            << now;
        EXPECT_EQ(JudgeSite(bySite.at(alive)).state, SiteVerdict::State::Answering) << now;
        EXPECT_LE(bySite.at(dead).size(), 7u) << now;
    }
    const auto bySite = ChecksBySite(LoadCheckHistory(ChecksFileFor(catalogue)));
    EXPECT_EQ(JudgeSite(bySite.at(dead)).since, "2026-10-01T03:00:00Z");
}

// A run that can reach nothing records nothing, says so and fails.
TEST(LinkCheckTest, AnOutageOfTheCheckerRecordsNothing)
{
    TempFolder folder;
    const LoopbackSites sites(folder.Path());
    const std::filesystem::path catalogue = WriteCatalogue(
        folder, {sites.Refusing("a.test"), sites.Refusing("b.test"), sites.Refusing("c.test")});
    const std::string before = FormatCheck(
        {sites.Http("/ok"), true, 200, sites.Http("/ok"), "2026-01-01T00:00:00Z", "", "", false});
    testing::WriteFile(ChecksFileFor(catalogue), before);
    std::string out, err;
    EXPECT_EQ(RunCheck(catalogue, {}, sites, out, err), 1);
    EXPECT_NE(err.find("3 of the first 3 hosts could not be reached"), std::string::npos) << err;
    EXPECT_EQ(testing::Slurp(ChecksFileFor(catalogue)), before) << "the file is as it was";
}

// The guard over a run's outcomes: what it lets through, and when it calls the run an outage.
TEST(OutageGuardTest, TellsAnOutageFromSitesThatAreGone)
{
    struct Stretch
    {
        int sites;
        bool unreachable;
        bool oneHost; // all of them on one host, else each on its own
    };
    struct Case
    {
        std::string what;
        std::vector<Stretch> stretches; // in the order the run asks them
        bool outage;
        std::size_t recorded;
        bool unreachableFirst = false; // their outcomes come before all others
    };
    const Case cases[] = {
        {"nothing reachable", {{60, true, false}}, true, 0},
        {"a small run, mostly unreachable", {{2, true, false}, {1, false, false}}, true, 0},
        {"a few sites gone", {{10, true, false}, {40, false, false}}, false, 50},
        {"one dead host with many papers", {{100, true, true}, {49, false, false}}, false, 149},
        {"dead sites fail before others answer",
         {{40, false, false}, {40, true, false}},
         false,
         80,
         true},
        {"the network lost during the run", {{60, false, false}, {25, true, false}}, true, 60},
        {"dead sites scattered through the run",
         {{60, false, false}, {19, true, false}, {1, false, false}, {19, true, false}},
         false,
         99},
    };
    for (const Case& c : cases)
    {
        std::vector<CheckOutcome> outcomes;
        std::size_t host = 0;
        for (const Stretch& stretch : c.stretches)
        {
            ++host;
            for (int i = 0; i < stretch.sites; ++i)
            {
                CheckOutcome outcome;
                outcome.check.website =
                    "http://h" + std::to_string(host) + ".test/p" + std::to_string(i);
                outcome.unreachable = stretch.unreachable;
                outcomes.push_back(outcome);
                host += stretch.oneHost ? 0 : 1;
            }
        }
        std::vector<std::string> websites;
        for (const CheckOutcome& outcome : outcomes)
            websites.push_back(outcome.check.website);
        if (c.unreachableFirst)
            std::ranges::stable_partition(outcomes, &CheckOutcome::unreachable);
        OutageGuard guard(websites);
        std::size_t recorded = 0;
        for (const CheckOutcome& outcome : outcomes)
            recorded += guard.Add(outcome).size();
        recorded += guard.Finish().size();
        EXPECT_EQ(guard.Outage(), c.outage) << c.what << ": " << guard.Why();
        EXPECT_EQ(recorded, c.recorded) << c.what;
    }
}

} // namespace
} // namespace tnews::catalogue
