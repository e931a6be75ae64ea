// A loopback server that demands Basic credentials as the directory server does: it answers
// 401 with a challenge until they come, then a page of the test's choosing. It records when
// every request arrives and what each request with credentials asked for.
#pragma once

#include "gui_support.h"

#include <httplib.h>

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tnews
{

class ChallengingServer
{
public:
    using Clock = std::chrono::steady_clock;

    struct Received
    {
        std::string path;
        std::multimap<std::string, std::string> params; // decoded
        std::string authorization;
    };

    ChallengingServer()
    {
        m_server.Get(".*",
                     [this](const httplib::Request& request, httplib::Response& response)
                     {
                         std::lock_guard lock(m_mutex);
                         m_arrivals.push_back(Clock::now());
                         if (!request.has_header("Authorization"))
                         {
                             response.status = 401;
                             response.set_header("WWW-Authenticate", "Basic realm=\"test\"");
                             return;
                         }
                         m_received.push_back({request.path,
                                               {request.params.begin(), request.params.end()},
                                               request.get_header_value("Authorization")});
                         response.set_content(m_page, "text/html; charset=utf-8");
                     });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        WaitFor([this] { return m_server.is_running(); });
    }
    ~ChallengingServer()
    {
        m_server.stop();
        m_thread.join();
    }

    std::string Host() const { return "127.0.0.1:" + std::to_string(m_port); }
    void SetPage(std::string page)
    {
        std::lock_guard lock(m_mutex);
        m_page = std::move(page);
    }
    /// The requests that came with credentials.
    std::vector<Received> ReceivedSoFar()
    {
        std::lock_guard lock(m_mutex);
        return m_received;
    }
    /// When each request arrived, with credentials or without.
    std::vector<Clock::time_point> Arrivals()
    {
        std::lock_guard lock(m_mutex);
        return m_arrivals;
    }

private:
    httplib::Server m_server;
    int m_port = 0;
    std::thread m_thread;
    std::mutex m_mutex;
    std::vector<Received> m_received;
    std::vector<Clock::time_point> m_arrivals;
    std::string m_page = "<!DOCTYPE html><title>Listing</title><p>ok";
};

} // namespace tnews
