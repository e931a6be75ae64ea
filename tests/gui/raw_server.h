// A loopback HTTP server whose behaviour a test switches at will: answer (demanding Basic
// credentials first, as the directory server does), fail with 500, close the connection, or
// take the request and never answer.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tnews
{

class RawServer
{
public:
    enum class Mode
    {
        Answer,
        Status500,
        Close,
        Stall,
    };

    /// Listens on `port` of 127.0.0.1, or on a free port when 0.
    explicit RawServer(int port = 0)
    {
        m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int yes = 1;
        setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(m_listener, 64) != 0)
            throw std::runtime_error("can't listen on 127.0.0.1:" + std::to_string(port));
        socklen_t length = sizeof address;
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~RawServer()
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

    std::string Host() const { return "127.0.0.1:" + std::to_string(m_port); }
    void SetMode(Mode mode) { m_mode = mode; }
    /// The request lines that reached the server, credentials or not.
    std::vector<std::string> Requests()
    {
        std::lock_guard lock(m_mutex);
        return m_requests;
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
        for (;;)
        {
            std::string head;
            char byte = 0;
            while (head.find("\r\n\r\n") == std::string::npos && read(client, &byte, 1) == 1)
                head += byte;
            if (head.empty())
                break;
            {
                std::lock_guard lock(m_mutex);
                m_requests.push_back(head.substr(0, head.find("\r\n")));
            }
            const Mode mode = m_mode;
            if (mode == Mode::Stall)
                return; // never answered; the connection stays open until the server ends
            if (mode == Mode::Close)
                break;
            const bool credentials = head.find("\r\nAuthorization: Basic ") != std::string::npos;
            std::string body = "<!DOCTYPE html><title>Answer</title><p>answered";
            std::string status = "200 OK";
            std::string extra;
            if (mode == Mode::Status500)
                status = "500 Internal Server Error", body = "<title>Failure</title>";
            else if (!credentials)
                status = "401 Unauthorized", extra = "WWW-Authenticate: Basic realm=\"t\"\r\n";
            const std::string response =
                "HTTP/1.1 " + status + "\r\n" + extra +
                "Content-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
                "\r\n\r\n" + body;
            if (write(client, response.data(), response.size()) < 0)
                break;
        }
        shutdown(client, SHUT_RDWR);
    }

    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<Mode> m_mode{Mode::Answer};
    std::thread m_thread;
    std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::vector<int> m_clients;
    std::vector<std::thread> m_workers;
};

} // namespace tnews
