#include "html.h"

#include "utf8.h"

#include <algorithm>

namespace tnews
{
namespace
{

constexpr char32_t kReplacement = 0xFFFD;

} // namespace

std::string EscapeHtml(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t pos = 0; pos < text.size();)
    {
        // Printable ASCII other than markup goes as it is, a run at a time: most of any page.
        const std::size_t plain = std::min(text.find_first_of("&<>\"'", pos), text.size());
        std::size_t end = pos;
        while (end < plain && text[end] >= 0x20 && text[end] < 0x7F)
            ++end;
        out.append(text, pos, end - pos);
        pos = end;
        if (pos == text.size())
            break;
        const char32_t code = NextCodePoint(text, pos);
        switch (code)
        {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        case '\t':
        case '\n':
            out += static_cast<char>(code);
            break;
        default:
            if (code == kInvalidCodePoint || code < 0x20 || (code >= 0x7F && code < 0xA0))
                AppendUtf8(out, kReplacement);
            else
                AppendUtf8(out, code);
        }
    }
    return out;
}

std::string HtmlDocument(std::string_view title, std::string_view style, std::string_view body)
{
    std::string page;
    page.reserve(style.size() + title.size() + body.size() + 256);
    // X-UA-Compatible must come before anything but the charset and the title to take effect.
    page += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    page += "<meta http-equiv=\"X-UA-Compatible\" content=\"IE=edge\">\n";
    page += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    page += "<title>";
    page += EscapeHtml(title);
    page += "</title>\n<style>";
    page += style;
    page += "</style>\n</head>\n<body>\n";
    page += body;
    page += "</body>\n</html>\n";
    return page;
}

} // namespace tnews
