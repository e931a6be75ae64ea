// The ASCII byte helpers of URLs, headers and logs: case folding and hexadecimal digits. Bytes
// outside ASCII pass through unchanged, whatever the locale.
#pragma once

#include <string>
#include <string_view>

namespace tnews
{

/// `text` without the spaces and tabs at either end.
constexpr std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

/// `c` in lower case when it is an ASCII capital letter.
constexpr char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

/// `text` with its ASCII letters in lower case.
inline std::string AsciiLower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = AsciiLower(c);
    return lower;
}

/// True if `text` starts with `lowerPrefix` when ASCII case is ignored; `lowerPrefix` is in
/// lower case.
constexpr bool StartsWithAsciiCaseless(std::string_view text, std::string_view lowerPrefix)
{
    if (text.size() < lowerPrefix.size())
        return false;
    for (std::size_t i = 0; i < lowerPrefix.size(); ++i)
    {
        if (AsciiLower(text[i]) != lowerPrefix[i])
            return false;
    }
    return true;
}

/// Appends `byte` as two hexadecimal digits, in capitals as URLs write them (RFC 3986) unless
/// `capitals` is false.
inline void AppendHexByte(std::string& out, unsigned char byte, bool capitals = true)
{
    const char* digits = capitals ? "0123456789ABCDEF" : "0123456789abcdef";
    out += digits[byte >> 4];
    out += digits[byte & 0x0F];
}

} // namespace tnews
