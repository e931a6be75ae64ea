#include "request_target.h"

#include "directory/ascii.h"
#include "directory/query_encoding.h"

#include <algorithm>
#include <optional>

namespace tnews::server
{
namespace
{

// Longest part of a target that an error page shows.
constexpr std::size_t kShownBytes = 80;

std::string Shown(std::string_view part)
{
    std::string shown(part.substr(0, kShownBytes));
    if (part.size() > kShownBytes)
        shown += "\u2026";
    return "\u201C" + shown + "\u201D";
}

std::string BadEscape(std::string_view where, std::string_view part)
{
    return "The address is malformed: in " + std::string(where) + ' ' + Shown(part) +
           ", a \u201C%\u201D is not followed by two hexadecimal digits.";
}

} // namespace

std::optional<QueryPairs> ParseQuery(std::string_view query, std::string_view* badPart)
{
    QueryPairs pairs;
    while (!query.empty())
    {
        const std::size_t amp = std::min(query.find('&'), query.size());
        const std::string_view part = query.substr(0, amp);
        query.remove_prefix(std::min(amp + 1, query.size()));
        if (part.empty())
            continue;
        const std::size_t equals = std::min(part.find('='), part.size());
        std::optional<std::string> key = DecodeQueryValue(part.substr(0, equals));
        std::optional<std::string> value =
            DecodeQueryValue(part.substr(std::min(equals + 1, part.size())));
        if (!key || !value)
        {
            if (badPart)
                *badPart = part;
            return std::nullopt;
        }
        pairs.emplace_back(std::move(*key), std::move(*value));
    }
    return pairs;
}

RequestTarget ParseRequestTarget(std::string_view target)
{
    RequestTarget parsed;
    constexpr std::string_view kScheme = "http://";
    const std::size_t question = target.find('?');
    std::string_view path = target.substr(0, question);
    // A proxy's form of a target names the host too; only its path and query count here.
    if (StartsWithAsciiCaseless(target, kScheme))
    {
        path.remove_prefix(std::min(path.find('/', kScheme.size()), path.size()));
        if (path.empty())
            path = "/";
    }
    if (!path.starts_with('/'))
    {
        parsed.error =
            "The address " + Shown(target) + " is not a path starting with \u201C/\u201D.";
        return parsed;
    }
    // Decoded before routing, "%2F" would turn one path segment into two, so it is refused.
    for (std::size_t i = 0; i + 2 < path.size(); ++i)
    {
        if (path[i] == '%' && path[i + 1] == '2' && AsciiLower(path[i + 2]) == 'f')
        {
            parsed.error = "The address " + Shown(target) +
                           " holds an encoded \u201C/\u201D (%2F) in its path, which the server "
                           "does not take.";
            return parsed;
        }
    }
    std::optional<std::string> decoded = DecodePercentEncoded(path);
    if (!decoded)
    {
        parsed.error = BadEscape("the path", path);
        return parsed;
    }
    parsed.path = std::move(*decoded);
    if (question == std::string_view::npos)
        return parsed;

    std::string_view badPart;
    std::optional<QueryPairs> query = ParseQuery(target.substr(question + 1), &badPart);
    if (!query)
    {
        parsed.error = BadEscape("the query part", badPart);
        return parsed;
    }
    parsed.query = std::move(*query);
    return parsed;
}

} // namespace tnews::server
