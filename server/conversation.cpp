#include "conversation.h"

#include "access_log.h"
#include "request_target.h"

#include <boost/beast/core/buffers_range.hpp>
#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/serializer.hpp>

#include <algorithm>
#include <ctime>
#include <iterator>

namespace tnews::server
{
namespace
{

namespace beast = boost::beast;
namespace http = boost::beast::http;

constexpr std::size_t kMaxLoggedLineBytes = 256;

// "METHOD /...": only such a line is logged when a request is refused before its request line
// has been read; a first line of anything else, a header field sent first for instance, might
// hold credentials.
bool LooksLikeRequestLine(std::string_view line)
{
    const std::size_t blank = line.find(' ');
    return blank > 0 && blank <= 16 && blank + 1 < line.size() && line[blank + 1] == '/' &&
           std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(blank),
                       [](char c) { return c >= 'A' && c <= 'Z'; });
}

std::string Truncated(std::string_view line)
{
    std::string logged(line.substr(0, kMaxLoggedLineBytes));
    if (line.size() > kMaxLoggedLineBytes)
        logged += "...";
    return logged;
}

// A line of `head` ends in LF without CR, or a CR is followed by something else.
bool HasBareLineEnd(std::string_view head, std::size_t from)
{
    for (std::size_t i = from; i < head.size(); ++i)
    {
        if ((head[i] == '\n' && (i == 0 || head[i - 1] != '\r')) ||
            (head[i] == '\r' && i + 1 < head.size() && head[i + 1] != '\n'))
        {
            return true;
        }
    }
    return false;
}

constexpr std::string_view kBareLineEnd = "The request is malformed: its lines must end in CR LF.";

std::string RequestLine(const http::request_header<>& request)
{
    return Truncated(std::string(request.method_string()) + ' ' + std::string(request.target()) +
                     (request.version() == 10 ? " HTTP/1.0" : " HTTP/1.1"));
}

// The status line and fields of `message`, which announce a body sent after them.
std::string SerializedHead(http::response<http::empty_body>& message)
{
    std::string bytes;
    http::response_serializer<http::empty_body> serializer(message);
    beast::error_code error;
    while (!error && !serializer.is_done())
    {
        serializer.next(error,
                        [&](beast::error_code&, const auto& buffers)
                        {
                            for (const auto buffer : beast::buffers_range_ref(buffers))
                                bytes.append(static_cast<const char*>(buffer.data()),
                                             buffer.size());
                            serializer.consume(beast::buffer_bytes(buffers));
                        });
    }
    return bytes;
}

// The value of `field` when the request has it exactly once; "" when it has none or several,
// which no client of ours sends and none is worth guessing from.
std::string SingleField(const http::request_header<>& request, http::field field)
{
    return request.count(field) == 1 ? std::string(request[field]) : std::string();
}

// Every value of a list-valued `field`, joined as one field would carry them (RFC 9110, 5.3).
std::string JoinedFields(const http::request_header<>& request, http::field field)
{
    std::string joined;
    const auto [first, last] = request.equal_range(field);
    for (auto it = first; it != last; ++it)
    {
        if (!joined.empty())
            joined += ", ";
        joined += it->value();
    }
    return joined;
}

} // namespace

Conversation::Conversation(const Site& site, const LogFunction& log, std::string client)
    : m_site(site), m_log(log), m_client(std::move(client))
{
}

Turn Conversation::Next(std::string_view received)
{
    if (!m_parser)
    {
        if (received.empty())
            return {};
        m_parser.emplace();
        m_parser->header_limit(kMaxHeadBytes);
        m_parser->body_limit(kMaxBodyBytes); // only a POST's is read; see Answer
        m_inHead = true;
        m_checked = 0;
    }
    beast::error_code error;
    std::size_t consumed = m_parser->put(boost::asio::buffer(received), error);
    const Parser::value_type& request = m_parser->get();
    if (static_cast<std::size_t>(std::distance(request.begin(), request.end())) > kMaxHeaderFields)
    {
        return Refuse(431,
                      "The request has more than " + std::to_string(kMaxHeaderFields) +
                          " header fields.",
                      received);
    }
    // A client that expects 100 Continue waits for it before its body, so it gets 417 at once.
    const bool readsBody = m_parser->is_header_done() && request.method() == http::verb::post &&
                           (request.version() == 10 || request.count(http::field::expect) == 0);
    if (readsBody && !error && !m_parser->is_done() && consumed < received.size())
    {
        // A form's body, chunked or not, is read to its end before the answer; the head's
        // deadline covers it too. Past the body limit it is refused, in Answer.
        m_parser->eager(true);
        consumed += m_parser->put(boost::asio::buffer(received.substr(consumed)), error);
    }
    // Beast takes what there is of a body without asking for more.
    if (readsBody && (!error || error == http::error::need_more) && !m_parser->is_done())
    {
        Turn wait;
        wait.consumed = consumed;
        return wait;
    }
    if (error == http::error::need_more)
    {
        // The parser waits for the empty line that ends the head before it looks at lines that
        // came in pieces; a line ending in a bare LF or CR must not wait for it.
        m_checked = std::max(m_checked, consumed) - consumed;
        if (HasBareLineEnd(received, consumed + m_checked))
            return Refuse(400, kBareLineEnd, received);
        m_checked = received.size() - consumed - (received.ends_with('\r') ? 1 : 0);
        Turn wait;
        wait.consumed = consumed;
        return wait;
    }
    if (error == http::error::header_limit)
    {
        if (request.target().empty())
        {
            return Refuse(414,
                          "The address is too long: a request line may be at most " +
                              std::to_string(kMaxHeadBytes) + " bytes.",
                          received);
        }
        return Refuse(431,
                      "The request's header fields are too large: together they may be at most " +
                          std::to_string(kMaxHeadBytes) + " bytes.",
                      received);
    }
    // Beast refuses a Content-Length over the body limit once the head is read; a body of any
    // other method leaves the parser waiting for it, and is not read.
    const bool hasBody = error == http::error::body_limit || (!error && !m_parser->is_done());
    if (error && !hasBody)
    {
        // Beast names what it met first, "bad version" for a request line ending in a bare LF.
        const std::string_view head = received.substr(0, received.find("\r\n\r\n"));
        return Refuse(400,
                      HasBareLineEnd(head, 0)
                          ? std::string(kBareLineEnd)
                          : "The request is malformed (" + error.message() + ").",
                      received);
    }
    Turn turn = Answer(request, hasBody);
    turn.consumed = hasBody ? received.size() : consumed;
    return turn;
}

