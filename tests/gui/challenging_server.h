// A loopback HTTP server that demands Basic credentials as the directory server does: it answers
// 401 with a challenge until they come, then a page of the test's choosing. A test may switch it
// to fail with 500 or to take the request and never answer. It records when every request
// arrived, its request line and its credentials.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
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
        m_server.set_keep_alive_max_count(1);
        m_server.set_read_timeout(1); // so that connections opened ahead and never used end soon
        m_server.Get(".*", [this](const httplib::Request& in, httplib::Response& out)
                     { Handle(in, out); });
        m_port = port ? (m_server.bind_to_port("127.0.0.1", port) ? port : -1)
                      : m_server.bind_to_any_port("127.0.0.1");
        if (m_port <= 0)
            throw std::runtime_error("can't listen on 127.0.0.1:" + std::to_string(port));
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running()) // stop() does nothing before then
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~ChallengingServer()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true; // ends the stalled requests
        }
        m_stopped.notify_all();
        m_server.stop();
        m_thread.join();
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

private:
    void Handle(const httplib::Request& in, httplib::Response& out)
    {
        std::unique_lock lock(m_mutex);
        m_requests.push_back({Clock::now(), in.method + " " + in.target + " " + in.version,
                              in.get_header_value("Authorization")});
        if (m_mode == Mode::Stall) // never answered while the server runs
            m_stopped.wait(lock, [this] { return m_stopping; });
        else if (m_mode == Mode::Status500)
            out.status = 500, out.set_content("<title>Failure</title>", "text/html");
        else if (in.get_header_value("Authorization").empty())
        {
            out.status = 401;
            out.set_header("WWW-Authenticate", "Basic realm=\"t\"");
            out.set_content("<title>Unauthorized</title>", "text/html");
        }
        else
            out.set_content(m_page, "text/html; charset=utf-8");
    }

    httplib::Server m_server;
    int m_port = 0;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_stopped;
    bool m_stopping = false;
    std::atomic<Mode> m_mode{Mode::Answer};
    std::string m_page = "<!DOCTYPE html><title>Listing</title><p>ok";
    std::vector<Request> m_requests;
};

} // namespace tnews
