#include "html.h"

#include "directory/utf8.h"

#include <algorithm>

namespace tnews::server
{
namespace
{

constexpr char32_t kReplacement = 0xFFFD;

// Compact on purpose: the program's pane is about 490 by 150 CSS pixels, so margins are small
// and long names wrap rather than scroll sideways. Colours keep a contrast ratio above 7:1.
constexpr std::string_view kStyle =
    "html{color:#1a1a1a;background:#fff}"
    "body{margin:4px 6px;font:13px/1.35 system-ui,sans-serif;overflow-wrap:anywhere}"
    "h1{font-size:14px;margin:0 0 3px}"
    "h2{font-size:13px;margin:6px 0 1px;color:#404040}"
    "h3{font-size:13px;margin:4px 0 0;font-weight:600}"
    "p{margin:2px 0}"
    "ul{list-style:none;margin:0;padding:0}"
    "li{margin:1px 0}"
    "a{color:#0645ad}"
    "a:visited{color:#5a3696}"
    ".note,.top{color:#505050}"
    ".top{font-size:12px;font-weight:normal;margin-left:6px}"
    ".failed{color:#a00000}"
    ".rule{font-style:italic}"
    ".index a{display:inline-block;margin:0 7px 2px 0}"
    ".notice{white-space:pre-wrap;font-size:11px}"
    ".typed{white-space:pre-wrap}"
    "table{border-collapse:collapse}"
    "th,td{text-align:left;padding:1px 10px 1px 0}"
    // The correction forms: label and field pairs on a grid that fills the pane's width.
    ".report{font-size:11px;color:#505050;margin-left:4px}"
    ".suggest{margin:2px 0 4px}"
    ".problem{color:#a00000;font-weight:600}"
    "form.c{display:grid;grid-template-columns:auto 1fr auto 2fr;gap:3px 6px;align-items:center;"
    "margin:3px 0}"
    "form.c input,form.c select{font:inherit;padding:1px 3px;min-width:0;box-sizing:border-box}"
    "form.c .wide{grid-column:2/5}"
    "form.c [aria-invalid=true]{outline:2px solid #a00000}"
    "form.c .send{grid-column:1/5;margin:1px 0}"
    ".hp{display:none}";

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

std::string HtmlPage(std::string_view title, std::string_view body)
{
    std::string page;
    page.reserve(kStyle.size() + title.size() + body.size() + 200);
    page += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    page += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    page += "<title>";
    page += EscapeHtml(title);
    page += "</title>\n<style>";
    page += kStyle;
    page += "</style>\n</head>\n<body>\n";
    page += body;
    page += "</body>\n</html>\n";
    return page;
}

} // namespace tnews::server
