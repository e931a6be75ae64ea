#include "version.h"

#include "directory/server_urls.h"

namespace tnews::server
{
namespace
{

constexpr int kMaxPart = 32767;
constexpr std::size_t kMaxDigits = 5;

std::optional<int> ParsePart(std::string_view text)
{
    if (text.empty() || text.size() > kMaxDigits)
        return std::nullopt;
    int value = 0;
    for (char c : text)
    {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > kMaxPart)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<Version> ParseVersion(std::string_view text)
{
    const std::size_t firstDot = text.find('.');
    if (firstDot == std::string_view::npos)
        return std::nullopt;
    const std::size_t secondDot = text.find('.', firstDot + 1);
    if (secondDot == std::string_view::npos)
        return std::nullopt;
    const auto major = ParsePart(text.substr(0, firstDot));
    const auto minor = ParsePart(text.substr(firstDot + 1, secondDot - firstDot - 1));
    const auto revision = ParsePart(text.substr(secondDot + 1));
    if (!major || !minor || !revision)
        return std::nullopt;
    return Version{*major, *minor, *revision};
}

std::string FormatVersion(Version version)
{
    return VersionText(version.major, version.minor, version.revision);
}

} // namespace tnews::server
