#include "text_fields.h"

#include "directory/ascii.h"

#include <algorithm>

namespace tnews::catalogue
{

std::vector<std::string_view> SplitFields(std::string_view line, char separator)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t end = line.find(separator, start);
        fields.push_back(line.substr(start, end - start));
        if (end == std::string_view::npos)
            return fields;
        start = end + 1;
    }
}

std::string EscapeField(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
    {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

bool UnescapeField(std::string_view field, std::string& text, std::string& problem)
{
    text.clear();
    text.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i)
    {
        const char c = field[i];
        if (HasControlCharacter(std::string_view(&c, 1)))
        {
            problem = "contains a control character";
            return false;
        }
        if (c != '\\')
        {
            text += c;
            continue;
        }
        if (++i == field.size())
        {
            problem = "ends in a lone backslash";
            return false;
        }
        switch (field[i])
        {
        case '\\':
            text += '\\';
            break;
        case 't':
            text += '\t';
            break;
        case 'n':
            text += '\n';
            break;
        default:
            problem = std::string("has an unknown escape \"\\") + field[i] + "\"";
            return false;
        }
    }
    return true;
}

bool HasControlCharacter(std::string_view text)
{
    return std::ranges::any_of(text, [](char c)
                               { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

bool IsWebUrl(std::string_view url)
{
    const std::string lower = AsciiLower(url.substr(0, 8));
    std::string_view rest;
    if (lower.starts_with("http://"))
        rest = url.substr(7);
    else if (lower.starts_with("https://"))
        rest = url.substr(8);
    else
        return false;
    if (rest.empty() || rest.find_first_of("/?#") == 0)
        return false;
    return !HasControlCharacter(rest) &&
           rest.find_first_of(" \"<>\\^`{|}") == std::string_view::npos;
}

std::string WebsiteHost(std::string_view url)
{
    if (!IsWebUrl(url))
        return {};
    std::string_view rest = url.substr(url.find("://") + 3);
    rest = rest.substr(0, rest.find_first_of("/?#"));
    if (const std::size_t at = rest.rfind('@'); at != std::string_view::npos)
        rest.remove_prefix(at + 1);
    // A port follows the last colon, except inside an IPv6 literal's brackets.
    if (const std::size_t colon = rest.rfind(':');
        colon != std::string_view::npos && rest.find(']', colon) == std::string_view::npos)
    {
        rest = rest.substr(0, colon);
    }
    std::string host = AsciiLower(rest);
    return host.starts_with("www.") ? host.substr(4) : host;
}

} // namespace tnews::catalogue
