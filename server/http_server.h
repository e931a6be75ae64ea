// The directory server on a socket: Boost.Beast and Boost.Asio in front of a Site.
#pragma once

#include "access_log.h"
#include "site.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tnews::server
{

/// Threads by default: 0, one per core, each with an io_context of its own. Each serves many
/// connections and never waits on one client; more threads than cores only add switching and
/// lengthen the slowest answers.
inline constexpr std::size_t kDefaultThreads = 0;
/// Connections held at most; past this one that is idle or closing is closed, else the one
/// that has waited longest for its client. Fewer when the limit of open files leaves less room.
inline constexpr std::size_t kDefaultMaxConnections = 1024;

struct HttpOptions
{
    std::size_t threads = kDefaultThreads;
    // Receives one common-log line per request, and a line for each answer's problem, from any
    // thread; no logging when empty.
    LogFunction log;
    std::size_t maxConnections = kDefaultMaxConnections;
    // Listen then calls onHangup, on a serving thread, on SIGHUP; and on SIGINT or SIGTERM takes
    // no more connections and returns once those under way have answered (kDrainTime at most),
    // or at once on a second one.
    // Call BlockServerSignals before starting any thread.
    bool signals = false;
    std::function<void()> onHangup{};
    // Addresses of proxies in front of the server, written as Asio writes them ("127.0.0.1",
    // "::1"): a request from
    // one of them is taken to come from the address in its X-Real-IP field, for the log and the
    // limits on readers' corrections.
    std::vector<std::string> trustedProxies{};
};

/// Blocks SIGINT, SIGTERM and SIGHUP in this thread and the threads it starts from now on, so
/// that Listen alone takes them when HttpOptions::signals asks it to.
void BlockServerSignals();

/// Serves a Site over HTTP with limits for hostile clients (conversation.h, connection.h): a
/// request must arrive whole within 5 s of its first byte and its head within 8 KiB, a kept-alive
/// connection closes after 5 s without a request, only a POST's small form is read as a body,
/// and a client that does not take its answer at a minimum rate is reset. Every answer,
/// including those for malformed requests, is one of the Site's pages with a Content-Length.
class HttpServer
{
public:
    /// Serves `site`, which must outlive the server.
    HttpServer(const Site& site, HttpOptions options);
    /// Serves `site` until Replace swaps another in.
    HttpServer(std::shared_ptr<const Site> site, HttpOptions options);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    /// Binds to `host` and `port` (0: any free port) and starts listening; returns the port, or
    /// nothing if the address can't be bound, including when another server listens there.
    std::optional<int> Bind(const std::string& host, int port);

    /// Accepts connections until Stop is called, on this thread and options.threads - 1 more
    /// (fewer if the system refuses to start them), all joined before it returns; false if the
    /// server was not bound.
    bool Listen();

    /// Makes Listen return, at once if called before it; safe from any thread.
    void Stop();

    /// True while Listen is accepting connections.
    bool IsRunning() const;

    /// Answers every request from now on with `site`; a request under way finishes with the
    /// Site it started with. Returns once none is left on the one before, which it destroys
    /// here rather than on a serving thread. Safe from any thread but a serving one.
    void Replace(std::shared_ptr<const Site> site);

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace tnews::server
