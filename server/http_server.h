// The directory server on a socket: cpp-httplib in front of a Site.
#pragma once

#include "site.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tnews::server
{

/// Worker threads by default: each keep-alive connection holds one, and the program's pane and
/// a few users' panes at once should never wait for a free thread.
inline constexpr std::size_t kDefaultThreads = 64;

struct HttpOptions
{
    std::size_t threads = kDefaultThreads;
    // Receives one common-log line per request, from any worker thread; no logging when empty.
    std::function<void(const std::string&)> log;
};

/// Serves a Site over HTTP with limits for hostile clients: 5 s read and write timeouts, small
/// request bodies, and httplib's request-line and header length limits. Every answer, including
/// those httplib makes for malformed requests, is one of the Site's HTML pages.
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

    /// Accepts connections until Stop is called; false if the server was not bound.
    bool Listen();

    /// Makes Listen return; safe from any thread once IsRunning is true.
    void Stop();

    /// True while Listen is accepting connections.
    bool IsRunning() const;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace tnews::server
