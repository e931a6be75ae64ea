// A loopback HTTP server that demands Basic credentials as the directory server does: it answers
// 401 with a challenge until they come, then a page of the test's choosing. A test may switch it
// to fail with 500, close the connection, or take the request and never answer. It records when
// every request arrived, its request line and its credentials.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tnews
{

class ChallengingServer
{
public:
    using Clock = std::chrono::steady_clock;
    enum class Mode
    {
        Answer,
        Status500,
        Close,
        Stall,
    };
    struct Request
    {
        Clock::time_point arrival;
        std::string line;          // "GET /path?query HTTP/1.1", as sent
        std::string authorization; // empty without credentials
    };

    /// Listens on `port` of 127.0.0.1, or on a free port when 0.
    explicit ChallengingServer(int port = 0)
    {
        m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int yes = 1;
        setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        socklen_t length = sizeof address;
        if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            listen(m_listener, 64) != 0 ||
            getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("can't listen on 127.0.0.1:" + std::to_string(port));
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~ChallengingServer()
    {
        m_stop = true;
        m_thread.join();
        close(m_listener);
        std::lock_guard lock(m_mutex);
        for (int client : m_clients)
            shutdown(client, SHUT_RDWR); // wakes the workers' reads
        for (std::thread& worker : m_workers)
            worker.join();
        for (int client : m_clients)
            close(client);
    }

    int Port() const { return m_port; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(m_port); }
    void SetMode(Mode mode) { m_mode = mode; }
    void SetPage(std::string page)
    {
        std::lock_guard lock(m_mutex);
        m_page = std::move(page);
    }
    /// Every request that reached the server, with credentials or without.
    std::vector<Request> Requests()
    {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    std::vector<Clock::time_point> Arrivals()
    {
        std::vector<Clock::time_point> arrivals;
        for (const Request& request : Requests())
            arrivals.push_back(request.arrival);
        return arrivals;
    }

private:
    void Serve()
    {
        while (!m_stop)
        {
            pollfd ready{m_listener, POLLIN, 0};
            if (poll(&ready, 1, 20) <= 0)
                continue;
            const int client = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            std::lock_guard lock(m_mutex);
            m_clients.push_back(client);
            m_workers.emplace_back([this, client] { Handle(client); });
        }
    }

    void Handle(int client)
    {
        std::string head;
        char byte = 0;
        while (!head.ends_with("\r\n\r\n") && read(client, &byte, 1) == 1)
            head += byte;
        if (head.empty()) // a connection the engine opened ahead and never used
        {
            shutdown(client, SHUT_RDWR);
            return;
        }
        const std::size_t at = head.find("\r\nAuthorization: "), from = at + 17;
        Request request{Clock::now(), head.substr(0, head.find("\r\n")),
                        at == std::string::npos ? ""
                                                : head.substr(from, head.find('\r', from) - from)};
        std::string status = "200 OK", extra, body;
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(request);
            body = m_page;
        }
        const Mode mode = m_mode;
        if (mode == Mode::Stall)
            return; // never answered; the connection stays open until the server ends
        if (mode == Mode::Status500)
            status = "500 Internal Server Error", body = "<title>Failure</title>";
        else if (request.authorization.empty())
            status = "401 Unauthorized", body = "<title>Unauthorized</title>",
            extra = "WWW-Authenticate: Basic realm=\"t\"\r\n";
        const std::string response = "HTTP/1.1 " + status + "\r\n" + extra +
                                     "Connection: close\r\nContent-Type: text/html; charset=utf-8"
                                     "\r\nContent-Length: " +
                                     std::to_string(body.size()) + "\r\n\r\n" + body;
        if (mode != Mode::Close)
            (void)!write(client, response.data(), response.size());
        shutdown(client, SHUT_RDWR);
    }

    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<Mode> m_mode{Mode::Answer};
    std::thread m_thread;
    std::mutex m_mutex;
    std::string m_page = "<!DOCTYPE html><title>Listing</title><p>ok";
    std::vector<Request> m_requests;
    std::vector<int> m_clients;
    std::vector<std::thread> m_workers;
};

} // namespace tnews
