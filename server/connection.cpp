#include "connection.h"

#include <boost/asio/post.hpp>

#include <algorithm>
#include <array>
#include <exception>
#include <utility>

namespace tnews::server
{
namespace
{

namespace net = boost::asio;

// Enough for any request the program sends in one read; longer heads take several.
constexpr std::size_t kReadBytes = 8 * 1024;

std::string ClientAddress(const Socket& socket)
{
    boost::system::error_code error;
    const auto endpoint = socket.remote_endpoint(error);
    return error ? std::string("-") : endpoint.address().to_string();
}

std::string_view Unread(const boost::beast::flat_buffer& buffer)
{
    return {static_cast<const char*>(buffer.data().data()), buffer.size()};
}

} // namespace

std::shared_ptr<Connection> ConnectionTable::Add(const std::shared_ptr<Connection>& connection)
{
    std::lock_guard lock(m_mutex);
    connection->m_entry = m_entries.insert(m_entries.end(), connection);
    connection->m_inTable = true;
    if (m_entries.size() <= m_max)
        return nullptr;
    std::shared_ptr<Connection> victim;
    bool victimReclaimable = false;
    Connection::Clock::rep victimSince = 0;
    for (const std::weak_ptr<Connection>& entry : m_entries)
    {
        std::shared_ptr<Connection> candidate = entry.lock();
        if (!candidate || candidate == connection)
            continue;
        const Connection::State state = candidate->m_state;
        const bool reclaimable =
            state == Connection::State::Idle || state == Connection::State::Lingering;
        const Connection::Clock::rep since = candidate->m_since;
        if (!victim || (reclaimable && !victimReclaimable) ||
            (reclaimable == victimReclaimable && since < victimSince))
        {
            victim = std::move(candidate);
            victimReclaimable = reclaimable;
            victimSince = since;
        }
    }
    if (victim)
    {
        m_entries.erase(victim->m_entry);
        victim->m_inTable = false;
    }
    return victim;
}

void ConnectionTable::Remove(Connection& connection)
{
    std::lock_guard lock(m_mutex);
    if (connection.m_inTable)
        m_entries.erase(connection.m_entry);
    connection.m_inTable = false;
}

Connection::Connection(Socket socket, const Site& site, const LogFunction& log,
                       ConnectionTable& table)
    : m_socket(std::move(socket)), m_timer(m_socket.get_executor()),
      m_conversation(site, log, ClientAddress(m_socket)), m_table(table)
{
}

Connection::~Connection()
{
    m_table.Remove(*this);
}

void Connection::Start()
{
    net::post(m_socket.get_executor(),
              [self = shared_from_this()]
              {
                  boost::system::error_code ignored;
                  // Each answer goes out in one write; nothing is gained by holding it back.
                  self->m_socket.set_option(net::ip::tcp::no_delay(true), ignored);
                  self->Enter(State::New, kClientTimeout);
                  self->Read();
              });
}

void Connection::Evict()
{
    net::post(m_socket.get_executor(), [self = shared_from_this()] { self->Close(); });
}

// One timer serves every deadline: moving a deadline later only records it, and the timer, when
// it fires early, waits again for the rest. Most requests so cost no timer system call.
void Connection::Enter(State state, Clock::duration timeout)
{
    const Clock::time_point now = Clock::now();
    m_state = state;
    m_since = now.time_since_epoch().count();
    m_deadline = now + timeout;
    if (m_timerArmed && m_timerExpiry <= m_deadline)
        return;
    m_timerArmed = true;
    m_timerExpiry = m_deadline;
    m_timer.expires_at(m_deadline);
    m_timer.async_wait([self = shared_from_this()](const boost::system::error_code& error)
                       { self->OnDeadline(error); });
}

void Connection::OnDeadline(const boost::system::error_code& error)
{
    if (error || !m_socket.is_open())
        return; // moved earlier, or closed
    m_timerArmed = false;
    if (Clock::now() < m_deadline)
    {
        m_timerArmed = true;
        m_timerExpiry = m_deadline;
        m_timer.expires_at(m_deadline);
        m_timer.async_wait([self = shared_from_this()](const boost::system::error_code& again)
                           { self->OnDeadline(again); });
        return;
    }
    if (m_state == State::Head)
    {
        // The pending read ends with operation_aborted; OnRead then answers 408.
        m_timedOut = true;
        boost::system::error_code ignored;
        m_socket.cancel(ignored);
        return;
    }
    Close();
}

void Connection::Read()
{
    m_socket.async_read_some(
        m_buffer.prepare(kReadBytes),
        [self = shared_from_this()](const boost::system::error_code& error, std::size_t bytes)
        { self->OnRead(error, bytes); });
}

void Connection::OnRead(const boost::system::error_code& error, std::size_t bytes)
{
    if (m_timedOut && m_state == State::Head)
    {
        m_timedOut = false;
        try
        {
            Send(m_conversation.TimedOut(Unread(m_buffer)), true);
        }
        catch (const std::exception&)
        {
            Close(); // out of memory: this connection alone is given up
        }
        return;
    }
    if (error)
    {
        Close();
        return;
    }
    m_buffer.commit(bytes);
    Serve();
}

void Connection::Serve()
{
    try
    {
        const bool wasInHead = m_conversation.InHead();
        Turn turn = m_conversation.Next(Unread(m_buffer));
        m_buffer.consume(turn.consumed);
        if (!turn.answer.head.empty())
        {
            Send(std::move(turn.answer), turn.close);
            return;
        }
        if (!wasInHead && m_conversation.InHead())
            Enter(State::Head, kClientTimeout);
        Read();
    }
    catch (const std::exception&)
    {
        Close();
    }
}

void Connection::Send(Outgoing answer, bool close)
{
    m_answer = std::move(answer);
    m_sent = 0;
    m_closeAfterAnswer = close;
    Enter(State::Writing, kClientTimeout);
    WriteSome();
}

std::size_t Connection::AnswerSize() const
{
    return m_answer.head.size() + (m_answer.body ? m_answer.body->size() : 0);
}

void Connection::WriteSome()
{
    const std::string_view head = m_answer.head;
    const std::string_view body = m_answer.body ? std::string_view(*m_answer.body) : "";
    const std::size_t sentOfHead = std::min(m_sent, head.size());
    const std::array<net::const_buffer, 2> unsent = {
        net::buffer(head.substr(sentOfHead)),
        net::buffer(body.substr(m_sent - sentOfHead)),
    };
    m_socket.async_write_some(
        unsent,
        [self = shared_from_this()](const boost::system::error_code& error, std::size_t bytes)
        { self->OnWrite(error, bytes); });
}

void Connection::OnWrite(const boost::system::error_code& error, std::size_t bytes)
{
    if (error)
    {
        Close();
        return;
    }
    m_sent += bytes;
    if (m_sent < AnswerSize())
    {
        Enter(State::Writing, kClientTimeout); // the client reads: it gets more time
        WriteSome();
        return;
    }
    m_answer = Outgoing(); // a connection that waits holds no answer
    if (m_closeAfterAnswer)
    {
        Linger();
        return;
    }
    if (m_buffer.size() > 0)
    {
        Serve(); // the next pipelined request
        return;
    }
    Enter(State::Idle, kClientTimeout);
    Read();
}

void Connection::Linger()
{
    boost::system::error_code ignored;
    m_socket.shutdown(net::socket_base::shutdown_send, ignored);
    if (m_state != State::Lingering)
        Enter(State::Lingering, kLinger);
    m_buffer.clear();
    m_socket.async_read_some(
        m_buffer.prepare(kReadBytes),
        [self = shared_from_this()](const boost::system::error_code& error, std::size_t)
        {
            if (error)
                self->Close();
            else
                self->Linger();
        });
}

void Connection::Close()
{
    boost::system::error_code ignored;
    m_socket.close(ignored);
    m_timer.cancel();
}

} // namespace tnews::server
