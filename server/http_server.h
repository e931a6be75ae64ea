// The directory server on a socket: Boost.Beast and Boost.Asio in front of a Site.
#pragma once

#include "access_log.h"
#include "site.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tnews::server
{

/// Threads by default: 0, one per core, each with an io_context of its own. Each serves many
/// connections and never waits on one client; more threads than cores only add switching and
/// lengthen the slowest answers.
inline constexpr std::size_t kDefaultThreads = 0;
/// Connections held at most; past this one that is idle or lingering is closed, else the one
/// that has waited longest for its client. Fewer when the limit of open files leaves less room.
inline constexpr std::size_t kDefaultMaxConnections = 1024;

struct HttpOptions
{
    std::size_t threads = kDefaultThreads;
    // Receives one common-log line per request, from any thread; no logging when empty.
    LogFunction log;
    std::size_t maxConnections = kDefaultMaxConnections;
};

/// Serves a Site over HTTP with limits for hostile clients (conversation.h, connection.h): a
/// request's head must arrive whole within 5 s of its first byte and within 8 KiB, a kept-alive
/// connection closes after 5 s without a request, request bodies are never read (the connection
/// closes after answering), and a client that reads nothing of an answer for 5 s is dropped.
/// Every answer, including those for malformed requests, is one of the Site's HTML pages with a
/// Content-Length.
class HttpServer
{
public:
    /// `site` must outlive the server.
    HttpServer(const Site& site, HttpOptions options);
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

    /// The answers the server sends, each whole, on a connection that has received `received`
    /// and then closed its side: each complete request answered in turn, exactly as on a
    /// socket, until one ends the connection. Needs no Bind; for tests and fuzzing.
    std::vector<std::string> Exchange(std::string_view received) const;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace tnews::server
