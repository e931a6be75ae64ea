// The path and query of a request's target, decoded strictly, so that the Site sees exactly the
// bytes the client encoded, or the client learns what is wrong with the address.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tnews::server
{

struct RequestTarget
{
    std::string path;                                       // percent-decoded
    std::vector<std::pair<std::string, std::string>> query; // decoded, "+" as a blank, in order
    std::string error; // what is malformed, for a 400 page; "" when nothing is
};

/// Splits `target`, as on the request line ("/path?query", or "http://host/path?query"), at its
/// first "?", the query at every "&" and each part at its first "="; a part without "=" is a
/// key with an empty value and empty parts are skipped. Nothing is trimmed. Every "%" must be
/// followed by two hex digits ("%u00E9" is refused), and a target that is not a path, or whose
/// path holds an encoded "/" (%2F), is refused; `error` then says which part is wrong.
RequestTarget ParseRequestTarget(std::string_view target);

using QueryPairs = std::vector<std::pair<std::string, std::string>>;

/// The pairs of a query without its "?", or of an application/x-www-form-urlencoded body, split
/// and decoded as ParseRequestTarget does. Nothing when a "%" is not followed by two hex digits;
/// `badPart`, when given, then names the part.
std::optional<QueryPairs> ParseQuery(std::string_view query, std::string_view* badPart = nullptr);

} // namespace tnews::server
