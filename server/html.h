// The page frame every answer of the server uses, on the HTML shared with the program.
#pragma once

#include "directory/html.h"

#include <string>
#include <string_view>

namespace tnews::server
{

/// A complete UTF-8 HTML document with the given <title> (plain text, escaped here) and `body`
/// (HTML, used as is). The inline style fits a pane of about 490 by 150 CSS pixels.
std::string HtmlPage(std::string_view title, std::string_view body);

/// `text` between curly quotes, as the pages quote what a reader typed.
std::string Quoted(std::string_view text);

} // namespace tnews::server
