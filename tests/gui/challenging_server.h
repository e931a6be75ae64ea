// A loopback HTTP server that demands Basic credentials as the directory server does: it answers
// 401 with a challenge until they come, then a page of the test's choosing or the answer of a
// real directory server behind it. A test may switch it to fail with 500, to take the request and
// never answer, to cut its answers short, or to do one of these at random for each request. It
// records when every request arrived, its request line, its credentials and how it was met.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>
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
        Stall,    // until the server stops
        CutShort, // half of the answer, then the connection closes
        Mixed,    // for each request at random: answer, answer after up to 5 s, or cut short
    };
    struct Request
    {
        Clock::time_point arrival;
        std::string line;          // "GET /path?query HTTP/1.1", as sent
        std::string authorization; // empty without credentials
        Mode met = Mode::Answer;   // what it got; Mixed never stands here
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
    /// Answers requests that carry credentials with what the server at `host` answers them.
    void SetUpstream(std::string host)
    {
        std::lock_guard lock(m_mutex);
        m_upstream = std::move(host);
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
        const bool forever = m_mode == Mode::Stall;
        Mode mode = m_mode;
        std::chrono::milliseconds stall{0};
        if (mode == Mode::Mixed)
        {
            const auto draw = m_random() % 10;
            mode = draw < 6 ? Mode::Answer : draw < 8 ? Mode::Stall : Mode::CutShort;
            stall = std::chrono::milliseconds(m_random() % 5000);
        }
        const std::string authorization = in.get_header_value("Authorization");
        m_requests.push_back(
            {Clock::now(), in.method + " " + in.target + " " + in.version, authorization, mode});
        const auto stopping = [this] { return m_stopping; };
        if (forever) // never answered while the server runs
            return m_stopped.wait(lock, stopping);
        if (mode == Mode::Stall && m_stopped.wait_for(lock, stall, stopping))
            return;
        const std::string upstream = m_upstream;
        const std::string page = m_page;
        lock.unlock();

        if (mode == Mode::Status500)
            out.status = 500, out.set_content("<title>Failure</title>", "text/html");
        else if (authorization.empty())
        {
            out.status = 401;
            out.set_header("WWW-Authenticate", "Basic realm=\"t\"");
            out.set_content("<title>Unauthorized</title>", "text/html");
        }
        else if (!upstream.empty())
            Forward(in, out, upstream);
        else
            out.set_content(page, "text/html; charset=utf-8");
        if (mode == Mode::CutShort)
        {
            // A length that promises the whole body; the provider's false closes the connection.
            auto body = std::make_shared<std::string>(std::move(out.body));
            const std::string type = out.get_header_value("Content-Type");
            out.body.clear();
            out.set_content_provider(body->size(), type,
                                     [body](std::size_t, std::size_t, httplib::DataSink& sink)
                                     {
                                         sink.write(body->data(), body->size() / 2);
                                         return false;
                                     });
        }
    }

    static void Forward(const httplib::Request& in, httplib::Response& out, const std::string& host)
    {
        httplib::Client client("http://" + host);
        client.set_url_encode(false); // the target goes on byte for byte
        const httplib::Result answer =
            client.Get(in.target, {{"Authorization", in.get_header_value("Authorization")}});
        if (!answer)
        {
            out.status = 502;
            return;
        }
        out.status = answer->status;
        for (const auto& [name, value] : answer->headers)
            if (name != "Content-Length" && name != "Transfer-Encoding" && name != "Connection")
                out.set_header(name, value);
        out.body = answer->body;
    }

    httplib::Server m_server;
    int m_port = 0;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_stopped;
    bool m_stopping = false;
    std::atomic<Mode> m_mode{Mode::Answer};
    std::string m_page = "<!DOCTYPE html><title>Listing</title><p>ok";
    std::string m_upstream;
    std::minstd_rand m_random{std::random_device{}()};
    std::vector<Request> m_requests;
};

} // namespace tnews
