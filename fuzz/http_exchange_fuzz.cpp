// The raw request path without a socket: any bytes a client may send on a connection, through
// Beast's request parser, the server's limits and the Site, to the bytes it sends back and the
// access log lines it writes; the same Conversation serves every connection of the server.
#include "directory/ascii.h"
#include "directory/catalogue.h"
#include "directory/server_urls.h"
#include "fuzz_check.h"
#include "fuzz_store.h"
#include "server/conversation.h"
#include "server/site.h"
#include "server/site_data.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using tnews::fuzz::Check;
using tnews::fuzz::Contains;
using namespace tnews::server;

namespace
{

std::vector<std::string> g_log;

const Site& TheSite()
{
    static const Site site(LoadSiteData(TNEWS_FUZZ_CATALOGUE), Version{6, 1, 3},
                           SiteOptions{.corrections = &tnews::fuzz::FuzzStore()});
    return site;
}

const LogFunction& TheLog()
{
    static const LogFunction log = [](const std::string& line) { g_log.push_back(line); };
    return log;
}

// The value of the first `name` field of `head`, matched without case, or "" without one.
std::string_view FieldOf(std::string_view head, std::string_view name)
{
    const std::string lower = tnews::AsciiLower(head);
    const std::size_t at = lower.find("\r\n" + std::string(name) + ":");
    if (at == std::string::npos)
        return {};
    std::string_view value = head.substr(at + name.size() + 3);
    value = value.substr(0, value.find("\r\n"));
    return value.substr(std::min(value.find_first_not_of(" \t"), value.size()));
}

int StatusOf(std::string_view answer)
{
    return (answer[9] - '0') * 100 + (answer[10] - '0') * 10 + (answer[11] - '0');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view received(reinterpret_cast<const char*>(data), size);
    g_log.clear();
    const std::vector<Exchanged> exchanged = Exchange(TheSite(), TheLog(), {received});

    for (const auto& [request, answer] : exchanged)
    {
        Check(answer.starts_with("HTTP/1.1 "), "the server answers in HTTP/1.1");
        Check(!answer.starts_with("HTTP/1.1 5"), "no request makes a server error");
        Check(Contains(answer, "\r\nContent-Security-Policy: default-src 'none'"),
              "every answer is one of the Site's pages");
        // Framed: the body is as long as announced, or absent (HEAD).
        const std::size_t end = answer.find("\r\n\r\n");
        const std::string_view length =
            FieldOf(std::string_view(answer).substr(0, end + 2), "content-length");
        const bool bodiless = request.starts_with("HEAD ") || StatusOf(answer) == 304;
        Check(end != std::string::npos && (!length.empty() || StatusOf(answer) == 304),
              "every answer but 304 has a Content-Length");
        Check(bodiless ? answer.size() == end + 4
                       : length == std::to_string(answer.size() - end - 4),
              "every body is as long as its Content-Length says, and HEAD and 304 get none");
        // One answer for one request: a connection kept alive has read the whole request, so
        // that no byte of it is read as the next one.
        Check(!request.empty(), "an answer is for bytes received");
        if (Contains(answer.substr(0, end), "\r\nConnection: close"))
            continue;
        const std::size_t headEnd = request.find("\r\n\r\n");
        Check(headEnd != std::string::npos, "a request kept alive has a whole head");
        const std::string_view head = std::string_view(request).substr(0, headEnd + 2);
        Check(FieldOf(head, "transfer-encoding").empty() && !Contains(head, "\r\n\t") &&
                  !Contains(head, "\r\n "),
              "no request with a Transfer-Encoding or a folded line keeps the connection");
        const std::string_view body = std::string_view(request).substr(headEnd + 4);
        // A length may have leading zeros ("07" is 7).
        std::string_view announced = FieldOf(head, "content-length");
        announced.remove_prefix(std::min(announced.find_first_not_of('0'), announced.size()));
        Check(body.empty() ||
                  (head.starts_with("POST ") && announced.starts_with(std::to_string(body.size()))),
              "a request kept alive is its head and the body it announces, no more");
    }
    Check(std::ranges::count_if(g_log, [](const std::string& line)
                                { return !line.starts_with("tnews-server: "); }) ==
              static_cast<std::ptrdiff_t>(exchanged.size()),
          "every answer is logged, once");
    for (const std::string& line : g_log)
    {
        for (std::string_view password : {tnews::kListingPassword, tnews::kUpdatePassword})
        {
            Check(Contains(received, password) || !Contains(line, password),
                  "the log never holds a password sent only in an Authorization header");
        }
    }

    // However the bytes arrive, the same requests get the same answers; only a refusal of a head
    // the parser judges once it is whole may be missing when the head never ends.
    std::vector<std::string_view> pieces;
    for (std::size_t at = 0, piece = 1 + size % 7; at < size; at += piece)
        pieces.push_back(received.substr(at, piece));
    const std::vector<Exchanged> inPieces = Exchange(TheSite(), {}, pieces);
    Check(inPieces.size() <= exchanged.size(), "no more answers in pieces than whole");
    for (std::size_t i = 0; i < exchanged.size(); ++i)
    {
        const bool closes = Contains(exchanged[i].answer, "\r\nConnection: close\r\n");
        if (i == inPieces.size())
        {
            Check(i + 1 == exchanged.size() && closes && StatusOf(exchanged[i].answer) / 100 == 4,
                  "an answer missing in pieces is a refusal");
            break;
        }
        // A head with several faults is refused for the first one read, and what has arrived
        // when the server looks decides which that is: in pieces, more than 100 fields may be
        // counted before a bare LF further on comes in. Either way it is refused and closed.
        const bool refusedBoth = closes && StatusOf(exchanged[i].answer) / 100 == 4 &&
                                 StatusOf(inPieces[i].answer) / 100 == 4 &&
                                 Contains(inPieces[i].answer, "\r\nConnection: close\r\n");
        Check(refusedBoth || (StatusOf(inPieces[i].answer) == StatusOf(exchanged[i].answer) &&
                              (closes || inPieces[i].request == exchanged[i].request)),
              "the same request gets the same answer in pieces as whole, or is refused in both");
    }
    return 0;
}
