// The server's reading of a request target: any bytes as the target of a request line. A
// well-formed target survives being encoded again; a malformed one is refused exactly when some
// "%" lacks its two hex digits, the path holds an encoded "/", or the target is not a path.
#include "directory/query_encoding.h"
#include "fuzz_check.h"
#include "server/request_target.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using tnews::fuzz::Check;
using tnews::server::ParseRequestTarget;
using tnews::server::RequestTarget;

namespace
{

bool EveryEscapeComplete(std::string_view text)
{
    for (std::size_t i = text.find('%'); i != std::string_view::npos; i = text.find('%', i + 1))
    {
        if (i + 2 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[i + 1])) ||
            !std::isxdigit(static_cast<unsigned char>(text[i + 2])))
        {
            return false;
        }
    }
    return true;
}

// "%2F" in the path, before any "?".
bool EncodedSlashInPath(std::string_view target)
{
    const std::string_view path = target.substr(0, target.find('?'));
    for (std::size_t i = path.find('%'); i != std::string_view::npos; i = path.find('%', i + 1))
    {
        if (i + 2 < path.size() && path[i + 1] == '2' && (path[i + 2] == 'f' || path[i + 2] == 'F'))
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view target(reinterpret_cast<const char*>(data), size);
    const RequestTarget parsed = ParseRequestTarget(target);
    const bool absolute = target.size() >= 7 && std::equal(target.begin(), target.begin() + 7,
                                                           "http://", [](char a, char b)
                                                           { return std::tolower(a) == b; });
    if (!absolute)
    {
        Check(parsed.error.empty() == (target.starts_with('/') && EveryEscapeComplete(target) &&
                                       !EncodedSlashInPath(target)),
              "a path target is refused exactly when an escape is incomplete or a slash encoded");
    }
    if (!parsed.error.empty())
    {
        Check(parsed.query.empty(), "a refused target gives no parameters");
        return 0;
    }
    Check(parsed.path.starts_with('/'), "the path starts with /");

    // Encoded again, each byte but the unreserved ones and the path's slashes as %XX, the target
    // reads the same.
    std::string again;
    for (std::size_t at = 1, slash = 0; slash != std::string::npos; at = slash + 1)
    {
        slash = parsed.path.find('/', at);
        again += "/" + tnews::EncodeQueryValue(parsed.path.substr(at, slash - at));
    }
    char separator = '?';
    for (const auto& [key, value] : parsed.query)
    {
        again += separator + tnews::EncodeQueryValue(key) + '=' + tnews::EncodeQueryValue(value);
        separator = '&';
    }
    const RequestTarget reread = ParseRequestTarget(again);
    Check(reread.error.empty(), "an encoded target is well-formed");
    Check(reread.path == parsed.path, "the path survives encoding");
    Check(reread.query == parsed.query, "the parameters survive encoding, in order");
    return 0;
}
