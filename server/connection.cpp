#include "connection.h"

#include <boost/asio/post.hpp>
#include <boost/beast/http/write.hpp>

#include <linux/sockios.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cstdio>

namespace tnews::server
{
namespace
{

namespace net = boost::asio;
namespace http = boost::beast::http;
using net::ip::tcp;

// Enough for any request the program sends in one read; longer ones take several.
constexpr std::size_t kReadBytes = 8 * 1024;
// How often a connection looks whether its answer has left the kernel: soon after writing it,
// then less often, for a client that reads slowly or not at all.
constexpr std::chrono::milliseconds kFirstDrainPoll{1};
constexpr std::chrono::milliseconds kLastDrainPoll{200};

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

std::pair<ConnectionTable::Handle, std::weak_ptr<Connection>>
ConnectionTable::Add(std::weak_ptr<Connection> connection)
{
    std::lock_guard lock(m_mutex);
    const Handle added = m_entries.emplace(m_entries.end());
    added->connection = std::move(connection);
    if (++m_counted <= m_max)
        return {added, {}};
    Entry* victim = nullptr;
    bool victimReclaimable = false;
    Clock::rep victimSince = 0;
    for (Entry& entry : m_entries)
    {
        if (entry.evicted || &entry == &*added)
            continue;
        const Activity activity = entry.activity;
        const bool reclaimable = activity == Activity::Idle || activity == Activity::Closing;
        const Clock::rep since = entry.since;
        if (!victim || (reclaimable && !victimReclaimable) ||
            (reclaimable == victimReclaimable && since < victimSince))
        {
            victim = &entry;
            victimReclaimable = reclaimable;
            victimSince = since;
        }
    }
    if (!victim)
        return {added, {}};
    victim->evicted = true;
    --m_counted;
    return {added, victim->connection};
}

void ConnectionTable::Remove(Handle entry)
{
    std::list<Entry> removed;
    {
        std::lock_guard lock(m_mutex);
        if (!entry->evicted)
            --m_counted;
        removed.splice(removed.end(), m_entries, entry);
    }
    // The entry goes here, outside the lock: nothing is destroyed while it is held.
}

std::vector<std::weak_ptr<Connection>> ConnectionTable::Connections()
{
    std::lock_guard lock(m_mutex);
    std::vector<std::weak_ptr<Connection>> connections;
    for (const Entry& entry : m_entries)
        connections.push_back(entry.connection);
    return connections;
}

bool ConnectionTable::Empty()
{
    std::lock_guard lock(m_mutex);
    return m_entries.empty();
}

std::shared_ptr<const Site> ServerState::CurrentSite() const
{
    std::lock_guard lock(m_siteMutex);
    return m_site;
}

std::shared_ptr<const Site> ServerState::ReplaceSite(std::shared_ptr<const Site> site)
{
    std::lock_guard lock(m_siteMutex);
    return std::exchange(m_site, std::move(site));
}

void ReportFailure(const char* what) noexcept
{
    std::fprintf(stderr, "tnews-server: a connection failed: %s\n", what);
}

Connection::Connection(Socket socket, ServerState& server)
    : m_stream(std::move(socket)), m_drainTimer(m_stream.get_executor()),
      m_drainPoll(kFirstDrainPoll),
      m_conversation(server.log, ClientAddress(m_stream.socket()),
                     std::ranges::count(server.trustedProxies, ClientAddress(m_stream.socket())) > 0),
      m_server(server)
{
}

Connection::~Connection()
{
    if (m_entry)
        m_server.table.Remove(*m_entry);
}

std::weak_ptr<Connection> Connection::Start()
{
    auto [entry, victim] = m_server.table.Add(weak_from_this());
    m_entry = entry;
    net::post(m_stream.get_executor(),
              [self = shared_from_this()]
              {
                  boost::system::error_code ignored;
                  // Each answer goes out in one write; nothing is gained by holding it back.
                  self->m_stream.socket().set_option(tcp::no_delay(true), ignored);
                  self->Await(Activity::New);
              });
    return std::move(victim);
}

void Connection::Evict()
{
    net::post(m_stream.get_executor(), [self = shared_from_this()] { self->Close(); });
}

void Connection::Finish()
{
    net::post(m_stream.get_executor(),
              [self = shared_from_this()]
              {
                  const Activity activity = (*self->m_entry)->activity;
                  if ((activity == Activity::New || activity == Activity::Idle) &&
                      self->m_buffer.size() == 0)
                  {
                      self->Close();
                  }
                  // Else the answer under way says Connection: close and is the last.
              });
}

void Connection::Enter(Activity activity)
{
    (*m_entry)->activity = activity;
    (*m_entry)->since = Clock::now().time_since_epoch().count();
}

void Connection::Await(Activity activity)
{
    Enter(activity);
    m_stream.expires_after(kClientTimeout);
    Read();
}

void Connection::Read()
{
    m_stream.async_read_some(
        m_buffer.prepare(kReadBytes),
        [self = shared_from_this()](const boost::system::error_code& error, std::size_t bytes)
        {
            // The client closed or reset, its time ran out (the stream then closed), or it was
            // evicted.
            if (error)
                return self->Close();
            self->m_buffer.commit(bytes);
            self->Serve();
        });
}

void Connection::Serve()
{
    const bool started = m_conversation.InRequest();
    Turn turn = m_conversation.Next(Unread(m_buffer));
    m_buffer.consume(turn.consumed);
    if (turn.answer)
        return Send(std::move(*turn.answer));
    if (turn.request)
        return Dispatch(std::move(*turn.request));
    if (!started && m_conversation.InRequest())
    {
        // From its first byte the whole request has kClientTimeout, however it trickles.
        Enter(Activity::Request);
        m_stream.expires_after(kClientTimeout);
    }
    Read();
}

void Connection::Dispatch(Request request)
{
    Enter(Activity::Answering);
    std::shared_ptr<const Site> site = m_server.CurrentSite();
    if (request.method != "POST")
        return Send(m_conversation.Reply(site->Handle(request)));
    // A form's answer waits for its commit to the disk, which no I/O thread may wait for.
    net::post(m_server.forms,
              [self = shared_from_this(), site = std::move(site), request = std::move(request)]
              {
                  try
                  {
                      net::post(self->m_stream.get_executor(),
                                [self, response = site->Handle(request)]() mutable
                                { self->Send(self->m_conversation.Reply(std::move(response))); });
                  }
                  catch (const std::exception& error)
                  {
                      ReportFailure(error.what()); // the connection closes as it goes
                  }
              });
}

void Connection::Send(Answer answer)
{
    Enter(Activity::Answering);
    m_answer = std::move(answer);
    if (m_server.draining)
        m_answer.keep_alive(false);
    m_deadline = Clock::now() + kClientTimeout +
                 std::chrono::seconds(SharedBody::size(m_answer.body()) / kMinBytesPerSecond);
    // A client dropped for not reading in time gets a reset: a graceful close would leave the
    // rest of its answer in the kernel's memory, to be sent to nobody for minutes. A small answer
    // goes to the kernel at once, so only waiting for it to drain can take time.
    SetReset(SharedBody::size(m_answer.body()) > kSendBufferBytes);
    m_stream.expires_at(m_deadline);
    http::async_write(m_stream, m_answer,
                      [self = shared_from_this()](const boost::system::error_code& error,
                                                  std::size_t)
                      {
                          if (error)
                              return self->Close();
                          self->AwaitDrain();
                      });
}

// An answer counts as sent once the kernel has sent it on, not when it has taken it: only then
// comes the next answer or the wait for the next request, so a client that doesn't read holds
// at most one answer's worth of the kernel's memory, and only until its deadline.
void Connection::AwaitDrain()
{
    int unsent = 0;
    const int socket = m_stream.socket().native_handle();
    if (m_stream.socket().is_open() && ::ioctl(socket, SIOCOUTQNSD, &unsent) == 0 && unsent > 0)
    {
        const Clock::time_point now = Clock::now();
        SetReset(true);
        if (now >= m_deadline)
            return Close();
        m_drainTimer.expires_after(std::min<Clock::duration>(m_drainPoll, m_deadline - now));
        m_drainPoll = std::min<Clock::duration>(2 * m_drainPoll, kLastDrainPoll);
        m_drainTimer.async_wait([self = shared_from_this()](const boost::system::error_code& error)
                                {
                                    if (!error)
                                        self->AwaitDrain();
                                });
        return;
    }
    if (!m_stream.socket().is_open())
        return;
    m_drainPoll = kFirstDrainPoll;
    SetReset(false);
    const bool close = !m_answer.keep_alive();
    m_answer = Answer(); // a connection that waits holds no page
    if (close)
        return Linger();
    if (m_buffer.size() > 0)
        return Serve(); // the next pipelined request
    if (m_server.draining)
        return Close();
    Await(Activity::Idle);
}

void Connection::Linger()
{
    Enter(Activity::Closing);
    boost::system::error_code ignored;
    m_stream.socket().shutdown(net::socket_base::shutdown_send, ignored);
    m_stream.expires_after(kLinger);
    Discard();
}

void Connection::Discard()
{
    m_buffer.clear();
    m_stream.async_read_some(
        m_buffer.prepare(kReadBytes),
        [self = shared_from_this()](const boost::system::error_code& error, std::size_t)
        {
            if (error)
                return self->Close();
            self->Discard();
        });
}

void Connection::SetReset(bool reset)
{
    if (reset == m_reset)
        return;
    boost::system::error_code ignored;
    m_stream.socket().set_option(net::socket_base::linger(reset, 0), ignored);
    m_reset = reset;
}

void Connection::Close()
{
    m_drainTimer.cancel();
    m_stream.close();
}

} // namespace tnews::server
