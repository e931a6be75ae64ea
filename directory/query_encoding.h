// Percent-encoding of a query value, so that what the user typed reaches the server intact.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tnews
{

/// The bytes of `text` with every byte other than A-Z a-z 0-9 - . _ ~ written as %XX (uppercase
/// hex); a blank becomes %20, not "+". Nothing is trimmed; "" gives "".
std::string EncodeQueryValue(std::string_view text);

/// The inverse of EncodeQueryValue for any query value: %XX gives the byte XX and "+" a blank.
/// Nothing for a "%" not followed by two hex digits.
std::optional<std::string> DecodeQueryValue(std::string_view value);

/// Percent-decoding as a URL's path needs it: %XX gives the byte XX, every other byte stays,
/// "+" included. Nothing for a "%" not followed by two hex digits.
std::optional<std::string> DecodePercentEncoded(std::string_view text);

} // namespace tnews
