// UTF-8 checks shared by the catalogue's readers, the server's pages and its search.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tnews
{

/// Returned by NextCodePoint for a byte that does not start a well-formed sequence.
inline constexpr char32_t kInvalidCodePoint = 0xFFFFFFFF;

/// The code point that starts at text[pos], advancing pos past it. An overlong, truncated or
/// surrogate sequence gives kInvalidCodePoint and advances pos by one byte. pos must be in range.
char32_t NextCodePoint(std::string_view text, std::size_t& pos);

/// The code points of `text`, a malformed byte counting as one.
std::size_t CodePointCount(std::string_view text);

/// True if `text` is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view text);

/// `code` encoded as UTF-8 appended to `out`; code must be a valid scalar value.
void AppendUtf8(std::string& out, char32_t code);

} // namespace tnews
