// HTML building blocks: escaping and the page frame every answer of the server uses.
#pragma once

#include <string>
#include <string_view>

namespace tnews::server
{

/// `text` safe for element content and quoted attribute values: & < > " ' become entities,
/// while malformed UTF-8 and control characters other than tab and line feed become U+FFFD,
/// so the page stays valid UTF-8 whatever a client sent.
std::string EscapeHtml(std::string_view text);

/// A complete UTF-8 HTML document with the given <title> (plain text, escaped here) and `body`
/// (HTML, used as is). The inline style fits a pane of about 490 by 150 CSS pixels.
std::string HtmlPage(std::string_view title, std::string_view body);

} // namespace tnews::server
