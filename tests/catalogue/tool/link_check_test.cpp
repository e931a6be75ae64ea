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
#include <sstream>

namespace tnews::catalogue
{
namespace
{

using testing::TempFolder;

// Websites on loopback: pages that answer, redirect, are missing, gone, slow or refuse HEAD; a
// port that resets every connection; and a TLS server whose certificate nobody signed.
class LoopbackSites
{
public:
    explicit LoopbackSites(const std::filesystem::path& certificateFolder)
    {
        m_http.Get("/ok", [](const auto&, auto& res) { res.set_content("fine", "text/plain"); });
        for (const auto& [from, to] : {std::pair{"/r1", "/r2"}, {"/r2", "/ok"}, {"/loop", "/loop"}})
            m_http.Get(from, [to](const auto&, auto& res) { res.set_redirect(to, 301); });
        m_http.Get("/missing", [](const auto&, auto& res) { res.status = 404; });
        m_http.Get("/gone", [](const auto&, auto& res) { res.status = 410; });
        m_http.Get("/slow",
                   [this](const auto&, auto& res)
                   {
                       for (int i = 0; i < 30 && !m_stopping; ++i)
                           std::this_thread::sleep_for(std::chrono::milliseconds(100));
                       res.set_content("late", "text/plain");
                   });
        m_http.Get("/no-head",
                   [](const httplib::Request& req, auto& res)
                   {
                       if (req.method == "HEAD")
                           res.status = 405;
                       else
                           res.set_content("only GET", "text/plain");
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
        m_tls->Get("/", [](const auto&, auto& res) { res.set_content("secret", "text/plain"); });
        m_tlsPort = m_tls->bind_to_any_port("127.0.0.1");
        m_threads.emplace_back([this] { m_tls->listen_after_bind(); });

        // Reads the request's first bytes, then closes with a zero linger time: the client
        // gets a reset instead of an answer.
        m_resetSocket = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        auto* generic = reinterpret_cast<sockaddr*>(&address);
        EXPECT_TRUE(bind(m_resetSocket, generic, length) == 0 && listen(m_resetSocket, 16) == 0 &&
                    getsockname(m_resetSocket, generic, &length) == 0);
        m_resetPort = ntohs(address.sin_port);
        m_threads.emplace_back(
            [this]
            {
                for (int client; (client = accept(m_resetSocket, nullptr, nullptr)) >= 0;)
                {
                    char buffer[256];
                    (void)recv(client, buffer, sizeof buffer, 0);
                    const linger reset{1, 0};
                    setsockopt(client, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
                    close(client);
                }
            });
    }
    ~LoopbackSites()
    {
        m_stopping = true;
        m_http.stop();
        m_tls->stop();
        shutdown(m_resetSocket, SHUT_RDWR); // wakes the accept
        for (std::thread& thread : m_threads)
            thread.join();
        close(m_resetSocket);
    }

    std::string Http(const std::string& path) const { return Url("http", m_httpPort, path); }
    std::string SelfSignedTls() const { return Url("https", m_tlsPort, "/"); }
    std::string Resetting() const { return Url("http", m_resetPort, "/"); }

private:
    static std::string Url(const char* scheme, int port, const std::string& path)
    {
        return std::string(scheme) + "://127.0.0.1:" + std::to_string(port) + path;
    }

    httplib::Server m_http;
    std::unique_ptr<httplib::SSLServer> m_tls;
    int m_httpPort = 0, m_tlsPort = 0, m_resetPort = 0, m_resetSocket = -1;
    std::atomic<bool> m_stopping{false};
    std::vector<std::thread> m_threads;
};

TEST(LinkCheckTest, RecordsWhatEachSiteAnswers)
{
    TempFolder folder;
    const LoopbackSites sites(folder.Path());
    struct Case
    {
        std::string website;
        bool ok;
        int status;
        std::string finalUrl; // "" for none
        std::string detail;   // a part of it
    };
    const Case cases[] = {
        {sites.Http("/ok"), true, 200, sites.Http("/ok"), ""},
        {sites.Http("/r1"), true, 200, sites.Http("/ok"), ""},
        {sites.Http("/loop"), false, 301, sites.Http("/loop"), "too many redirects"},
        {sites.Http("/missing"), false, 404, sites.Http("/missing"), "HTTP 404"},
        {sites.Http("/gone"), false, 410, sites.Http("/gone"), "HTTP 410"},
        {sites.Http("/no-head"), true, 200, sites.Http("/no-head"), ""},
        {sites.Http("/slow"), false, 0, "", "timed out after 1 s"},
        {sites.Resetting(), false, 0, "", "Recv failure"},
        {sites.SelfSignedTls(), false, 0, "", "SSL"},
    };
    std::vector<std::string> websites;
    for (const Case& c : cases)
        websites.push_back(c.website);
    const CheckOptions options{.concurrency = 3, .timeoutSeconds = 1, .maxRedirects = 5};
    std::map<std::string, LinkCheck> results;
    CheckWebsites(websites, options,
                  [&](const LinkCheck& check) { results[check.website] = check; });

    ASSERT_EQ(results.size(), std::size(cases));
    for (const Case& c : cases)
    {
        const LinkCheck& check = results[c.website];
        EXPECT_EQ(check.ok, c.ok) << c.website << ": " << check.detail;
        EXPECT_EQ(check.httpStatus, c.status) << c.website;
        EXPECT_EQ(check.finalUrl, c.finalUrl) << c.website;
        EXPECT_NE(check.detail.find(c.detail), std::string::npos)
            << c.website << ": " << check.detail;
        EXPECT_EQ(check.detail.empty(), c.ok) << c.website << ": " << check.detail;
    }
}

TEST(LinkCheckTest, CommandAppendsAsItGoesAndResumesWhereItStopped)
{
    TempFolder folder;
    const LoopbackSites sites(folder.Path());
    const std::filesystem::path catalogue = folder.Path() / "catalogue.tsv";
    std::string text = "source\tcurated\tBy hand\tCC0 1.0\t\t\n";
    for (const char* path : {"/ok", "/missing", "/gone"})
        text += "paper\tu\tTexas\t\tPaper " + std::string(path) + "\tnewspaper\t\t" +
                sites.Http(path) + "\t\tcurated\n";
    testing::WriteFile(catalogue, text);

    struct Run
    {
        std::vector<std::string> args;
        std::string summary;
        long lines; // of the checks file after the run
    };
    const Run runs[] = {
        {{"--limit", "2"}, "checked 2 websites: 1 answered, 1 failed", 2},
        {{}, "checked 1 websites", 3},
        {{}, "checked 0 websites", 3},
        {{"--all"}, "checked 3 websites", 6},
    };
    for (Run run : runs)
    {
        run.args.insert(run.args.begin(),
                        {"check", "--catalogue", catalogue.string(), "--timeout", "2"});
        std::ostringstream out, err;
        EXPECT_EQ(RunCommand(run.args, out, err), 0) << err.str();
        EXPECT_NE(out.str().find(run.summary), std::string::npos) << out.str();
        const std::string checks = testing::Slurp(ChecksFileFor(catalogue));
        EXPECT_EQ(std::count(checks.begin(), checks.end(), '\n'), run.lines) << run.summary;
    }
    EXPECT_EQ(LoadChecks(ChecksFileFor(catalogue)).size(), 3u);
}

} // namespace
} // namespace tnews::catalogue
