#include "conversation.h"

#include "directory/ascii.h"
#include "request_target.h"

#include <boost/asio/ip/address.hpp>
#include <boost/beast/http/write.hpp>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <iterator>
#include <sstream>

namespace tnews::server
{
namespace
{

namespace beast = boost::beast;
namespace http = boost::beast::http;

constexpr std::size_t kMaxLoggedLineBytes = 256;
constexpr std::string_view kFormType = "application/x-www-form-urlencoded";
constexpr std::string_view kBareLineEnd = "The request is malformed: its lines must end in CR LF.";
constexpr std::string_view kFolded =
    "The request is malformed: a header field goes on over a second line (obsolete line folding).";

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

template <class Request>
std::string RequestLine(const Request& request)
{
    return Truncated(std::string(request.method_string()) + ' ' + std::string(request.target()) +
                     (request.version() == 10 ? " HTTP/1.0" : " HTTP/1.1"));
}

// Checks the bytes of a head from `checked` on, and moves `checked` past what it could judge: a CR
// at the end waits for the byte after it, a line end for the byte that shows whether the next
// line is folded onto it. The parser only looks at a head that came in pieces once its empty line
// has arrived, and it joins folded lines; neither may wait or pass. `afterLine`: the parser has
// already consumed whole lines before `head`.
std::optional<std::string_view> LineFault(std::string_view head, std::size_t& checked,
                                          bool afterLine)
{
    std::size_t i = checked;
    for (; i < head.size(); ++i)
    {
        const char c = head[i];
        const bool last = i + 1 == head.size();
        if (c == '\r' && last)
            break;
        if ((c == '\r' && head[i + 1] != '\n') || (c == '\n' && (i == 0 || head[i - 1] != '\r')))
            return kBareLineEnd;
        if (c == '\n' && last)
        {
            --i;
            break;
        }
        if ((c == '\n' && (head[i + 1] == ' ' || head[i + 1] == '\t')) ||
            (i == 0 && afterLine && (c == ' ' || c == '\t')))
        {
            return kFolded;
        }
    }
    checked = i;
    return std::nullopt;
}

// The media type of a Content-Type value, without its parameters, is the form's.
bool IsForm(std::string_view contentType)
{
    std::string_view type = contentType.substr(0, contentType.find(';'));
    while (!type.empty() && (type.back() == ' ' || type.back() == '\t'))
        type.remove_suffix(1);
    return type.size() == kFormType.size() && StartsWithAsciiCaseless(type, kFormType);
}

// The value of `field` when the request has it exactly once; "" when it has none or several,
// which no client of ours sends and none is worth guessing from.
template <class Request, class Name>
std::string SingleField(const Request& request, Name field)
{
    return request.count(field) == 1 ? std::string(request[field]) : std::string();
}

// Every value of a list-valued `field`, joined as one field would carry them (RFC 9110, 5.3).
template <class Request>
std::string JoinedFields(const Request& request, http::field field)
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

Conversation::Conversation(const LogFunction& log, std::string client, bool trustedProxy)
    : m_log(log), m_client(std::move(client)), m_trustedProxy(trustedProxy), m_requestClient(m_client)
{
}

Turn Conversation::Next(std::string_view received)
{
    if (!m_parser)
    {
        if (received.empty())
            return {};
        m_parser.emplace();
        m_headBytes = 0;
        m_scanned = 0;
    }
    return m_parser->is_header_done() ? ReadBody(0, received) : ReadHead(received);
}

Turn Conversation::ReadHead(std::string_view received)
{
    beast::error_code error;
    const std::size_t consumed = m_parser->put(boost::asio::buffer(received), error);
    const bool waiting = error == http::error::need_more;
    // Beast's header limit counts only the bytes of one call, and fields it has consumed leave
    // it; here every byte of the head counts, however it arrives.
    const std::size_t seen = m_headBytes + (error ? received.size() : consumed);
    const std::string_view head =
        received.substr(0, error ? kMaxHeadBytes - m_headBytes : consumed);
    if (const auto fault = LineFault(head, m_scanned, m_headBytes > 0))
        return Refuse(400, *fault, received);
    const Parser::value_type& request = m_parser->get();
    if (static_cast<std::size_t>(std::distance(request.begin(), request.end())) > kMaxHeaderFields)
    {
        return Refuse(431,
                      "The request has more than " + std::to_string(kMaxHeaderFields) +
                          " header fields.",
                      received);
    }
    // Also before what the parser found wrong in such a head: it judges a head that came in
    // pieces only once it is whole, which this one never will be.
    if ((error && seen >= kMaxHeadBytes) || (!error && seen > kMaxHeadBytes))
    {
        // The parser may not have read the request line yet, so the bytes say whether it ended.
        if (m_headBytes == 0 && head.find("\r\n") == std::string_view::npos)
        {
            return Refuse(414,
                          "The address is too long: a request line may be at most " +
                              std::to_string(kMaxHeadBytes) + " bytes.",
                          received);
        }
        return Refuse(431,
                      "The request's head is too large: its request line and header fields "
                      "together may be at most " +
                          std::to_string(kMaxHeadBytes) + " bytes.",
                      received);
    }
    if (waiting)
    {
        m_headBytes += consumed;
        m_scanned -= std::min(m_scanned, consumed);
        Turn wait;
        wait.consumed = consumed;
        return wait;
    }
    if (error)
        return Refuse(400, "The request is malformed (" + error.message() + ").", received);
    return HeadArrived(consumed, received.substr(consumed));
}

// The framing rules of RFC 9112, 6.3: a body whose length is not certain, or one that a GET or
// HEAD carries, is never skipped, since its bytes would be read as the next request.
Turn Conversation::HeadArrived(std::size_t consumed, std::string_view rest)
{
    const Parser::value_type& request = m_parser->get();
    const http::verb method = request.method();
    m_head = method == http::verb::head;
    m_http10 = request.version() == 10;
    m_close = !m_parser->keep_alive();
    m_requestLine = RequestLine(request);
    const bool encoded = request.count(http::field::transfer_encoding) > 0;
    const bool hasBody = encoded || m_parser->content_length().value_or(0) > 0;
    const std::size_t hosts = request.count(http::field::host);
    m_close = m_close || hasBody;
    if (hosts > 1 || (hosts == 0 && !m_http10))
    {
        m_close = true;
        return Answered(consumed,
                        ErrorResponse(400, "The request must name the server in one Host field."));
    }
    if (encoded && !m_parser->chunked())
    {
        return Answered(consumed,
                        ErrorResponse(400, "The request's Transfer-Encoding does not end in "
                                           "chunked, so its length is unknown."));
    }
    if (hasBody && (method == http::verb::get || m_head))
    {
        return Answered(consumed, ErrorResponse(400, "A " + std::string(request.method_string()) +
                                                         " request must not carry a body."));
    }
    if (!m_http10 && request.count(http::field::expect) > 0)
    {
        // The pages are small and a form is at most a few KiB: nothing is worth waiting for.
        return Answered(consumed, ErrorResponse(417, "The server meets no expectations; send the "
                                                     "request without an Expect field."));
    }
    if (method == http::verb::post && hasBody)
    {
        if (encoded)
        {
            return Answered(consumed, ErrorResponse(411, "Send the form with a Content-Length; "
                                                         "the server reads no chunked body."));
        }
        if (*m_parser->content_length() > kMaxBodyBytes)
        {
            return Answered(consumed, ErrorResponse(413, "The form is too large: at most " +
                                                             std::to_string(kMaxBodyBytes) +
                                                             " bytes are read."));
        }
        if (!IsForm(SingleField(request, http::field::content_type)))
        {
            return Answered(consumed,
                            ErrorResponse(415, "The server reads only forms, sent as " +
                                                   std::string(kFormType) + "."));
        }
        m_close = !m_parser->keep_alive();
        m_parser->body_limit(kMaxBodyBytes);
        return ReadBody(consumed, rest);
    }
    return Dispatch(consumed);
}

Turn Conversation::ReadBody(std::size_t consumed, std::string_view rest)
{
    beast::error_code error;
    const std::size_t used = rest.empty() ? 0 : m_parser->put(boost::asio::buffer(rest), error);
    if (m_parser->is_done())
        return Dispatch(consumed + used);
    if (error && error != http::error::need_more)
    {
        m_close = true;
        return Answered(consumed + used,
                        ErrorResponse(400, "The form is malformed (" + error.message() + ")."));
    }
    Turn wait;
    wait.consumed = consumed + used;
    return wait;
}

Turn Conversation::Dispatch(std::size_t consumed)
{
    Parser::value_type& request = m_parser->get();
    const std::string_view method = request.method_string();
    RequestTarget target = ParseRequestTarget(request.target());
    if (!target.error.empty() && (method == "GET" || method == "HEAD" || method == "POST"))
        return Answered(consumed, ErrorResponse(400, target.error));

    Turn turn;
    turn.consumed = consumed;
    Request& converted = turn.request.emplace();
    converted.method = method;
    // Other methods get 405 whatever their target.
    converted.path = target.error.empty() ? std::move(target.path) : std::string(request.target());
    converted.query = std::move(target.query);
    // Two Authorization fields are not a credential the server hands out; treat as none.
    converted.authorization = SingleField(request, http::field::authorization);
    converted.host = SingleField(request, http::field::host);
    m_requestClient = m_client;
    if (m_trustedProxy)
    {
        // The proxy sets the field to the address it took the request from, in place of any a
        // client sent; only an address is taken, so nothing else of it reaches the log.
        boost::system::error_code malformed;
        const auto address =
            boost::asio::ip::make_address(SingleField(request, std::string_view("X-Real-IP")),
                                          malformed);
        if (!malformed)
            m_requestClient = address.to_string();
    }
    converted.client = m_requestClient;
    converted.contentType = SingleField(request, http::field::content_type);
    converted.body = std::move(request.body());
    converted.origin = SingleField(request, http::field::origin);
    converted.referer = SingleField(request, http::field::referer);
    converted.acceptEncoding = JoinedFields(request, http::field::accept_encoding);
    converted.ifNoneMatch = JoinedFields(request, http::field::if_none_match);
    m_parser.reset();
    m_awaitingReply = true;
    return turn;
}

Turn Conversation::Answered(std::size_t consumed, Response response)
{
    m_parser.reset();
    Turn turn;
    turn.consumed = consumed;
    turn.answer = Reply(std::move(response));
    return turn;
}

Turn Conversation::Refuse(int status, std::string_view message, std::string_view received)
{
    m_requestLine = "-";
    m_requestClient = m_client;
    m_head = received.starts_with("HEAD ");
    if (m_parser && !m_parser->get().target().empty())
    {
        m_requestLine = RequestLine(m_parser->get());
        m_head = m_parser->get().method() == http::verb::head;
    }
    else if (const std::string_view first = received.substr(0, received.find_first_of("\r\n"));
             LooksLikeRequestLine(first))
    {
        m_requestLine = Truncated(first);
    }
    m_http10 = false;
    m_close = true;
    return Answered(received.size(), ErrorResponse(status, message));
}

Answer Conversation::Reply(Response response)
{
    m_awaitingReply = false;
    if (m_log)
    {
        m_log(CommonLogLine(m_requestClient, response.user, std::time(nullptr), m_requestLine,
                            response.status, m_head ? 0 : response.BodySize()));
        if (!response.problem.empty())
            m_log(ProblemLogLine(m_requestLine, response.problem));
    }
    Answer answer(static_cast<http::status>(response.status), 11);
    for (const auto& [name, value] : response.headers)
        answer.insert(name, value);
    // A 304 says nothing of a body's length unless it gives that of the page it stands for.
    if (response.status != 304)
        answer.content_length(response.BodySize());
    if (m_close)
        answer.set(http::field::connection, "close");
    else if (m_http10)
        answer.set(http::field::connection, "keep-alive");
    if (!m_head)
        answer.body() = {std::move(response.body), std::move(response.file)};
    return answer;
}

boost::optional<std::pair<SharedBody::writer::const_buffers_type, bool>>
SharedBody::writer::get(boost::beast::error_code& error)
{
    error = {};
    if (!m_body.file)
    {
        if (!m_body.page || m_body.page->empty())
            return boost::none;
        return std::pair(const_buffers_type(m_body.page->data(), m_body.page->size()), false);
    }
    const std::uint64_t size = m_body.file->Size();
    if (m_offset >= size)
        return boost::none;
    if (!m_chunk)
        m_chunk = std::make_unique<char[]>(kFileChunkBytes);
    try
    {
        const std::size_t read = m_body.file->ReadAt(m_offset, {m_chunk.get(), kFileChunkBytes});
        m_offset += read;
        return std::pair(const_buffers_type(m_chunk.get(), read), m_offset < size);
    }
    catch (const std::system_error& failure)
    {
        // The answer can't be finished: the connection closes short of its Content-Length.
        std::fprintf(stderr, "tnews-server: an answer stopped short: %s\n", failure.what());
        error =
            boost::system::error_code(failure.code().value(), boost::system::generic_category());
        return boost::none;
    }
}

std::vector<Exchanged> Exchange(const Site& site, const LogFunction& log,
                                const std::vector<std::string_view>& pieces)
{
    Conversation conversation(log, "127.0.0.1");
    std::vector<Exchanged> exchanged;
    std::string unread;
    std::string request;
    for (const std::string_view piece : pieces)
    {
        unread += piece;
        for (;;)
        {
            Turn turn = conversation.Next(unread);
            request += unread.substr(0, turn.consumed);
            unread.erase(0, turn.consumed);
            if (turn.request)
                turn.answer = conversation.Reply(site.Handle(*turn.request));
            if (!turn.answer)
                break; // the rest is part of a request
            std::ostringstream answer;
            answer << *turn.answer;
            exchanged.push_back({std::exchange(request, {}), answer.str()});
            if (!turn.answer->keep_alive())
                return exchanged;
        }
    }
    return exchanged;
}

} // namespace tnews::server
