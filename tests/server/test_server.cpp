#include "test_server.h"

#include "directory/ascii.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
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

TestServer::TestServer(TestServerOptions options)
    : TestServer(LoadSiteData(options.catalogue), options)
{
}

TestServer::TestServer(SiteData data, TestServerOptions options)
    : m_site(std::move(data), options.latest),
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
    Start(options.port);
}

void TestServer::Start(int port)
{
    const std::optional<int> bound = m_server.Bind("127.0.0.1", port);
    if (!bound)
        throw std::runtime_error("test server: cannot bind 127.0.0.1:" + std::to_string(port));
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

httplib::Client TestServer::Client() const
{
    httplib::Client client("127.0.0.1", m_port);
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
    httplib::Client client = server.Client();
    httplib::Result result = client.Get(target, headers);
    if (!result)
    {
        ADD_FAILURE() << "GET " << target << ": " << httplib::to_string(result.error());
        httplib::Response failed;
        failed.status = -1;
        return failed;
    }
    return *result;
}

namespace
{

// Head and announced body of the first answer in `answer` are complete.
bool IsWholeAnswer(std::string_view answer)
{
    const std::size_t headEnd = answer.find("\r\n\r\n");
    if (headEnd == std::string_view::npos)
        return false;
    const std::size_t length = answer.find("\r\nContent-Length: ");
    if (length == std::string_view::npos || length > headEnd)
        return false;
    const std::size_t body = std::stoul(std::string(answer.substr(length + 18, 12)));
    return answer.size() >= headEnd + 4 + body;
}

} // namespace

std::string RawExchange(int port, std::string_view request, const RawOptions& options)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    {
        ::close(fd);
        return answer;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    const auto deadline = std::chrono::steady_clock::now() + options.timeout;
    std::size_t sent = 0;
    if (request.empty() && options.shutdownAfterSending)
        ::shutdown(fd, SHUT_WR);
    for (;;)
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd watch{fd, static_cast<short>(POLLIN | (sent < request.size() ? POLLOUT : 0)), 0};
        if (left.count() <= 0 || ::poll(&watch, 1, static_cast<int>(left.count())) <= 0)
            break;
        if ((watch.revents & (POLLIN | POLLHUP | POLLERR)) != 0)
        {
            char buffer[16384];
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got > 0)
                answer.append(buffer, static_cast<std::size_t>(got));
            else if (got == 0 || (errno != EAGAIN && errno != EINTR))
                break;
            if (!options.untilClosed && IsWholeAnswer(answer))
                break;
        }
        if ((watch.revents & POLLOUT) != 0)
        {
            const ssize_t put =
                ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
            if (put > 0)
                sent += static_cast<std::size_t>(put);
            else if (errno != EAGAIN && errno != EINTR)
                sent = request.size(); // the server has closed; read what it said
            if (sent == request.size() && options.shutdownAfterSending)
                ::shutdown(fd, SHUT_WR);
        }
    }
    ::close(fd);
    return answer;
}

int RawStatus(std::string_view answer)
{
    if (!answer.starts_with("HTTP/1.1 ") || answer.size() < 12)
        return 0;
    return std::stoi(std::string(answer.substr(9, 3)));
}

void ExpectHtmlHeaders(const httplib::Response& response)
{
    EXPECT_EQ(response.get_header_value("Content-Type"), "text/html; charset=utf-8");
    EXPECT_EQ(response.get_header_value("Content-Security-Policy"),
              "default-src 'none'; style-src 'unsafe-inline'; img-src 'self'");
    EXPECT_EQ(response.get_header_value("X-Content-Type-Options"), "nosniff");
    EXPECT_NE(response.body.find("<html lang=\"en\">"), std::string::npos);
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
        if (byte <= 0x20 || byte >= 0x7F)
        {
            target += '%';
            AppendHexByte(target, byte);
        }
        else
        {
            target += c;
        }
    }
    return target;
}

} // namespace tnews::server::testing
