#include "basic_auth.h"

#include "directory/ascii.h"

#include <algorithm>

namespace tnews::server
{
namespace
{

int Base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// The base64 part of a Basic Authorization value; the scheme name is case-insensitive and may be
// followed by several blanks (RFC 7235), nothing else is accepted.
std::optional<std::string_view> BasicToken(std::string_view authorization)
{
    constexpr std::string_view kScheme = "basic";
    if (authorization.size() <= kScheme.size() || authorization[kScheme.size()] != ' ' ||
        !StartsWithAsciiCaseless(authorization, kScheme))
        return std::nullopt;
    std::string_view token = authorization.substr(kScheme.size());
    token.remove_prefix(std::min(token.find_first_not_of(' '), token.size()));
    return token;
}

// Compares every byte of the longer string, so the time taken depends only on the lengths.
bool ConstantTimeEquals(std::string_view a, std::string_view b)
{
    const std::size_t length = std::max(a.size(), b.size());
    unsigned difference = a.size() == b.size() ? 0u : 1u;
    for (std::size_t i = 0; i < length; ++i)
    {
        const auto x = static_cast<unsigned char>(i < a.size() ? a[i] : 0);
        const auto y = static_cast<unsigned char>(i < b.size() ? b[i] : 0);
        difference |= static_cast<unsigned>(x ^ y);
    }
    return difference == 0;
}

} // namespace

std::optional<std::string> DecodeBase64(std::string_view text)
{
    if (text.size() % 4 != 0)
        return std::nullopt;
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4)
    {
        const bool last = i + 4 == text.size();
        const std::size_t padding =
            last ? static_cast<std::size_t>(std::count(
                       text.begin() + static_cast<std::ptrdiff_t>(i + 2), text.end(), '='))
                 : 0;
        if (padding > 0 &&
            text.substr(text.size() - padding).find_first_not_of('=') != std::string_view::npos)
        {
            return std::nullopt;
        }
        unsigned bits = 0;
        for (std::size_t j = 0; j < 4 - padding; ++j)
        {
            const int value = Base64Value(text[i + j]);
            if (value < 0)
                return std::nullopt;
            bits = (bits << 6) | static_cast<unsigned>(value);
        }
        bits <<= 6 * padding;
        out += static_cast<char>((bits >> 16) & 0xFF);
        if (padding < 2)
            out += static_cast<char>((bits >> 8) & 0xFF);
        if (padding < 1)
            out += static_cast<char>(bits & 0xFF);
    }
    return out;
}

std::optional<std::string> BasicUserName(std::string_view authorization)
{
    const auto token = BasicToken(authorization);
    if (!token)
        return std::nullopt;
    const auto decoded = DecodeBase64(*token);
    if (!decoded)
        return std::nullopt;
    const std::size_t colon = decoded->find(':');
    if (colon == std::string::npos)
        return std::nullopt;
    return decoded->substr(0, colon);
}

bool HasBasicCredentials(std::string_view authorization, std::string_view user,
                         std::string_view password)
{
    const auto token = BasicToken(authorization);
    if (!token)
        return false;
    const auto decoded = DecodeBase64(*token);
    if (!decoded)
        return false;
    std::string expected;
    expected.reserve(user.size() + 1 + password.size());
    expected.append(user).append(":").append(password);
    return ConstantTimeEquals(*decoded, expected);
}

} // namespace tnews::server
