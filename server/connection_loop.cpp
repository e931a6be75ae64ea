#include "connection_loop.h"

#include "request_head.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace tnews::server
{
namespace
{

using Clock = std::chrono::steady_clock;

constexpr std::size_t kReadChunk = 16 * 1024;
constexpr std::size_t kMaxLingerBytes = 1024 * 1024;
constexpr std::size_t kMaxEvents = 64;
constexpr std::size_t kMaxAcceptsPerWake = 64;
constexpr std::chrono::milliseconds kSweepInterval{200};

// Tags of the two descriptors that are not connections, in epoll_event.data.ptr.
char g_listenTag;
char g_wakeTag;

enum class State
{
    Reading,   // waiting for (the rest of) a request
    Writing,   // the client has not taken all of an answer yet
    Lingering, // the last answer is sent; reading what follows so that closing can't reset it
};

struct Connection
{
    int fd = -1;
    std::size_t index = 0; // in Loop::m_connections
    Peer peer;
    State state = State::Reading;
    std::string in;  // received, not yet answered
    std::string out; // answer not yet sent, from `sent` on
    std::size_t sent = 0;
    std::size_t requests = 0;
    std::size_t discarded = 0;
    bool closeAfterWrite = false;
    bool peerClosed = false;
    Clock::time_point deadline;
};

std::string IpText(const sockaddr_storage& address, int& port)
{
    char text[INET6_ADDRSTRLEN] = "";
    if (address.ss_family == AF_INET)
    {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        ::inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
        port = ntohs(v4.sin_port);
    }
    else if (address.ss_family == AF_INET6)
    {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        ::inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        port = ntohs(v6.sin6_port);
    }
    return text;
}

class Loop
{
public:
    Loop(int listenFd, int wakeFd, const std::atomic<bool>& stop, ConnectionHandler& handler,
         const LoopLimits& limits, std::size_t maxConnections)
        : m_listenFd(listenFd), m_stop(stop), m_handler(handler), m_limits(limits),
          m_maxConnections(maxConnections), m_epoll(::epoll_create1(EPOLL_CLOEXEC))
    {
        if (m_epoll < 0)
            return;
        // Each connection is accepted by one loop only, whichever the kernel wakes.
        epoll_event listen{EPOLLIN | EPOLLEXCLUSIVE, {&g_listenTag}};
        epoll_event wake{EPOLLIN, {&g_wakeTag}};
        m_valid = ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, listenFd, &listen) == 0 &&
                  ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, wakeFd, &wake) == 0;
    }

    ~Loop()
    {
        for (const auto& connection : m_connections)
            ::close(connection->fd);
        if (m_epoll >= 0)
            ::close(m_epoll);
    }

    Loop(const Loop&) = delete;
    Loop& operator=(const Loop&) = delete;

    bool IsValid() const { return m_valid; }

    void Run()
    {
        epoll_event events[kMaxEvents];
        auto nextSweep = Clock::now() + kSweepInterval;
        while (!m_stop)
        {
            const auto wait =
                std::chrono::duration_cast<std::chrono::milliseconds>(nextSweep - Clock::now());
            const int count = ::epoll_wait(m_epoll, events, static_cast<int>(kMaxEvents),
                                           static_cast<int>(std::max<long>(0, wait.count())));
            if (count < 0 && errno != EINTR)
                break;
            m_now = Clock::now();
            for (int i = 0; i < count; ++i)
            {
                void* tag = events[i].data.ptr;
                if (tag == &g_wakeTag)
                    continue;
                if (tag == &g_listenTag)
                {
                    Accept();
                    continue;
                }
                auto& connection = *static_cast<Connection*>(tag);
                if (connection.fd >= 0)
                    OnEvent(connection, events[i].events);
            }
            if (m_now >= nextSweep)
            {
                Sweep();
                nextSweep = m_now + kSweepInterval;
            }
            // Only now: a later event of the same batch may name a connection closed earlier.
            m_closed.clear();
        }
    }

private:
    void Accept()
    {
        for (std::size_t i = 0; i < kMaxAcceptsPerWake; ++i)
        {
            sockaddr_storage remote{};
            socklen_t length = sizeof remote;
            const int fd = ::accept4(m_listenFd, reinterpret_cast<sockaddr*>(&remote), &length,
                                     SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0)
            {
                if (errno == EINTR || errno == ECONNABORTED || errno == EPROTO)
                    continue;
                // Out of descriptors: make room, or stop accepting for a moment, because the
                // listening socket would otherwise wake this loop again at once.
                if ((errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) &&
                    !EvictOne())
                {
                    ::epoll_ctl(m_epoll, EPOLL_CTL_DEL, m_listenFd, nullptr);
                    m_acceptPaused = true;
                }
                return;
            }
            if (m_connections.size() >= m_maxConnections && !EvictOne())
            {
                ::close(fd);
                continue;
            }
            auto connection = std::make_unique<Connection>();
            connection->fd = fd;
            connection->peer.remoteIp = IpText(remote, connection->peer.remotePort);
            sockaddr_storage local{};
            length = sizeof local;
            if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) == 0)
                connection->peer.localIp = IpText(local, connection->peer.localPort);
            // Answers go out whole in one send; a pipelined one must not wait for an ACK.
            int yes = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
            connection->deadline = m_now + m_limits.idle;
            epoll_event event{EPOLLIN, {connection.get()}};
            if (::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &event) != 0)
            {
                ::close(fd);
                continue;
            }
            connection->index = m_connections.size();
            m_connections.push_back(std::move(connection));
        }
    }

    void OnEvent(Connection& connection, std::uint32_t events)
    {
        switch (connection.state)
        {
        case State::Reading:
            Read(connection);
            break;
        case State::Writing:
            if ((events & EPOLLERR) != 0)
                Close(connection);
            else if (Flush(connection))
                Answer(connection);
            break;
        case State::Lingering:
            Linger(connection);
            break;
        }
    }

    void Read(Connection& connection)
    {
        char buffer[kReadChunk];
        bool newline = false;
        // Reading stops at the largest head; what lies beyond waits in the socket.
        while (connection.in.size() <= kMaxHeadBytes)
        {
            const ssize_t got = ::recv(connection.fd, buffer, sizeof buffer, 0);
            if (got > 0)
            {
                // A request's time starts with its first byte, so trickling bytes gains nothing.
                if (connection.in.empty())
                    connection.deadline = m_now + m_limits.head;
                const auto size = static_cast<std::size_t>(got);
                newline = newline || std::memchr(buffer, '\n', size) != nullptr;
                connection.in.append(buffer, size);
                if (size < sizeof buffer)
                    break;
                continue;
            }
            if (got == 0)
            {
                connection.peerClosed = true;
                break;
            }
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
            {
                Close(connection);
                return;
            }
            break;
        }
        // A head can only have ended, or grown too long, if a line ended or it got long.
        if (newline || connection.peerClosed || connection.in.size() >= kMaxRequestLineBytes)
            Answer(connection);
    }

    // Answers the complete requests received, one at a time: the next is taken only once the
    // answer to the previous one is sent, so a client that doesn't read gets nothing more.
    void Answer(Connection& connection)
    {
        while (connection.fd >= 0 && connection.state == State::Reading)
        {
            if (connection.in.empty())
            {
                if (connection.peerClosed)
                    Close(connection);
                else
                    connection.deadline = m_now + m_limits.idle;
                return;
            }
            const bool last = connection.requests + 1 >= m_limits.maxRequestsPerConnection;
            const Served served =
                m_handler.Serve(connection.in, connection.peer, last, connection.out);
            if (served.consumed == 0 && !served.close)
            {
                // Part of a request; one whose client has gone is never completed.
                if (connection.peerClosed)
                    Close(connection);
                return;
            }
            ++connection.requests;
            connection.in.erase(0, served.consumed);
            if (!connection.in.empty())
                connection.deadline = m_now + m_limits.head;
            connection.closeAfterWrite = served.close;
            if (!Flush(connection))
                return;
        }
    }

    // Sends what is left of the answer; true if all of it went and the connection reads on.
    bool Flush(Connection& connection)
    {
        while (connection.sent < connection.out.size())
        {
            const ssize_t sent = ::send(connection.fd, connection.out.data() + connection.sent,
                                        connection.out.size() - connection.sent, MSG_NOSIGNAL);
            if (sent > 0)
            {
                connection.sent += static_cast<std::size_t>(sent);
                continue;
            }
            if (sent < 0 && errno == EINTR)
                continue;
            if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            {
                connection.deadline = m_now + m_limits.write;
                if (connection.state != State::Writing)
                {
                    connection.state = State::Writing;
                    Watch(connection, EPOLLOUT);
                }
                return false;
            }
            Close(connection);
            return false;
        }
        connection.out.clear();
        connection.sent = 0;
        if (connection.closeAfterWrite)
        {
            StartLingering(connection);
            return false;
        }
        if (connection.state == State::Writing)
        {
            connection.state = State::Reading;
            connection.deadline = m_now + (connection.in.empty() ? m_limits.idle : m_limits.head);
            Watch(connection, EPOLLIN);
        }
        return true;
    }

    // Closing a socket with unread bytes resets the connection, and a client may then lose an
    // answer it has not read yet; so stop sending and read until the client closes too.
    void StartLingering(Connection& connection)
    {
        ::shutdown(connection.fd, SHUT_WR);
        connection.state = State::Lingering;
        connection.in.clear();
        connection.in.shrink_to_fit();
        connection.deadline = m_now + m_limits.linger;
        Watch(connection, EPOLLIN);
        Linger(connection);
    }

    void Linger(Connection& connection)
    {
        char buffer[kReadChunk];
        for (;;)
        {
            const ssize_t got = ::recv(connection.fd, buffer, sizeof buffer, 0);
            if (got > 0)
            {
                connection.discarded += static_cast<std::size_t>(got);
                if (connection.discarded <= kMaxLingerBytes)
                    continue;
            }
            else if (got < 0 && errno == EINTR)
            {
                continue;
            }
            else if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            {
                return;
            }
            Close(connection);
            return;
        }
    }

    void Sweep()
    {
        for (std::size_t i = 0; i < m_connections.size();)
        {
            Connection& connection = *m_connections[i];
            if (m_now >= connection.deadline)
            {
                if (connection.state == State::Reading && !connection.in.empty())
                {
                    connection.out = m_handler.TimedOut(connection.in, connection.peer);
                    connection.closeAfterWrite = true;
                    connection.in.clear();
                    Flush(connection);
                }
                else
                {
                    Close(connection);
                }
            }
            if (i < m_connections.size() && m_connections[i].get() == &connection)
                ++i;
        }
        if (m_acceptPaused)
        {
            epoll_event listen{EPOLLIN | EPOLLEXCLUSIVE, {&g_listenTag}};
            m_acceptPaused = ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_listenFd, &listen) != 0;
        }
    }

    // Closes the connection that has waited longest for a request; false if none waits.
    bool EvictOne()
    {
        Connection* oldest = nullptr;
        for (const auto& connection : m_connections)
        {
            if (connection->state == State::Reading &&
                (!oldest || connection->deadline < oldest->deadline))
            {
                oldest = connection.get();
            }
        }
        if (oldest)
            Close(*oldest);
        return oldest != nullptr;
    }

    void Watch(Connection& connection, std::uint32_t events)
    {
        epoll_event event{events, {&connection}};
        ::epoll_ctl(m_epoll, EPOLL_CTL_MOD, connection.fd, &event);
    }

    void Close(Connection& connection)
    {
        ::close(connection.fd);
        connection.fd = -1;
        const std::size_t index = connection.index;
        m_closed.push_back(std::move(m_connections[index]));
        if (index + 1 != m_connections.size())
        {
            m_connections[index] = std::move(m_connections.back());
            m_connections[index]->index = index;
        }
        m_connections.pop_back();
    }

    const int m_listenFd;
    const std::atomic<bool>& m_stop;
    ConnectionHandler& m_handler;
    const LoopLimits& m_limits;
    const std::size_t m_maxConnections;
    const int m_epoll;
    bool m_valid = false;
    bool m_acceptPaused = false;
    Clock::time_point m_now = Clock::now();
    std::vector<std::unique_ptr<Connection>> m_connections;
    std::vector<std::unique_ptr<Connection>> m_closed;
};

} // namespace

bool RunConnectionLoops(int listenFd, int wakeFd, const std::atomic<bool>& stop,
                        ConnectionHandler& handler, const LoopLimits& limits)
{
    const std::size_t threads = std::max<std::size_t>(1, limits.threads);
    const std::size_t perLoop = std::max<std::size_t>(1, limits.maxConnections / threads);
    std::vector<std::unique_ptr<Loop>> loops;
    for (std::size_t i = 0; i < threads; ++i)
    {
        loops.push_back(std::make_unique<Loop>(listenFd, wakeFd, stop, handler, limits, perLoop));
        if (!loops.back()->IsValid())
            return false;
    }
    std::vector<std::thread> others;
    for (std::size_t i = 1; i < threads; ++i)
        others.emplace_back([&loop = *loops[i]] { loop.Run(); });
    loops.front()->Run();
    for (std::thread& thread : others)
        thread.join();
    return true;
}

} // namespace tnews::server
