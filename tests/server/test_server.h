// The real directory server for tests: started on a free loopback port in its own thread,
// stopped and joined when the TestServer goes out of scope. Link tnews_test_server to use it.
#pragma once

#include "server/http_server.h"
#include "server/site.h"
#include "server/site_data.h"
#include "server/version.h"
#include "tnews/build_config.h"

#include <httplib.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tnews::server::testing
{

/// fixture/catalogue.tsv beside the server tests, with its checks and exports.
std::filesystem::path FixtureCataloguePath();

/// The catalogue the build writes, share/tnews/catalogue.tsv in the build tree.
std::filesystem::path RealCataloguePath();

/// A typed-in catalogue with a paper "Paper <100 + i>" in Ohio for each of `cities` ("" for a
/// paper without a city), and no checks or exports.
SiteData OhioSite(const std::vector<std::string>& cities);

/// A client of `port` on the loopback address that sends targets byte for byte, as a browser
/// puts them on the wire, and gives up after 5 s.
httplib::Client LoopbackClient(int port);

struct TestServerOptions
{
    std::filesystem::path catalogue = FixtureCataloguePath(); // unused when given the data
    Version latest{Major, Minor, Revision};
    SiteOptions site{};
    int port = 0;            // 0: any free port
    std::size_t threads = 2; // each serves many connections
    std::size_t maxConnections = kDefaultMaxConnections;
};

class TestServer
{
public:
    /// Serves options.catalogue, or `data` when given; throws when it can't load, bind or start.
    explicit TestServer(TestServerOptions options = {});
    explicit TestServer(SiteData data, TestServerOptions options = {});
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    int Port() const { return m_port; }
    /// "127.0.0.1:<port>", the host argument of the URL builders in directory/.
    std::string Host() const;
    /// LoopbackClient(Port()).
    httplib::Client Client() const { return LoopbackClient(m_port); }
    /// The access log; waits up to 5 s for `atLeast` lines, as a line follows its answer.
    std::vector<std::string> LogLines(std::size_t atLeast = 0) const;

private:
    Site m_site;
    HttpServer m_server;
    int m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_listenReturned{false};
    mutable std::mutex m_logMutex;
    mutable std::condition_variable m_logged;
    std::vector<std::string> m_log;
};

/// An Authorization header with Basic credentials.
httplib::Headers BasicAuth(std::string_view user, std::string_view password);

/// GET `target` as on the wire; a failed exchange fails the test and gives status -1.
httplib::Response Fetch(const TestServer& server, const std::string& target,
                        const httplib::Headers& headers = {});

inline bool Contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

/// Expects each of `fragments` in `page`, in this order.
void ExpectInOrder(std::string_view page, const std::vector<std::string>& fragments);

/// Expects the headers every page of the server carries.
void ExpectHtmlHeaders(const httplib::Response& response);

/// What the gzip stream `compressed` holds; a malformed stream fails the test.
std::string Gunzip(std::string_view compressed);

/// The path and query of an absolute URL built by directory/ ("http://u:p@host/a?b" gives
/// "/a?b"), with blanks and non-ASCII bytes percent-encoded as the browser engine sends them.
std::string WireTarget(std::string_view url);

} // namespace tnews::server::testing
