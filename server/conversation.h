// One connection's HTTP without its socket: the bytes a client sends go in, whole answers come
// out. Beast's request parser reads each request, the Site answers it, and every answer is
// logged. The server's connections and HttpServer::Exchange both run every byte through here.
#pragma once

#include "access_log.h"
#include "site.h"

#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tnews::server
{

/// Longest request line, and apart from it the longest header fields together: 414 and 431
/// past them.
inline constexpr std::size_t kMaxHeadBytes = 8 * 1024;
/// Most header fields in one request; more get 431.
inline constexpr std::size_t kMaxHeaderFields = 100;
/// Longest body read, a POST's only; a longer one gets 413.
inline constexpr std::size_t kMaxBodyBytes = 4 * 1024;

/// An answer as it goes out: its status line and fields, then the body they announce.
struct Outgoing
{
    std::string head; // "" when there is no answer
    SharedPage body;  // null for none (HEAD); shared with the Site, so sending it copies nothing
};

/// What a connection does after offering the bytes it has received.
struct Turn
{
    std::size_t consumed = 0; // bytes at the front of those offered that are used up
    Outgoing answer;          // a whole answer to send; none when more bytes are needed
    bool close = false;       // close the connection once the answer is sent
};

class Conversation
{
public:
    /// `site` and `log` (which may be empty) must outlive it; `client` is the client's address
    /// for the log.
    Conversation(const Site& site, const LogFunction& log, std::string client);

    /// The next step for `received`, the bytes not consumed so far: an answer once a request's
    /// head has arrived whole or has to be refused, else nothing but what it consumed; offer
    /// the rest again when more has arrived. Requests are answered one at a time, in order.
    /// Malformed heads get 400 at once (lines ending in a bare LF too), long request lines 414,
    /// long or many header fields 431, bodies are read only for POST, within kMaxBodyBytes
    /// (413 on GET and HEAD and past the limit, else 405), and every Expect gets 417.
    Turn Next(std::string_view received);

    /// True while part of a request's head, or of a POST's body, has arrived and its answer is
    /// not yet given.
    bool InHead() const { return m_inHead; }

    /// The 408 answer, logged, for a client whose head has not arrived in time, `received` being
    /// the bytes not consumed; the connection closes after it.
    Outgoing TimedOut(std::string_view received);

private:
    using Parser = boost::beast::http::request_parser<boost::beast::http::string_body>;

    Turn Answer(const Parser::value_type& request, bool hasBody);
    Turn Refuse(int status, std::string_view message, std::string_view received);
    Outgoing Send(Response response, bool head, bool close, bool http10,
                  std::string_view requestLine);

    const Site& m_site;
    const LogFunction& m_log;
    std::string m_client;
    std::optional<Parser> m_parser;
    bool m_inHead = false;
    std::size_t m_checked = 0; // bytes of the unconsumed head already checked for bare line ends
};

} // namespace tnews::server
