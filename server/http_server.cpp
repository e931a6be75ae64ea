#include "http_server.h"

#include "access_log.h"
#include "basic_auth.h"
#include "connection_loop.h"
#include "request_head.h"

#include <fcntl.h>
#include <httplib.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>

namespace tnews::server
{
namespace
{

constexpr auto kTimeout = std::chrono::seconds(5);
constexpr std::size_t kKeepAliveRequests = 1000;
constexpr std::size_t kMaxBodyBytes = 8 * 1024;
constexpr std::size_t kMaxLoggedLineBytes = 256;

bool MethodHasBody(const std::string& method)
{
    return method == "POST" || method == "PUT" || method == "PATCH" || method == "DELETE";
}

Request ToSiteRequest(const httplib::Request& request)
{
    Request converted;
    converted.method = request.method;
    converted.path = request.path;
    converted.query.assign(request.params.begin(), request.params.end());
    // Two Authorization headers are not a credential the server hands out; treat as none.
    if (request.get_header_value_count("Authorization") == 1)
        converted.authorization = request.get_header_value("Authorization");
    converted.host = request.get_header_value("Host");
    return converted;
}

void Apply(Response from, httplib::Response& to)
{
    to.status = from.status;
    to.headers.clear();
    for (const auto& [name, value] : from.headers)
        to.set_header(name, value);
    to.body = std::move(from.body);
}

std::string MessageForStatus(int status)
{
    switch (status)
    {
    case 408:
        return "The request did not arrive in time.";
    case 413:
        return "The request body is too large.";
    case 414:
        return "The address is too long.";
    case 416:
        return "The requested range is not satisfiable.";
    case 431:
        return "The request's header fields are too many or too large.";
    default:
        return "The server could not understand this request.";
    }
}

std::string_view ReasonPhrase(int status)
{
    switch (status)
    {
    case 408:
        return "Request Timeout";
    case 414:
        return "URI Too Long";
    case 431:
        return "Request Header Fields Too Large";
    default:
        return "Bad Request";
    }
}

// "METHOD /...": only such a line is logged when a request is refused unparsed; a first line of
// anything else, a header field sent first for instance, might hold credentials.
bool LooksLikeRequestLine(std::string_view line)
{
    const std::size_t blank = line.find(' ');
    return blank > 0 && blank <= 16 && blank + 1 < line.size() && line[blank + 1] == '/' &&
           std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(blank),
                       [](char c) { return c >= 'A' && c <= 'Z'; });
}

// httplib's process_request over bytes in memory: the head of one request in, the whole answer
// out. The server never reads from a socket while answering, so no client can make it wait.
class BufferStream : public httplib::Stream
{
public:
    BufferStream(std::string_view input, std::string& output, const Peer& peer)
        : m_input(input), m_output(output), m_peer(peer)
    {
    }

    bool is_readable() const override { return !m_input.empty(); }
    bool is_writable() const override { return true; }

    ssize_t read(char* ptr, size_t size) override
    {
        const std::size_t count = std::min(size, m_input.size());
        std::memcpy(ptr, m_input.data(), count);
        m_input.remove_prefix(count);
        return static_cast<ssize_t>(count);
    }

    ssize_t write(const char* ptr, size_t size) override
    {
        m_output.append(ptr, size);
        return static_cast<ssize_t>(size);
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override
    {
        ip = m_peer.remoteIp;
        port = m_peer.remotePort;
    }

    void get_local_ip_and_port(std::string& ip, int& port) const override
    {
        ip = m_peer.localIp;
        port = m_peer.localPort;
    }

    socket_t socket() const override { return INVALID_SOCKET; }

private:
    std::string_view m_input;
    std::string& m_output;
    const Peer& m_peer;
};

} // namespace

// httplib parses requests and writes answers; the connections are the loops' (connection_loop.h),
// which hand it one complete head at a time.
class HttpServer::Impl : public httplib::Server, public ConnectionHandler
{
public:
    Impl(const Site& site, HttpOptions options);
    ~Impl() override;

    Served Serve(std::string_view received, const Peer& peer, bool last,
                 std::string& output) override;
    std::string TimedOut(std::string_view received, const Peer& peer) override;

