// Turning what the user typed in the keyword box into a full-text query that can't be anything
// but a list of words.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tnews::server
{

/// Longest keyword text answered, in bytes; longer texts get a 400 page.
inline constexpr std::size_t kMaxKeywordBytes = 256;

/// The words of `typed`: runs of characters between blanks and control characters, keeping only
/// those with at least one letter or digit (so "--" or "«" alone is no word). Malformed UTF-8
/// becomes U+FFFD first.
std::vector<std::string> KeywordWords(std::string_view typed);

/// An FTS5 MATCH expression requiring every word of `typed`: each word quoted as an FTS string
/// (inner double quotes doubled), joined by AND, the last one matched as a prefix. Nothing when
/// `typed` has no word. Bind the result as a parameter; it is never SQL.
std::optional<std::string> MatchExpression(std::string_view typed);

} // namespace tnews::server
