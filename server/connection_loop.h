// The connections of the directory server, held by a few threads with one epoll set each. A
// thread only ever waits in epoll, never on one client, so clients that are slow, stall halfway
// through a request or never read their answers can't keep the server from serving others.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace tnews::server
{

/// The two ends of a connection, as "127.0.0.1" and a port.
struct Peer
{
    std::string remoteIp;
    int remotePort = 0;
    std::string localIp;
    int localPort = 0;
};

/// What a ConnectionHandler did with the bytes a connection has received.
struct Served
{
    std::size_t consumed = 0; // bytes of the request answered; 0 with !close: more are needed
    bool close = false;       // close the connection once the output is sent
};

/// The HTTP side of the connections, called from any loop thread; all socket-free.
class ConnectionHandler
{
public:
    virtual ~ConnectionHandler() = default;
    /// Answers the first request of `received` once its head is complete (or too large),
    /// appending the whole response to `output`. `last` asks to close the connection after it.
    virtual Served Serve(std::string_view received, const Peer& peer, bool last,
                         std::string& output) = 0;
    /// The response to a client that has sent `received`, part of a head, and then stalled.
    virtual std::string TimedOut(std::string_view received, const Peer& peer) = 0;
};

struct LoopLimits
{
    std::size_t threads = 4;
    std::size_t maxConnections = 1024; // past this the longest-waiting idle one is closed
    std::size_t maxRequestsPerConnection = 1000;
    std::chrono::milliseconds idle{5000};   // keep-alive: no byte of a next request
    std::chrono::milliseconds head{5000};   // from a request's first byte to its complete head
    std::chrono::milliseconds write{5000};  // without the client reading any of its answer
    std::chrono::milliseconds linger{2000}; // reading what follows a last answer, then closing
};

/// Serves connections accepted on `listenFd` (a non-blocking listening socket) until `stop` is
/// set and `wakeFd` (an eventfd) signalled. Runs limits.threads loops, one in the calling
/// thread, and returns when all have ended and every connection is closed; false if epoll fails.
bool RunConnectionLoops(int listenFd, int wakeFd, const std::atomic<bool>& stop,
                        ConnectionHandler& handler, const LoopLimits& limits);

} // namespace tnews::server