Turn Conversation::Answer(const Parser::value_type& request, bool hasBody)
{
    const std::string_view method = request.method_string();
    const bool http10 = request.version() == 10;
    const bool getOrHead = method == "GET" || method == "HEAD";
    const std::size_t hosts = request.count(http::field::host);
    RequestTarget target = ParseRequestTarget(request.target());

    Response response;
    // A body is never read, so it must not be taken for the next request.
    bool close = hasBody || !request.keep_alive();
    if (hosts > 1 || (hosts == 0 && !http10))
    {
        response = ErrorResponse(400, "The request must name the server in one Host field.");
        close = true;
    }
    else if (hasBody && getOrHead)
    {
        response = ErrorResponse(413, "The server reads no request body; a " + std::string(method) +
                                          " request must not carry one.");
    }
    else if (!http10 && request.count(http::field::expect) > 0)
    {
        // The pages are small and no request body is read, so nothing is worth waiting for.
        response = ErrorResponse(417, "The server meets no expectations; send the request "
                                      "without an Expect field.");
    }
    else if (hasBody && method == "POST")
    {
        response = ErrorResponse(413, "The request's body is too large: at most " +
                                          std::to_string(kMaxBodyBytes) + " bytes are read.");
    }
    else if (!target.error.empty() && (getOrHead || method == "POST"))
    {
        response = ErrorResponse(400, target.error);
    }
    else
    {
        Request converted;
        converted.method = method;
        // Other methods get 405 whatever their target.
        converted.path =
            target.error.empty() ? std::move(target.path) : std::string(request.target());
        converted.query = std::move(target.query);
        // Two Authorization fields are not a credential the server hands out; treat as none.
        if (request.count(http::field::authorization) == 1)
            converted.authorization = request[http::field::authorization];
        if (hosts == 1)
            converted.host = request[http::field::host];
        converted.client = m_client;
        converted.contentType = SingleField(request, http::field::content_type);
        converted.origin = SingleField(request, http::field::origin);
        converted.referer = SingleField(request, http::field::referer);
        converted.acceptEncoding = JoinedFields(request, http::field::accept_encoding);
        converted.ifNoneMatch = JoinedFields(request, http::field::if_none_match);
        converted.body = request.body();
        response = m_site.Handle(converted);
    }
    Turn turn;
    turn.answer = Send(std::move(response), method == "HEAD", close, http10, RequestLine(request));
    turn.close = close;
    m_parser.reset();
    m_inHead = false;
    return turn;
}

Turn Conversation::Refuse(int status, std::string_view message, std::string_view received)
{
    std::string line = "-";
    if (m_parser && !m_parser->get().target().empty())
    {
        line = RequestLine(m_parser->get());
    }
    else if (const std::string_view first = received.substr(0, received.find_first_of("\r\n"));
             LooksLikeRequestLine(first))
    {
        line = Truncated(first);
    }
    Turn turn;
    turn.consumed = received.size();
    turn.answer = Send(ErrorResponse(status, message), false, true, false, line);
    turn.close = true;
    m_parser.reset();
    m_inHead = false;
    return turn;
}

Outgoing Conversation::TimedOut(std::string_view received)
{
    return Refuse(408, "The request did not arrive in time.", received).answer;
}

Outgoing Conversation::Send(Response response, bool head, bool close, bool http10,
                            std::string_view requestLine)
{
    http::response<http::empty_body> message(static_cast<http::status>(response.status), 11);
    for (const auto& [name, value] : response.headers)
        message.insert(name, value);
    // A 304 has no body, and its Content-Length could only repeat the page's (RFC 9110, 8.6).
    if (response.status != 304)
        message.content_length(response.body->size());
    if (close)
        message.set(http::field::connection, "close");
    else if (http10)
        message.set(http::field::connection, "keep-alive");
    if (m_log)
    {
        m_log(CommonLogLine(m_client, response.user, std::time(nullptr), requestLine,
                            response.status, head ? 0 : response.body->size()));
    }
    Outgoing answer;
    answer.head = SerializedHead(message);
    if (!head)
        answer.body = std::move(response.body);
    return answer;
}

} // namespace tnews::server
