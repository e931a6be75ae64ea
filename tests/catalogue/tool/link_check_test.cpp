#include "catalogue/tool/commands.h"
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

// Websites on loopback: pages that answer, redirect, fail, are slow or refuse HEAD; a port that
// resets every connection; and a TLS server whose certificate nobody signed.
class LoopbackSites
{
public:
    explicit LoopbackSites(const std::filesystem::path& certificateFolder)
    {
        m_http.Get("/ok", [](const auto&, auto& res) { res.set_content("fine", "text/plain"); });
        for (const auto& [from, to] : {std::pair{"/r1", "/r2"}, {"/r2", "/ok"}, {"/loop", "/loop"}})
            m_http.Get(from, [to](const auto&, auto& res) { res.set_redirect(to, 301); });
        m_http.Get(R"(/status/(\d+))", [](const httplib::Request& req, auto& res)
                   { res.status = std::stoi(req.matches[1]); });
        m_http.Get("/slow",
                   [](const auto&, auto& res)
                   {
                       std::this_thread::sleep_for(std::chrono::seconds(2));
                       res.set_content("late", "text/plain");
                   });
        m_http.Get("/no-head", [](const httplib::Request& req, auto& res)
                   { res.status = req.method == "HEAD" ? 405 : 200; });
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

        // Reads the request's first bytes and closes with no linger (which the accepted
        // sockets inherit): a reset instead of an answer.
        m_resetSocket = socket(AF_INET, SOCK_STREAM, 0);
        const linger reset{1, 0};
        setsockopt(m_resetSocket, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
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
    std::vector<std::thread> m_threads;
};

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
    };
    const Case cases[] = {
        {sites.Http("/ok"), 200, sites.Http("/ok"), ""},
        {sites.Http("/status/404"), 404, sites.Http("/status/404"), "HTTP 404"},
        {sites.Http("/status/410"), 410, sites.Http("/status/410"), "HTTP 410"},
        {sites.Http("/r1"), 200, sites.Http("/ok"), ""},
        {sites.Http("/loop"), 301, sites.Http("/loop"), "too many redirects"},
        {sites.Http("/no-head"), 200, sites.Http("/no-head"), ""},
        {sites.Http("/slow"), 0, "", "timed out after 1 s"},
        {sites.Resetting(), 0, "", "Recv failure"},
        {sites.SelfSignedTls(), 0, "", "SSL"},
    };
    const std::filesystem::path catalogue = folder.Path() / "catalogue.tsv";
    std::string text = "source\tcurated\tBy hand\thand\t2026-12\tCC0 1.0\t\t\n";
    for (const Case& c : cases)
        text += "paper\tu\tTexas\t\tP\tnewspaper\t\t" + c.website + "\t\tcurated\n";
    testing::WriteFile(catalogue, text);

    struct Run
    {
        std::vector<std::string> args;
        std::string summary;
        long lines; // of the checks file after the run
    };
    const Run runs[] = {
        {{"--limit", "2"}, "checked 2 websites: 1 answered, 1 failed", 2},
        {{}, "checked 7 websites: 2 answered, 5 failed", 9},
        {{}, "checked 0 websites", 9},
        {{"--all"}, "checked 9 websites: 3 answered, 6 failed", 18},
    };
    for (Run run : runs)
    {
        run.args.insert(run.args.begin(), {"check", "--catalogue", catalogue.string(), "--timeout",
                                           "1", "--concurrency", "3"});
        std::ostringstream out, err;
        EXPECT_EQ(RunCommand(run.args, out, err), 0) << err.str();
        EXPECT_NE(out.str().find(run.summary), std::string::npos) << out.str();
        const std::string checks = testing::Slurp(ChecksFileFor(catalogue));
        EXPECT_EQ(std::count(checks.begin(), checks.end(), '\n'), run.lines) << run.summary;
    }

    std::map<std::string, LinkCheck> results;
    for (const LinkCheck& check : LoadChecks(ChecksFileFor(catalogue)))
        results[check.website] = check;
    ASSERT_EQ(results.size(), std::size(cases));
    for (const Case& c : cases)
    {
        const LinkCheck& check = results[c.website];
        EXPECT_EQ(check.ok, c.detail.empty()) << c.website << ": " << check.detail;
        EXPECT_EQ(check.httpStatus, c.status) << c.website;
        EXPECT_EQ(check.finalUrl, c.finalUrl) << c.website;
        EXPECT_NE(check.detail.find(c.detail), std::string::npos)
            << c.website << ": " << check.detail;
        EXPECT_EQ(check.detail.empty(), check.ok) << c.website << ": " << check.detail;
    }
}

} // namespace
} // namespace tnews::catalogue