    // httplib fixes the listening socket's backlog at 5 when the library is built: a burst of
    // connections would otherwise wait for SYN retries.
    void RaiseBacklog() { ::listen(svr_sock_.load(), SOMAXCONN); }
    int TakeListeningSocket() { return svr_sock_.exchange(INVALID_SOCKET); }

    LoopLimits limits;
    std::atomic<bool> stop{false};
    std::atomic<bool> running{false};
    const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);

private:
    void Answer(const httplib::Request& request, httplib::Response& response) const;
    std::string Refusal(int status, std::string_view received, const Peer& peer) const;

    const Site& m_site;
    std::function<void(const std::string&)> m_log;
};

HttpServer::Impl::Impl(const Site& site, HttpOptions options) : m_site(site), m_log(options.log)
{
    limits.threads = options.threads != 0
                         ? options.threads
                         : std::max<std::size_t>(1, std::thread::hardware_concurrency());
    limits.maxConnections = options.maxConnections;
    limits.maxRequestsPerConnection = kKeepAliveRequests;
    limits.idle = limits.head = limits.write = kTimeout;
    // httplib announces these in its Keep-Alive header; the loops enforce them.
    set_keep_alive_timeout(std::chrono::duration_cast<std::chrono::seconds>(kTimeout).count());
    set_keep_alive_max_count(kKeepAliveRequests);
    // httplib's default adds SO_REUSEPORT, which lets a second server bind the same port and
    // silently take half of the connections; a port in use must make Bind fail instead.
    set_socket_options(
        [](socket_t sock)
        {
            int yes = 1;
            ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        });

    // Every request is answered here, so no pattern has to be matched by std::regex, which
    // recurses per character and can overflow the stack on a long path, and httplib never reads
    // a body: the loops close the connection after a request that announces one.
    set_pre_routing_handler(
        [this](const httplib::Request& request, httplib::Response& response)
        {
            Answer(request, response);
            return httplib::Server::HandlerResponse::Handled;
        });
    // Without this httplib would send "100 Continue" and then wait for a body.
    set_expect_100_continue_handler(
        [this](const httplib::Request& request, httplib::Response& response)
        {
            Answer(request, response);
            return response.status;
        });

    // Called for every status from 400 on. Pages of the Site pass through; httplib's own errors
    // (malformed request, too long, bad range) get a page like the Site's.
    set_error_handler(httplib::Server::HandlerWithResponse(
        [](const httplib::Request&, httplib::Response& response)
        {
            if (!response.body.empty())
                return httplib::Server::HandlerResponse::Unhandled;
            Apply(ErrorResponse(response.status, MessageForStatus(response.status)), response);
            return httplib::Server::HandlerResponse::Handled;
        }));

    set_exception_handler(
        [](const httplib::Request&, httplib::Response& response, std::exception_ptr)
        { Apply(ErrorResponse(500, "The server could not answer this request."), response); });

    if (m_log)
    {
        set_logger(
            [log = m_log](const httplib::Request& request, const httplib::Response& response)
            {
                // Only the user name is logged, never the password or the header itself.
                std::string user;
                if (response.status != 401)
                {
                    user = BasicUserName(request.get_header_value("Authorization"))
                               .value_or(std::string());
                }
                const std::string requestLine =
                    request.method.empty()
                        ? std::string("-")
                        : request.method + ' ' + request.target + ' ' + request.version;
                const std::size_t bytes = request.method == "HEAD" ? 0 : response.body.size();
                log(CommonLogLine(request.remote_addr, user, std::time(nullptr), requestLine,
                                  response.status, bytes));
            });
    }
}

HttpServer::Impl::~Impl()
{
    const int listening = TakeListeningSocket();
    if (listening != INVALID_SOCKET)
        ::close(listening);
    if (wake >= 0)
        ::close(wake);
}

void HttpServer::Impl::Answer(const httplib::Request& request, httplib::Response& response) const
{
    if (MethodHasBody(request.method))
    {
        const std::string length = request.get_header_value("Content-Length");
        if (length.size() > 9 || std::strtoull(length.c_str(), nullptr, 10) >
                                     static_cast<unsigned long long>(kMaxBodyBytes))
        {
            Apply(ErrorResponse(413, MessageForStatus(413)), response);
            return;
        }
    }
    Apply(m_site.Handle(ToSiteRequest(request)), response);
    // httplib cuts the body to a requested Range whatever the status; the status must then say so.
    if (response.status == 200 && !request.ranges.empty())
        response.status = 206;
}

