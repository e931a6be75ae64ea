#include "error_pages.h"

namespace tnews
{
namespace
{

// The look of start.html, small enough for the pane; an address can be selected with one click.
constexpr std::string_view kHead = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>)";
constexpr std::string_view kStyle = R"(</title>
<style>
  body { font: 13px/1.4 sans-serif; color: #1b1b1b; background: #fff; margin: 6px 10px; }
  h1 { font-size: 17px; margin: 0; color: #1d3557; }
  p { margin: 6px 0; }
  code { font: 12px monospace; white-space: nowrap; }
  .address { font: 12px monospace; overflow-wrap: anywhere; -webkit-user-select: all;
             user-select: all; }
  a { color: #1a4f8b; }
</style>
</head>
<body>
)";
constexpr std::string_view kTail = "</body>\n</html>\n";

std::string Page(std::string_view title, std::string_view body)
{
    std::string page(kHead);
    page.append(title).append(kStyle);
    page.append("<h1>").append(title).append("</h1>\n");
    page.append(body).append(kTail);
    return page;
}

} // namespace

std::string EscapeHtml(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text)
    {
        switch (c)
        {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&#39;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string WithoutCredentials(std::string_view url)
{
    const std::size_t scheme = url.find("://");
    if (scheme == std::string_view::npos)
        return std::string(url);
    const std::size_t start = scheme + 3;
    const std::size_t end = url.find_first_of("/?#", start);
    const std::string_view authority = url.substr(start, end - start);
    const std::size_t at = authority.rfind('@');
    if (at == std::string_view::npos)
        return std::string(url);
    return std::string(url.substr(0, start)) + std::string(url.substr(start + at + 1));
}

std::string ServerNotAnsweringPage(std::string_view url, std::string_view host,
                                   std::string_view reason)
{
    // The pane is small: the way out first, the details last.
    std::string body = "<p>Tavi's Newspapers asks the directory server at <strong>" +
                       EscapeHtml(host) + "</strong> for its lists, and nothing answers there (" +
                       EscapeHtml(reason) + "). <a href=\"" + EscapeHtml(url) +
                       "\">Try again</a></p>\n";
    body += "<p>To start the server: in a build from source, <code>scripts/run</code> starts it "
            "with the program; where the program is installed, <code>sudo systemctl start "
            "tnews-server</code> starts its service, or run <code>tnews-server</code> "
            "yourself.</p>\n";
    body += "<p>The page asked for: <span class=\"address\">" +
            EscapeHtml(WithoutCredentials(url)) + "</span></p>\n";
    return Page("The directory server is not answering", body);
}

std::string NoBrowserPage(std::string_view url, std::string_view back)
{
    std::string body = "<p>This address opens in a web browser, and none is set up on this "
                       "computer. Click it to select it, then copy it with Ctrl+C:</p>\n";
    body += "<p class=\"address\">" + EscapeHtml(url) + "</p>\n";
    body += "<p>Once a web browser is installed and set as the default one, such links open "
            "in it.";
    if (!back.empty())
        body += " <a href=\"" + EscapeHtml(back) + "\">Back to the page you were on</a>";
    body += "</p>\n";
    return Page("No web browser is set up", body);
}

} // namespace tnews
