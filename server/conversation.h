// One connection's HTTP without its socket: the bytes a client sends go in, requests for a Site
// and whole answers come out. Beast's request parser reads each request; the limits on heads and
// bodies hold however the bytes arrive. The server's connections, Exchange and the fuzzer all run
// every byte through here.
#pragma once

#include "access_log.h"
#include "site.h"

#include <boost/asio/buffer.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>
#include <boost/optional.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tnews::server
{

/// Longest head, request line and header fields together, counted over every byte however the
/// head arrives: past it 414 while the request line is unfinished, else 431.
inline constexpr std::size_t kMaxHeadBytes = 8 * 1024;
/// Most header fields in one request; more get 431.
inline constexpr std::size_t kMaxHeaderFields = 100;
/// Longest body read: a POST's form (application/x-www-form-urlencoded) with a Content-Length.
/// Longer ones get 413, chunked ones 411, other types 415, and the connection closes.
inline constexpr std::size_t kMaxBodyBytes = 4 * 1024;

/// A body that shares its page with the Site, so that an answer waiting for a slow client holds
/// no copy of it: from memory, or read from its file a piece at a time as the client takes it.
/// An empty value sends nothing (the answer to HEAD).
struct SharedBody
{
    struct value_type
    {
        SharedPage page; // sent when there is no file
        SharedFile file;
    };

    static std::uint64_t size(const value_type& body)
    {
        return body.file ? body.file->Size() : body.page ? body.page->size() : 0;
    }

    class writer
    {
    public:
        using const_buffers_type = boost::asio::const_buffer;

        template <bool isRequest, class Fields>
        writer(const boost::beast::http::header<isRequest, Fields>&, const value_type& body)
            : m_body(body)
        {
        }
        void init(boost::beast::error_code& error) { error = {}; }
        boost::optional<std::pair<const_buffers_type, bool>> get(boost::beast::error_code& error);

    private:
        // What a file's answer reads at a time: a quarter of the kernel's send buffer, so that a
        // slow reader of an export holds little of it in the server's memory.
        static constexpr std::size_t kFileChunkBytes = 16 * 1024;

        const value_type& m_body;
        std::uint64_t m_offset = 0;
        std::unique_ptr<char[]> m_chunk; // of a file's answer
    };
};

/// An answer as it goes out. When it is not keep_alive(), the connection closes after it.
using Answer = boost::beast::http::response<SharedBody>;

/// What a connection does after offering the bytes it has received.
struct Turn
{
    std::size_t consumed = 0;       // bytes at the front of those offered that are used up
    std::optional<Request> request; // a whole request: give the Site's Response to Reply
    std::optional<Answer> answer;   // a refusal, to send as it is
};

class Conversation
{
public:
    /// `log` (which may be empty) must outlive it; `client` is the client's address. A client
    /// that is a trusted proxy names the client it forwards for in one X-Real-IP field, which then
    /// stands for it in requests and the log.
    Conversation(const LogFunction& log, std::string client, bool trustedProxy = false);

    /// The next step for `received`, the bytes not consumed so far: a request once its head (and
    /// a POST's form) has arrived whole, a refusal, or nothing but what it consumed; offer the
    /// rest again when more has arrived. After a request, call Reply before Next again.
    /// Refused: malformed heads (lines ending in a bare LF or CR, folded lines) 400 at once,
    /// heads past kMaxHeadBytes 414 or 431, more than kMaxHeaderFields 431, a body on GET or HEAD
    /// 400, any Expect 417, and what kMaxBodyBytes says of bodies.
    Turn Next(std::string_view received);

    /// True from a request's first byte until it is answered.
    bool InRequest() const { return m_parser.has_value() || m_awaitingReply; }

    /// The answer to the request Next gave, from the Site's `response`, logged once, with its
    /// problem if it has one; without a body for HEAD.
    Answer Reply(Response response);

private:
    using Parser = boost::beast::http::request_parser<boost::beast::http::string_body>;

    Turn ReadHead(std::string_view received);
    Turn HeadArrived(std::size_t consumed, std::string_view rest);
    Turn ReadBody(std::size_t consumed, std::string_view rest);
    Turn Dispatch(std::size_t consumed);
    Turn Refuse(int status, std::string_view message, std::string_view received);
    Turn Answered(std::size_t consumed, Response response);

    const LogFunction& m_log;
    std::string m_client;
    bool m_trustedProxy;
    std::optional<Parser> m_parser;
    std::size_t m_headBytes = 0; // of the head, consumed by the parser so far
    std::size_t m_scanned = 0;   // of the unconsumed bytes, checked for bad line ends
    bool m_awaitingReply = false;
    // Of the request being answered.
    bool m_head = false;
    bool m_http10 = false;
    bool m_close = false;
    std::string m_requestLine;
    std::string m_requestClient; // m_client, or whom a trusted proxy forwards the request for
};

/// One answer of Exchange, with the bytes of the request it answers.
struct Exchanged
{
    std::string request;
    std::string answer;
};

/// The answers `site` sends on a connection that receives `pieces` one after another and then
/// closes its side: every complete request answered in turn, exactly as on a socket, until one
/// closes the connection. For tests and fuzzing.
std::vector<Exchanged> Exchange(const Site& site, const LogFunction& log,
                                const std::vector<std::string_view>& pieces);

} // namespace tnews::server
