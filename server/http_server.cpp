#include "http_server.h"

#include "connection.h"
#include "conversation.h"

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <exception>
#include <system_error>
#include <thread>

namespace tnews::server
{
namespace
{

namespace net = boost::asio;
using net::ip::tcp;

// After the system refuses a connection (no file descriptors left), accepting waits this long
// rather than spin; the connections open meanwhile close at their deadlines.
constexpr std::chrono::milliseconds kAcceptPause{100};

// File descriptors kept for what is not a connection: the standard streams, the acceptor, and
// per io_context its epoll, event and timer descriptors, with room to spare.
constexpr std::size_t kSpareFiles = 16;
constexpr std::size_t kFilesPerContext = 4;

// `requested`, or fewer so that every connection below the cap can be accepted: past the
// process's limit of open files the system refuses connections, and nothing is evicted for
// them.
std::size_t ConnectionCap(std::size_t requested, std::size_t contexts)
{
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) != 0 || files.rlim_cur == RLIM_INFINITY)
        return requested;
    const std::size_t reserved = kSpareFiles + kFilesPerContext * contexts;
    const std::size_t room = files.rlim_cur > reserved ? files.rlim_cur - reserved : 1;
    if (room < requested)
    {
        std::fprintf(stderr,
                     "tnews-server: at most %zu connections at once, for the limit of %llu open "
                     "files\n",
                     room, static_cast<unsigned long long>(files.rlim_cur));
    }
    return std::min(requested, room);
}

// Runs `context` until it is stopped. A handler that throws loses its connection (whose last
// reference it held) and nothing else: the loop goes on.
void Run(net::io_context& context)
{
    for (;;)
    {
        try
        {
            context.run();
            return;
        }
        catch (...)
        {
        }
    }
}

} // namespace

// One io_context per thread, each run by that thread alone: a connection's handlers never run
// at once, so they need no strand and take no lock, and the loopback benchmark measured it
// ahead of one context shared by every thread (see bench/RESULTS.md). Context 0 also accepts
// and hands each new connection to the contexts in turn.
class HttpServer::Impl
{
public:
    Impl(const Site& site, HttpOptions options);
    void Accept();
    void OnAccept(const boost::system::error_code& error, Socket socket);

    const Site& m_site;
    const HttpOptions m_options;
    const std::size_t m_threads;
    // Connections leave the table when they are destroyed, which may be when the contexts are.
    ConnectionTable m_table;
    std::vector<std::unique_ptr<net::io_context>> m_contexts;
    std::size_t m_serving = 1; // contexts that have a thread
    std::size_t m_next = 0;
    tcp::acceptor m_acceptor;
    net::steady_timer m_pause;
    std::atomic<bool> m_running{false};
};

HttpServer::Impl::Impl(const Site& site, HttpOptions options)
    : m_site(site), m_options(std::move(options)),
      m_threads(m_options.threads != 0
                    ? m_options.threads
                    : std::max<std::size_t>(1, std::thread::hardware_concurrency())),
      m_table(ConnectionCap(m_options.maxConnections, m_threads)),
      m_contexts(
          [&]
          {
              std::vector<std::unique_ptr<net::io_context>> contexts;
              for (std::size_t i = 0; i < m_threads; ++i)
                  contexts.push_back(std::make_unique<net::io_context>(1));
              return contexts;
          }()),
      m_acceptor(*m_contexts.front()), m_pause(*m_contexts.front())
{
}

HttpServer::HttpServer(const Site& site, HttpOptions options)
    : m_impl(std::make_unique<Impl>(site, std::move(options)))
{
}

HttpServer::~HttpServer() = default;

std::optional<int> HttpServer::Bind(const std::string& host, int port)
{
    if (port < 0 || port > 65535)
        return std::nullopt;
    tcp::acceptor& acceptor = m_impl->m_acceptor;
    boost::system::error_code error;
    tcp::resolver resolver(*m_impl->m_contexts.front());
    const auto endpoints = resolver.resolve(
        host, std::to_string(port), tcp::resolver::passive | tcp::resolver::numeric_service, error);
    if (error)
        return std::nullopt;
    for (const auto& entry : endpoints)
    {
        acceptor.close(error);
        // SO_REUSEADDR only lets a restarted server bind while old connections linger; a port
        // another socket listens on still fails, as it must (no SO_REUSEPORT).
        if (!acceptor.open(entry.endpoint().protocol(), error) &&
            !acceptor.set_option(tcp::acceptor::reuse_address(true), error) &&
            !acceptor.bind(entry.endpoint(), error) &&
            !acceptor.listen(net::socket_base::max_listen_connections, error))
        {
            return acceptor.local_endpoint().port();
        }
    }
    acceptor.close(error);
    return std::nullopt;
}

bool HttpServer::Listen()
{
    Impl& impl = *m_impl;
    if (!impl.m_acceptor.is_open())
        return false;
    std::vector<net::executor_work_guard<net::io_context::executor_type>> work;
    std::vector<std::thread> threads;
    for (std::size_t i = 1; i < impl.m_contexts.size(); ++i)
    {
        try
        {
            work.push_back(net::make_work_guard(*impl.m_contexts[i]));
            threads.emplace_back([context = impl.m_contexts[i].get()] { Run(*context); });
        }
        catch (const std::exception& error)
        {
            // Fewer threads serve as well, only slower.
            std::fprintf(stderr, "tnews-server: serving with %zu threads: %s\n", i, error.what());
            work.pop_back();
            break;
        }
    }
    impl.m_serving = threads.size() + 1;
    impl.m_running = true;
    impl.Accept();
    Run(*impl.m_contexts.front());
    impl.m_running = false;
    for (auto& context : impl.m_contexts)
        context->stop();
    for (std::thread& thread : threads)
        thread.join();
    return true;
}

void HttpServer::Stop()
{
    for (auto& context : m_impl->m_contexts)
        context->stop();
}

void HttpServer::Impl::Accept()
{
    net::io_context& context = *m_contexts[m_next];
    m_next = (m_next + 1) % m_serving;
    m_acceptor.async_accept(context, [this](const boost::system::error_code& error, Socket socket)
                            { OnAccept(error, std::move(socket)); });
}

void HttpServer::Impl::OnAccept(const boost::system::error_code& error, Socket socket)
{
    if (error == net::error::operation_aborted || !m_acceptor.is_open())
        return;
    if (error)
    {
        m_pause.expires_after(kAcceptPause);
        m_pause.async_wait([this](const boost::system::error_code&) { Accept(); });
        return;
    }
    try
    {
        auto connection =
            std::make_shared<Connection>(std::move(socket), m_site, m_options.log, m_table);
        if (std::shared_ptr<Connection> evicted = m_table.Add(connection))
            evicted->Evict();
        connection->Start();
    }
    catch (const std::exception&)
    {
        // Out of memory: this connection is closed with its socket, the next one is accepted.
    }
    Accept();
}

bool HttpServer::IsRunning() const
{
    return m_impl->m_running;
}

std::vector<std::string> HttpServer::Exchange(std::string_view received) const
{
    Conversation conversation(m_impl->m_site, m_impl->m_options.log, "127.0.0.1");
    std::vector<std::string> answers;
    for (;;)
    {
        Turn turn = conversation.Next(received);
        received.remove_prefix(turn.consumed);
        if (turn.answer.head.empty())
            break; // the rest is part of a head, and the client has closed
        answers.push_back(turn.answer.head + (turn.answer.body ? *turn.answer.body : ""));
        if (turn.close)
            break;
    }
    return answers;
}

} // namespace tnews::server
