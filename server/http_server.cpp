#include "http_server.h"

#include "connection.h"

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/steady_timer.hpp>

#include <pthread.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <exception>
#include <thread>
#include <vector>

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

// Set on the listening socket, so that connections have it from their handshake on, with
// kSendBufferBytes: what a client can pipeline into the server ahead of its answers.
constexpr int kReceiveBufferBytes = 16 * 1024;

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

std::size_t ThreadCount(std::size_t requested)
{
    return requested != 0 ? requested : std::max<std::size_t>(1, std::thread::hardware_concurrency());
}

sigset_t ServerSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&set, signal);
    return set;
}

// Runs `context` until it is stopped. A handler that throws loses its connection (whose last
// reference it held) and nothing else: the failure is reported and the loop goes on.
void Run(net::io_context& context)
{
    for (;;)
    {
        try
        {
            context.run();
            return;
        }
        catch (const std::exception& error)
        {
            ReportFailure(error.what());
        }
        catch (...)
        {
            ReportFailure("an exception that is not a std::exception");
        }
    }
}

} // namespace

void BlockServerSignals()
{
    const sigset_t set = ServerSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

// One io_context per thread, each run by that thread alone: a connection's handlers never run
// at once, so they need no strand and take no lock, and the loopback benchmark measured it
// ahead of one context shared by every thread (see bench/RESULTS.md). Context 0 also accepts,
// takes the signals, and hands each new connection to the contexts in turn.
class HttpServer::Impl
{
public:
    Impl(std::shared_ptr<const Site> site, HttpOptions options);
    ~Impl();
    void Accept();
    void OnAccept(const boost::system::error_code& error, Socket socket);
    void AwaitSignal(net::signal_set& signals);
    void Drain();
    void AwaitDrained(std::chrono::steady_clock::time_point end);

    const HttpOptions m_options;
    ServerState m_state;
    std::vector<std::unique_ptr<net::io_context>> m_contexts;
    std::size_t m_serving = 1; // contexts that have a thread
    std::size_t m_next = 0;
    std::optional<tcp::acceptor> m_acceptor;
    std::optional<net::steady_timer> m_pause;
    std::optional<net::steady_timer> m_drained;
    std::atomic<bool> m_running{false};
};

HttpServer::Impl::Impl(std::shared_ptr<const Site> site, HttpOptions options)
    : m_options(std::move(options)),
      m_state(std::move(site), m_options.log,
              ConnectionCap(m_options.maxConnections, ThreadCount(m_options.threads)),
              m_options.trustedProxies),
      m_contexts(
          [&]
          {
              std::vector<std::unique_ptr<net::io_context>> contexts;
              for (std::size_t i = 0; i < ThreadCount(m_options.threads); ++i)
                  contexts.push_back(std::make_unique<net::io_context>(1));
              return contexts;
          }()),
      m_acceptor(std::in_place, *m_contexts.front()), m_pause(std::in_place, *m_contexts.front()),
      m_drained(std::in_place, *m_contexts.front())
{
}

// Said here, not left to the order of the members: no form's answer is under way when the
// connections go, and the connections go, with the contexts that hold them, while the table
// they leave is still there.
HttpServer::Impl::~Impl()
{
    m_state.forms.join();
    m_acceptor.reset();
    m_pause.reset();
    m_drained.reset();
    m_contexts.clear();
}

HttpServer::HttpServer(const Site& site, HttpOptions options)
    : HttpServer(std::shared_ptr<const Site>(&site, [](const Site*) {}), std::move(options))
{
}

HttpServer::HttpServer(std::shared_ptr<const Site> site, HttpOptions options)
    : m_impl(std::make_unique<Impl>(std::move(site), std::move(options)))
{
}

HttpServer::~HttpServer() = default;

std::optional<int> HttpServer::Bind(const std::string& host, int port)
{
    if (port < 0 || port > 65535)
        return std::nullopt;
    tcp::acceptor& acceptor = *m_impl->m_acceptor;
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
            !acceptor.set_option(net::socket_base::send_buffer_size(kSendBufferBytes), error) &&
            !acceptor.set_option(net::socket_base::receive_buffer_size(kReceiveBufferBytes),
                                 error) &&
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
    if (!impl.m_acceptor->is_open())
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
    // Taken on this thread alone, through context 0; the others keep them blocked.
    const sigset_t signalSet = ServerSignals();
    std::optional<net::signal_set> signals;
    if (impl.m_options.signals)
    {
        signals.emplace(*impl.m_contexts.front(), SIGINT, SIGTERM, SIGHUP);
        impl.AwaitSignal(*signals);
        pthread_sigmask(SIG_UNBLOCK, &signalSet, nullptr);
    }
    impl.m_running = true;
    impl.Accept();
    Run(*impl.m_contexts.front());
    impl.m_running = false;
    if (signals)
        pthread_sigmask(SIG_BLOCK, &signalSet, nullptr);
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

bool HttpServer::IsRunning() const
{
    return m_impl->m_running;
}

void HttpServer::Replace(std::shared_ptr<const Site> site)
{
    std::shared_ptr<const Site> before = m_impl->m_state.ReplaceSite(std::move(site));
    // No one takes the old Site any more, so once this is its only owner it stays so. A request
    // takes milliseconds; after 10 s the old Site goes with its last request, wherever that is.
    for (int i = 0; i < 1000 && before.use_count() > 1; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

void HttpServer::Impl::AwaitSignal(net::signal_set& signals)
{
    signals.async_wait(
        [this, &signals](const boost::system::error_code& error, int signal)
        {
            if (error)
                return;
            if (signal == SIGHUP)
            {
                if (m_options.onHangup)
                    m_options.onHangup();
            }
            else if (m_state.draining)
            {
                // A second stop stops at once.
                for (auto& context : m_contexts)
                    context->stop();
                return;
            }
            else
            {
                Drain();
            }
            AwaitSignal(signals);
        });
}

// A stop by a signal is a restart or a shutdown, behind a proxy as like as not: no new
// connection is taken (a proxy takes the next request to another replica), those waiting for a
// request close, and those under way close once they have answered, for kDrainTime at most.
void HttpServer::Impl::Drain()
{
    m_state.draining = true;
    boost::system::error_code ignored;
    m_acceptor->close(ignored);
    m_pause->cancel();
    for (const std::weak_ptr<Connection>& entry : m_state.table.Connections())
    {
        // Locked here, outside the table's lock: the connection may end with it.
        if (const std::shared_ptr<Connection> connection = entry.lock())
            connection->Finish();
    }
    AwaitDrained(std::chrono::steady_clock::now() + kDrainTime);
}

void HttpServer::Impl::AwaitDrained(std::chrono::steady_clock::time_point end)
{
    if (m_state.table.Empty() || std::chrono::steady_clock::now() >= end)
    {
        for (auto& context : m_contexts)
            context->stop();
        return;
    }
    m_drained->expires_after(std::chrono::milliseconds(20));
    m_drained->async_wait([this, end](const boost::system::error_code& error)
                          {
                              if (!error)
                                  AwaitDrained(end);
                          });
}

void HttpServer::Impl::Accept()
{
    net::io_context& context = *m_contexts[m_next];
    m_next = (m_next + 1) % m_serving;
    m_acceptor->async_accept(context, [this](const boost::system::error_code& error,
                                             Socket socket)
                            { OnAccept(error, std::move(socket)); });
}

void HttpServer::Impl::OnAccept(const boost::system::error_code& error, Socket socket)
{
    if (error == net::error::operation_aborted || !m_acceptor->is_open())
        return;
    if (error)
    {
        m_pause->expires_after(kAcceptPause);
        m_pause->async_wait([this](const boost::system::error_code&) { Accept(); });
        return;
    }
    try
    {
        const auto connection = std::make_shared<Connection>(std::move(socket), m_state);
        // Locked here, outside the table's lock: the evicted connection may end with it.
        if (const std::shared_ptr<Connection> evicted = connection->Start().lock())
            evicted->Evict();
    }
    catch (const std::exception& failure)
    {
        ReportFailure(failure.what()); // this connection is closed with its socket
    }
    Accept();
}

} // namespace tnews::server
