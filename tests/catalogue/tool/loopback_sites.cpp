#include "loopback_sites.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace tnews::catalogue::testing
{
namespace
{

void Redirect(httplib::Server& server, const std::string& from, const std::string& to)
{
    server.Get(from, [to](const httplib::Request&, httplib::Response& res)
               { res.set_redirect(to, 301); });
}

// A listening socket on a free loopback port; its port in `port`.
int ListenOnLoopback(int& port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 16) != 0 || getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    {
        ADD_FAILURE() << "can't listen on loopback";
    }
    port = ntohs(address.sin_port);
    return fd;
}

} // namespace

LoopbackSites::LoopbackSites(const std::filesystem::path& certificateFolder)
    : m_http(std::make_unique<httplib::Server>())
{
    httplib::Server& http = *m_http;
    http.Get("/ok", [](const httplib::Request&, httplib::Response& res)
             { res.set_content("fine", "text/plain"); });
    Redirect(http, "/r1", "/r2");
    Redirect(http, "/r2", "/r3");
    Redirect(http, "/r3", "/ok");
    Redirect(http, "/loop", "/loop");
    http.Get("/missing", [](const httplib::Request&, httplib::Response& res) { res.status = 404; });
    http.Get("/gone", [](const httplib::Request&, httplib::Response& res) { res.status = 410; });
    http.Get("/slow", [this](const httplib::Request&, httplib::Response& res)
             {
                 for (int i = 0; i < 30 && !m_stopping; ++i)
                     std::this_thread::sleep_for(std::chrono::milliseconds(100));
                 res.set_content("late", "text/plain");
             });
    http.Get("/no-head", [](const httplib::Request& req, httplib::Response& res)
             {
                 if (req.method == "HEAD")
                     res.status = 405;
                 else
                     res.set_content("only GET", "text/plain");
             });
    m_httpPort = http.bind_to_any_port("127.0.0.1");
    m_httpThread = std::thread([&http] { http.listen_after_bind(); });

    const std::filesystem::path key = certificateFolder / "key.pem";
    const std::filesystem::path certificate = certificateFolder / "certificate.pem";
    const std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "
                                "/CN=127.0.0.1 -keyout '" +
                                key.string() + "' -out '" + certificate.string() +
                                "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        ADD_FAILURE() << "openssl could not make a certificate: " << command;
    m_tls = std::make_unique<httplib::SSLServer>(certificate.c_str(), key.c_str());
    m_tls->Get("/", [](const httplib::Request&, httplib::Response& res)
               { res.set_content("secret", "text/plain"); });
    m_tlsPort = m_tls->bind_to_any_port("127.0.0.1");
    m_tlsThread = std::thread([this] { m_tls->listen_after_bind(); });

    // Reads the request's first bytes, then closes with a zero linger time: the client gets a
    // reset instead of an answer.
    m_resetSocket = ListenOnLoopback(m_resetPort);
    m_resetThread = std::thread(
        [this]
        {
            while (!m_stopping)
            {
                pollfd ready{m_resetSocket, POLLIN, 0};
                if (poll(&ready, 1, 100) <= 0)
                    continue;
                const int client = accept(m_resetSocket, nullptr, nullptr);
                if (client < 0)
                    continue;
                char buffer[256];
                (void)recv(client, buffer, sizeof buffer, 0);
                linger reset{1, 0};
                setsockopt(client, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
                close(client);
            }
        });
}

LoopbackSites::~LoopbackSites()
{
    m_stopping = true;
    m_http->stop();
    m_tls->stop();
    m_httpThread.join();
    m_tlsThread.join();
    m_resetThread.join();
    close(m_resetSocket);
}

std::string LoopbackSites::Http(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_httpPort) + path;
}

std::string LoopbackSites::SelfSignedTls() const
{
    return "https://127.0.0.1:" + std::to_string(m_tlsPort) + "/";
}

std::string LoopbackSites::TlsToPlainText() const
{
    return "https://127.0.0.1:" + std::to_string(m_httpPort) + "/ok";
}

std::string LoopbackSites::Resetting() const
{
    return "http://127.0.0.1:" + std::to_string(m_resetPort) + "/";
}

} // namespace tnews::catalogue::testing
