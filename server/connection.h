// One client's connection: a Beast TCP stream whose deadline bounds each read and write, and the
// Conversation that parses and answers. Each connection runs on one io_context, served by one
// thread, and never waits on its client: a client that is slow, stalls halfway through a request
// or never reads its answers only holds its own connection, and only until a deadline passes.
#pragma once

#include "conversation.h"

#include <boost/asio/basic_waitable_timer.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/thread_pool.hpp>
#include <boost/beast/core/basic_stream.hpp>
#include <boost/beast/core/flat_buffer.hpp>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tnews::server
{

// Each connection stays on its own io_context, so its stream and timer name that executor:
// Asio's type-erased default executor costs a few percent of every request.
using Executor = boost::asio::io_context::executor_type;
using Socket = boost::asio::basic_stream_socket<boost::asio::ip::tcp, Executor>;

/// A client has this long to send a request's first byte, and from it the whole request, a
/// form included; past it the connection closes.
inline constexpr std::chrono::seconds kClientTimeout{5};
/// A client must take an answer within kClientTimeout and a second for each of these many bytes
/// of it, or the connection is reset.
inline constexpr std::size_t kMinBytesPerSecond = 16 * 1024;
/// How long a connection that has sent its last answer reads what the client still sends before
/// it closes, so that the answer isn't lost to a reset.
inline constexpr std::chrono::seconds kLinger{2};
/// Each connection's kernel send buffer, which bounds what a client that doesn't read holds of
/// the kernel's memory. The kernel reserves twice this, so an answer of this size goes to it in
/// one write.
inline constexpr int kSendBufferBytes = 64 * 1024;
/// Threads that answer forms (POST), whose answers wait for the disk.
inline constexpr std::size_t kFormThreads = 2;
/// How long a server stopped by a signal lets the requests under way finish.
inline constexpr std::chrono::seconds kDrainTime{10};

class Connection;

/// The open connections, so that a new one past the cap can make room. The table keeps what
/// eviction needs in its entries and holds no connection.
class ConnectionTable
{
public:
    using Clock = std::chrono::steady_clock;
    enum class Activity
    {
        New,       // accepted, nothing received yet
        Idle,      // kept alive after an answer, waiting for the next request: reclaimable
        Request,   // part of a request has arrived
        Answering, // the Site answers, or the answer goes out
        Closing,   // answered for the last time: reclaimable
    };
    struct Entry
    {
        std::weak_ptr<Connection> connection; // only ever locked outside the table's lock
        std::atomic<Activity> activity{Activity::New};
        std::atomic<Clock::rep> since{Clock::now().time_since_epoch().count()};
        bool evicted = false; // guarded by the table's lock
    };
    using Handle = std::list<Entry>::iterator;

    explicit ConnectionTable(std::size_t maxConnections) : m_max(maxConnections) {}

    /// Adds an entry for `connection`, which its owner updates and removes. Past the cap, also
    /// returns the connection to close: the one idle or closing longest, else the one that has
    /// waited longest for its client; its entry no longer counts, so the next call picks another.
    std::pair<Handle, std::weak_ptr<Connection>> Add(std::weak_ptr<Connection> connection);

    /// Removes an entry Add gave.
    void Remove(Handle entry);

    /// Every connection in the table, to be locked outside it.
    std::vector<std::weak_ptr<Connection>> Connections();
    /// True when no connection is left.
    bool Empty();

private:
    const std::size_t m_max;
    std::mutex m_mutex;
    std::list<Entry> m_entries;
    std::size_t m_counted = 0; // entries not evicted
};

/// What every connection of a server shares; it outlives them.
struct ServerState
{
    ServerState(std::shared_ptr<const Site> site, LogFunction logFunction,
                std::size_t maxConnections, std::vector<std::string> trustedProxyAddresses = {})
        : log(std::move(logFunction)), trustedProxies(std::move(trustedProxyAddresses)),
          table(maxConnections), m_site(std::move(site))
    {
    }

    /// The Site to answer with; each request keeps the one it started with.
    std::shared_ptr<const Site> CurrentSite() const;
    /// Makes `site` the one to answer with and returns the one before.
    std::shared_ptr<const Site> ReplaceSite(std::shared_ptr<const Site> site);

    const LogFunction log;
    // Set once the server stops taking requests: each connection closes after its answer.
    std::atomic<bool> draining{false};
    // Clients whose X-Real-IP field names the client they forward for (HttpOptions).
    const std::vector<std::string> trustedProxies;
    ConnectionTable table;
    boost::asio::thread_pool forms{kFormThreads};

private:
    mutable std::mutex m_siteMutex;
    std::shared_ptr<const Site> m_site;
};

/// Reports on stderr a failure that cost a connection, or a form's answer.
void ReportFailure(const char* what) noexcept;

class Connection : public std::enable_shared_from_this<Connection>
{
public:
    Connection(Socket socket, ServerState& server);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    /// Enters the connection in the server's table and starts serving it on its own io_context;
    /// call once, on the accepting thread. Returns the connection to evict to make room, if any.
    std::weak_ptr<Connection> Start();
    /// Closes the connection on its own io_context; safe from any thread.
    void Evict();
    /// Closes the connection on its own io_context once it has answered what it has begun to
    /// receive, at once when it waits for a request; safe from any thread.
    void Finish();

private:
    using Activity = ConnectionTable::Activity;
    using Clock = ConnectionTable::Clock;

    void Enter(Activity activity);
    void Await(Activity activity);
    void Read();
    void Serve();
    void Dispatch(Request request);
    void Send(Answer answer);
    void AwaitDrain();
    void Linger();
    void Discard();
    void SetReset(bool reset);
    void Close();

    boost::beast::basic_stream<boost::asio::ip::tcp, Executor> m_stream;
    boost::asio::basic_waitable_timer<Clock, boost::asio::wait_traits<Clock>, Executor> m_drainTimer;
    Clock::duration m_drainPoll;
    Clock::time_point m_deadline; // of the answer going out
    bool m_reset = false;         // a close now resets the connection
    boost::beast::flat_buffer m_buffer;
    Conversation m_conversation;
    Answer m_answer;
    ServerState& m_server;
    std::optional<ConnectionTable::Handle> m_entry;
};

} // namespace tnews::server
