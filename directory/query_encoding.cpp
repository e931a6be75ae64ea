#include "query_encoding.h"

#include "ascii.h"

namespace tnews
{
namespace
{

bool IsUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<std::string> Decode(std::string_view text, bool plusIsBlank)
{
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '+' && plusIsBlank)
        {
            decoded += ' ';
            continue;
        }
        if (text[i] != '%')
        {
            decoded += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        const int high = HexValue(text[i + 1]);
        const int low = HexValue(text[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return decoded;
}

} // namespace

std::string EncodeQueryValue(std::string_view text)
{
    std::string encoded;
    encoded.reserve(text.size() * 3);
    for (char ch : text)
    {
        const auto byte = static_cast<unsigned char>(ch);
        if (IsUnreserved(byte))
        {
            encoded += ch;
            continue;
        }
        encoded += '%';
        AppendHexByte(encoded, byte);
    }
    return encoded;
}

std::optional<std::string> DecodeQueryValue(std::string_view value)
{
    return Decode(value, true);
}

std::optional<std::string> DecodePercentEncoded(std::string_view text)
{
    return Decode(text, false);
}

} // namespace tnews
