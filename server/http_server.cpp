#include "http_server.h"

#include "access_log.h"
#include "basic_auth.h"

#include <httplib.h>
#include <sys/socket.h>

#include <ctime>

namespace tnews::server
{
namespace
{

constexpr time_t kTimeoutSeconds = 5;
constexpr std::size_t kKeepAliveRequests = 1000;
constexpr std::size_t kMaxBodyBytes = 8 * 1024;

bool MethodHasBody(const std::string& method)
{
    return method == "POST" || method == "PUT" || method == "PATCH" || method == "DELETE";
}

// httplib reads the body of a POST, PUT, PATCH or DELETE only after the pre-routing handler.
// Answering one that carries a body there would leave the body in the stream, to be read as the
// next request; one without a body is answered at once rather than after httplib has waited
// out the read timeout for a body that never comes.
bool BodyFollows(const httplib::Request& request)
{
    if (!MethodHasBody(request.method))
        return false;
    return request.has_header("Transfer-Encoding") ||
           (request.has_header("Content-Length") &&
            request.get_header_value("Content-Length") != "0");
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
    case 413:
        return "The request body is too large.";
    case 414:
        return "The address is too long.";
    case 416:
        return "The requested range is not satisfiable.";
    default:
        return "The server could not understand this request.";
    }
}

} // namespace

// A subclass only to reach the listening socket, whose backlog httplib fixes at 5 when the
// library is built: a burst of connections would otherwise wait for SYN retries.
class HttpServer::Impl : public httplib::Server
{
public:
    void RaiseBacklog() { ::listen(svr_sock_.load(), SOMAXCONN); }
};

HttpServer::HttpServer(const Site& site, HttpOptions options) : m_impl(std::make_unique<Impl>())
{
    Impl& server = *m_impl;
    const std::size_t threads = options.threads == 0 ? 1 : options.threads;
    server.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    server.set_read_timeout(kTimeoutSeconds, 0);
    server.set_write_timeout(kTimeoutSeconds, 0);
    server.set_keep_alive_timeout(kTimeoutSeconds);
    server.set_keep_alive_max_count(kKeepAliveRequests);
    server.set_payload_max_length(kMaxBodyBytes);
    // httplib writes the head and the body of a response separately; with Nagle's algorithm the
    // body would wait for the client's delayed ACK, some 40 ms per request on a kept-alive
    // connection.
    server.set_tcp_nodelay(true);
    // httplib's default adds SO_REUSEPORT, which lets a second server bind the same port and
    // silently take half of the connections; a port in use must make Bind fail instead.
    server.set_socket_options(
        [](socket_t sock)
        {
            int yes = 1;
            ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        });

    // Every route goes through the Site here, so no pattern has to be matched by std::regex,
    // which recurses per character and can overflow the stack on a long path.
    server.set_pre_routing_handler(
        [&site](const httplib::Request& request, httplib::Response& response)
        {
            if (BodyFollows(request))
                return httplib::Server::HandlerResponse::Unhandled;
            Apply(site.Handle(ToSiteRequest(request)), response);
            // httplib cuts the body to a requested Range whatever the status; the status must
            // then say so.
            if (response.status == 200 && !request.ranges.empty())
                response.status = 206;
            return httplib::Server::HandlerResponse::Handled;
        });

    // Called for every status from 400 on. Pages of the Site pass through; a request with a
    // body, read and then routed nowhere, gets the Site's 405, and httplib's own
    // errors (malformed request, too long, too large) get a page like the Site's.
    server.set_error_handler(httplib::Server::HandlerWithResponse(
        [&site](const httplib::Request& request, httplib::Response& response)
        {
            if (!response.body.empty())
                return httplib::Server::HandlerResponse::Unhandled;
            if (response.status == 404 && MethodHasBody(request.method))
                Apply(site.Handle(ToSiteRequest(request)), response);
            else
                Apply(ErrorResponse(response.status, MessageForStatus(response.status)), response);
            return httplib::Server::HandlerResponse::Handled;
        }));

    server.set_exception_handler(
        [](const httplib::Request&, httplib::Response& response, std::exception_ptr)
        { Apply(ErrorResponse(500, "The server could not answer this request."), response); });

    if (options.log)
    {
        server.set_logger(
            [log = std::move(options.log)](const httplib::Request& request,
                                           const httplib::Response& response)
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
    return m_impl->listen_after_bind();
}

void HttpServer::Stop()
{
    m_impl->stop();
}

bool HttpServer::IsRunning() const
{
    return m_impl->is_running();
}

} // namespace tnews::server