Served HttpServer::Impl::Serve(std::string_view received, const Peer& peer, bool last,
                               std::string& output)
{
    const RequestHead head = FindRequestHead(received);
    switch (head.status)
    {
    case HeadStatus::Incomplete:
        return {};
    case HeadStatus::LineTooLong:
        output += Refusal(414, received, peer);
        return {received.size(), true};
    case HeadStatus::HeadTooLarge:
        output += Refusal(431, received, peer);
        return {received.size(), true};
    case HeadStatus::Complete:
        break;
    }
    // A body is never read, so it must not be taken for the next request: close after answering.
    const bool close = last || head.hasBody;
    bool clientCloses = false;
    try
    {
        BufferStream stream(received.substr(0, head.size), output, peer);
        const bool answered = process_request(stream, close, clientCloses, nullptr);
        return {head.size, close || clientCloses || !answered};
    }
    catch (...)
    {
        // Only running out of memory gets here; drop the connection rather than the server.
        return {received.size(), true};
    }
}

std::string HttpServer::Impl::TimedOut(std::string_view received, const Peer& peer)
{
    return Refusal(408, received, peer);
}

// An answer for a request httplib never sees, built and logged the way httplib does it.
std::string HttpServer::Impl::Refusal(int status, std::string_view received, const Peer& peer) const
{
    const Response response = ErrorResponse(status, MessageForStatus(status));
    std::string answer =
        "HTTP/1.1 " + std::to_string(status) + ' ' + std::string(ReasonPhrase(status)) + "\r\n";
    for (const auto& [name, value] : response.headers)
        answer.append(name).append(": ").append(value).append("\r\n");
    answer += "Connection: close\r\nContent-Length: " + std::to_string(response.body.size()) +
              "\r\n\r\n" + response.body;
    if (m_log)
    {
        const std::string_view line = received.substr(0, received.find_first_of("\r\n"));
        std::string logged = "-";
        if (LooksLikeRequestLine(line))
        {
            logged = line.substr(0, kMaxLoggedLineBytes);
            if (line.size() > kMaxLoggedLineBytes)
                logged += "...";
        }
        m_log(CommonLogLine(peer.remoteIp, "", std::time(nullptr), logged, status,
                            response.body.size()));
    }
    return answer;
}

HttpServer::HttpServer(const Site& site, HttpOptions options)
    : m_impl(std::make_unique<Impl>(site, std::move(options)))
{
}

HttpServer::~HttpServer() = default;

std::optional<int> HttpServer::Bind(const std::string& host, int port)
{
    int bound = port;
    if (port == 0)
        bound = m_impl->bind_to_any_port(host);
    else if (!m_impl->bind_to_port(host, port))
        bound = -1;
    if (bound <= 0)
        return std::nullopt;
    m_impl->RaiseBacklog();
    return bound;
}

bool HttpServer::Listen()
{
    Impl& impl = *m_impl;
    const int listening = impl.TakeListeningSocket();
    if (listening == INVALID_SOCKET || impl.wake < 0)
        return false;
    ::fcntl(listening, F_SETFL, ::fcntl(listening, F_GETFL) | O_NONBLOCK);
    impl.running = true;
    const bool served = RunConnectionLoops(listening, impl.wake, impl.stop, impl, impl.limits);
    impl.running = false;
    ::close(listening);
    return served;
}

void HttpServer::Stop()
{
    m_impl->stop = true;
    ::eventfd_write(m_impl->wake, 1);
}

bool HttpServer::IsRunning() const
{
    return m_impl->running;
}

std::vector<std::string> HttpServer::Exchange(std::string_view received) const
{
    const Peer peer{"127.0.0.1", 40000, "127.0.0.1", 8047};
    std::vector<std::string> answers;
    for (std::size_t requests = 1; !received.empty(); ++requests)
    {
        std::string answer;
        const Served served = m_impl->Serve(received, peer, requests >= kKeepAliveRequests, answer);
        if (!answer.empty())
            answers.push_back(std::move(answer));
        if (served.close || served.consumed == 0)
            break;
        received.remove_prefix(served.consumed);
    }
    return answers;
}

} // namespace tnews::server
