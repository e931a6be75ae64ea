// HTML shared by the program's own pages and the directory server's: escaping, and the frame of
// a page with its head.
#pragma once

#include <string>
#include <string_view>

namespace tnews
{

/// `text` safe for element content and quoted attribute values: & < > " ' become entities,
/// while malformed UTF-8 and control characters other than tab and line feed become U+FFFD,
/// so the page stays valid UTF-8 whatever a client or an engine sent.
std::string EscapeHtml(std::string_view text);

/// A complete UTF-8 HTML document with the given <title> (plain text, escaped here), `style`
/// (CSS, used as is) and `body` (HTML, used as is). Its head asks the Windows browser component
/// for its newest document mode, whose CSS the pages are written for.
std::string HtmlDocument(std::string_view title, std::string_view style, std::string_view body);

} // namespace tnews
