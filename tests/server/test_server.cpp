#include "test_server.h"

#include "directory/ascii.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <stdexcept>

namespace tnews::server::testing
{

std::filesystem::path FixtureCataloguePath()
{
    return TNEWS_SERVER_TEST_DIR "/fixture/catalogue.tsv";
}

std::filesystem::path RealCataloguePath()
{
    return TNEWS_BUILT_CATALOGUE;
}

SiteData OhioSite(const std::vector<std::string>& cities)
{
    std::string text = "source\tcurated\tHand\thand\t2026-12\tCC0 1.0\t\t\n";
    for (std::size_t i = 0; i < cities.size(); ++i)
    {
        text += "paper\tu\tOhio\t" + cities[i] + "\tPaper " + std::to_string(100 + i) +
                "\tnewspaper\t\thttps://p.example/\t\tcurated\n";
    }
    return SiteData{catalogue::ParseCatalogue(text, "generated"), {}, ExportSlots()};
}

TestServer::TestServer(TestServerOptions options)
    : TestServer(LoadSiteData(options.catalogue), options)
{
}

TestServer::TestServer(SiteData data, TestServerOptions options)
    : m_site(std::move(data), options.latest, options.site),
      m_server(m_site, HttpOptions{options.threads,
                                   [this](const std::string& line)
                                   {
                                       {
                                           std::lock_guard lock(m_logMutex);
                                           m_log.push_back(line);
                                       }
                                       m_logged.notify_all();
                                   },
                                   options.maxConnections})
{
    const std::optional<int> bound = m_server.Bind("127.0.0.1", options.port);
    if (!bound)
        throw std::runtime_error("test server: cannot bind port " + std::to_string(options.port));
    m_port = *bound;
    m_thread = std::thread(
        [this]
        {
            m_server.Listen();
            m_listenReturned = true;
        });
    // Stop() only works once the server runs, so the destructor could hang without this wait.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!m_server.IsRunning())
    {
        if (m_listenReturned || std::chrono::steady_clock::now() > deadline)
        {
            m_thread.join();
            throw std::runtime_error("test server: did not start");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

TestServer::~TestServer()
{
    m_server.Stop();
    m_thread.join();
}

std::string TestServer::Host() const
{
    return "127.0.0.1:" + std::to_string(m_port);
}

httplib::Client LoopbackClient(int port)
{
    httplib::Client client("127.0.0.1", port);
    client.set_url_encode(false);
    client.set_connection_timeout(5);
    client.set_read_timeout(5);
    return client;
}

std::vector<std::string> TestServer::LogLines(std::size_t atLeast) const
{
    std::unique_lock lock(m_logMutex);
    m_logged.wait_for(lock, std::chrono::seconds(5), [&] { return m_log.size() >= atLeast; });
    return m_log;
}

httplib::Headers BasicAuth(std::string_view user, std::string_view password)
{
    return {httplib::make_basic_authentication_header(std::string(user), std::string(password))};
}

httplib::Response Fetch(const TestServer& server, const std::string& target,
                        const httplib::Headers& headers)
{
    const httplib::Result result = server.Client().Get(target, headers);
    if (result)
        return *result;
    ADD_FAILURE() << "GET " << target << ": " << httplib::to_string(result.error());
    httplib::Response failed;
    failed.status = -1;
    return failed;
}

void ExpectInOrder(std::string_view page, const std::vector<std::string>& fragments)
{
    std::size_t after = 0;
    for (const std::string& fragment : fragments)
    {
        const std::size_t at = page.find(fragment, after);
        EXPECT_NE(at, std::string_view::npos) << fragment << "\n" << page;
        after = at == std::string_view::npos ? after : at;
    }
}

void ExpectHtmlHeaders(const httplib::Response& response)
{
    EXPECT_EQ(response.get_header_value("Content-Type"), "text/html; charset=utf-8");
    EXPECT_EQ(response.get_header_value("Content-Security-Policy"),
              "default-src 'none'; style-src 'unsafe-inline'; img-src 'self'");
    EXPECT_EQ(response.get_header_value("X-Content-Type-Options"), "nosniff");
    EXPECT_EQ(response.get_header_value("X-UA-Compatible"), "IE=edge");
    EXPECT_TRUE(Contains(response.body, "<html lang=\"en\">"));
}

std::string Gunzip(std::string_view compressed)
{
    z_stream stream{};
    EXPECT_EQ(inflateInit2(&stream, 15 + 16), Z_OK);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    stream.avail_in = static_cast<uInt>(compressed.size());
    std::string out;
    int status = Z_OK;
    while (status == Z_OK)
    {
        char buffer[16384];
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        status = inflate(&stream, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - stream.avail_out);
    }
    EXPECT_EQ(status, Z_STREAM_END) << "not a whole gzip stream";
    EXPECT_EQ(stream.avail_in, 0u) << "bytes after the gzip stream";
    inflateEnd(&stream);
    return out;
}

std::string WireTarget(std::string_view url)
{
    const std::size_t scheme = url.find("://");
    const std::size_t path = url.find('/', scheme == std::string_view::npos ? 0 : scheme + 3);
    if (path == std::string_view::npos)
        return "/";
    std::string target;
    for (char c : url.substr(path))
    {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte < 0x7F)
        {
            target += c;
            continue;
        }
        target += '%';
        AppendHexByte(target, byte);
    }
    return target;
}

} // namespace tnews::server::testing
