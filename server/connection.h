// One client's connection: its socket, its deadlines and its Conversation. Each connection
// runs on one io_context, served by one thread, and never waits on its client: a client that
// is slow, stalls halfway through a head or never reads its answers only holds its own
// connection, and only until a deadline passes.
#pragma once

#include "conversation.h"

#include <boost/asio/basic_stream_socket.hpp>
#include <boost/asio/basic_waitable_timer.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>

namespace tnews::server
{

using Socket =
    boost::asio::basic_stream_socket<boost::asio::ip::tcp, boost::asio::io_context::executor_type>;

/// A whole head within this of its first byte (else 408), a next request within this of the last
/// answer, and some of an answer read within this; past any of them the connection closes.
inline constexpr std::chrono::seconds kClientTimeout{5};
/// How long a connection that has sent its last answer reads what the client still sends before
/// it closes, so that the answer isn't lost to a reset.
inline constexpr std::chrono::seconds kLinger{2};

class Connection;

/// The open connections, so that a new one past the cap can make room.
class ConnectionTable
{
public:
    explicit ConnectionTable(std::size_t maxConnections) : m_max(maxConnections) {}

    /// Adds `connection`. When there are more than the cap, takes out and returns the one to
    /// close: the one that has been idle or lingering longest, else the one that has waited
    /// longest for its client; nothing while there is room. A connection taken out no longer
    /// counts, so the next call picks another.
    std::shared_ptr<Connection> Add(const std::shared_ptr<Connection>& connection);

private:
    friend class Connection;
    using Entries = std::list<std::weak_ptr<Connection>>;
    void Remove(Connection& connection);

    const std::size_t m_max;
    std::mutex m_mutex;
    Entries m_entries;
};

class Connection : public std::enable_shared_from_this<Connection>
{
public:
    /// `site`, `log` and `table` must outlive it.
    Connection(Socket socket, const Site& site, const LogFunction& log, ConnectionTable& table);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    /// Starts serving the connection on its own io_context; call once, from any thread.
    void Start();
    /// Closes the connection on its own io_context; safe from any thread.
    void Evict();

private:
    friend class ConnectionTable;
    using Clock = std::chrono::steady_clock;
    enum class State
    {
        New,       // accepted, nothing received yet
        Idle,      // kept alive after an answer, waiting for the next request: reclaimable
        Head,      // part of a head has arrived
        Writing,   // sending an answer
        Lingering, // answered for the last time: reclaimable
    };

    void Enter(State state, Clock::duration timeout);
    void Read();
    void OnRead(const boost::system::error_code& error, std::size_t bytes);
    void Serve();
    void Send(Outgoing answer, bool close);
    std::size_t AnswerSize() const;
    void WriteSome();
    void OnWrite(const boost::system::error_code& error, std::size_t bytes);
    void Linger();
    void OnDeadline(const boost::system::error_code& error);
    void Close();

    Socket m_socket;
    boost::asio::basic_waitable_timer<Clock, boost::asio::wait_traits<Clock>,
                                      boost::asio::io_context::executor_type>
        m_timer;
    Clock::time_point m_deadline;
    Clock::time_point m_timerExpiry;
    bool m_timerArmed = false;
    bool m_timedOut = false;
    boost::beast::flat_buffer m_buffer;
    Conversation m_conversation;
    Outgoing m_answer;
    std::size_t m_sent = 0; // of the head and the body together
    bool m_closeAfterAnswer = false;
    // Read by ConnectionTable::Add from the accepting thread.
    std::atomic<State> m_state{State::New};
    std::atomic<Clock::rep> m_since{Clock::now().time_since_epoch().count()};
    ConnectionTable& m_table;
    // Guarded by the table's mutex.
    ConnectionTable::Entries::iterator m_entry;
    bool m_inTable = false;
};

} // namespace tnews::server
