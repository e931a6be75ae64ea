#include "request_head.h"

namespace tnews::server
{
namespace
{

bool EqualsIgnoringCase(std::string_view text, std::string_view lower)
{
    if (text.size() != lower.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const char c = text[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c) != lower[i])
            return false;
    }
    return true;
}

std::string_view Trimmed(std::string_view text)
{
    constexpr std::string_view kBlanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// Errs towards "yes": a malformed length still counts as a body, because the connection is
// closed after any request that may carry one rather than read the body as the next request.
bool DeclaresBody(std::string_view line)
{
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return false;
    const std::string_view name = Trimmed(line.substr(0, colon));
    if (EqualsIgnoringCase(name, "transfer-encoding"))
        return true;
    return EqualsIgnoringCase(name, "content-length") && Trimmed(line.substr(colon + 1)) != "0";
}

} // namespace

RequestHead FindRequestHead(std::string_view received)
{
    RequestHead head;
    std::size_t lineStart = 0;
    std::size_t fields = 0;
    bool requestLine = true;
    for (;;)
    {
        const std::size_t newline = received.find('\n', lineStart);
        if (newline == std::string_view::npos)
        {
            if (requestLine && received.size() >= kMaxRequestLineBytes)
                head.status = HeadStatus::LineTooLong;
            else if (received.size() > kMaxHeadBytes)
                head.status = HeadStatus::HeadTooLarge;
            return head;
        }
        const std::size_t next = newline + 1;
        const std::string_view line = received.substr(lineStart, next - lineStart);
        if (requestLine)
        {
            if (line.size() > kMaxRequestLineBytes)
            {
                head.status = HeadStatus::LineTooLong;
                return head;
            }
            requestLine = false;
        }
        else if (next > kMaxHeadBytes || (line != "\r\n" && ++fields > kMaxHeaderFields))
        {
            head.status = HeadStatus::HeadTooLarge;
            return head;
        }
        else if (line == "\r\n")
        {
            head.status = HeadStatus::Complete;
            head.size = next;
            return head;
        }
        else
        {
            head.hasBody = head.hasBody || DeclaresBody(line);
        }
        lineStart = next;
    }
}

} // namespace tnews::server
