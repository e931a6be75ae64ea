#include "error_pages.h"

#include "directory/html.h"

namespace tnews
{
namespace
{

// The look of start.html, small enough for the pane.
constexpr std::string_view kStyle = R"(
  body { font: 13px/1.4 sans-serif; color: #1b1b1b; background: #fff; margin: 6px 10px; }
  h1 { font-size: 17px; margin: 0; color: #1d3557; }
  p { margin: 6px 0; }
  code { font: 12px monospace; white-space: nowrap; }
  .address { font: 12px monospace; word-wrap: break-word; }
  a { color: #1a4f8b; }
)";

std::string Page(std::string_view title, std::string_view body)
{
    return HtmlDocument(title, kStyle, "<h1>" + EscapeHtml(title) + "</h1>\n" + std::string(body));
}

} // namespace

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
                       "computer. Select it and copy it with Ctrl+C:</p>\n";
    body += "<p class=\"address\">" + EscapeHtml(url) + "</p>\n";
    body += "<p>Once a web browser is installed and set as the default one, such links open "
            "in it.";
    if (!back.empty())
        body += " <a href=\"" + EscapeHtml(back) + "\">Back to the page you were on</a>";
    body += "</p>\n";
    return Page("No web browser is set up", body);
}

} // namespace tnews
