#include "html.h"

namespace tnews::server
{
namespace
{

// Compact on purpose: the program's pane is about 490 by 150 CSS pixels, so margins are small
// and long names wrap rather than scroll sideways. Colours keep a contrast ratio above 7:1.
// Windows' browser component lacks overflow-wrap:anywhere and takes word-wrap instead.
constexpr std::string_view kStyle =
    "html{color:#1a1a1a;background:#fff}"
    "body{margin:4px 6px;font:13px/1.35 system-ui,sans-serif;word-wrap:break-word;"
    "overflow-wrap:anywhere}"
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
    // The correction forms: label and field pairs that fill the pane's width. Rows of inline
    // blocks first, for Windows' browser component (IE 11 knows no grid but its own old one,
    // nor @supports, so it skips the block below); a grid where the engine has one.
    ".report{font-size:11px;color:#505050;margin-left:4px}"
    ".suggest{margin:2px 0 4px}"
    ".problem{color:#a00000;font-weight:600}"
    "form.c{margin:3px 0}"
    "form.c label{display:inline-block;width:6.5em;margin:2px 0;vertical-align:middle}"
    "form.c input,form.c select{font:inherit;padding:1px 3px;min-width:0;box-sizing:border-box;"
    "width:calc(50% - 7em);vertical-align:middle}"
    "form.c .wide{width:calc(100% - 7em)}"
    "form.c [aria-invalid=true]{outline:2px solid #a00000}"
    "form.c .send{margin:3px 0 1px}"
    "@supports (display:grid){"
    "form.c{display:grid;grid-template-columns:auto 1fr auto 2fr;gap:3px 6px;align-items:center}"
    "form.c label,form.c input,form.c select{width:auto;margin:0}"
    "form.c .wide{grid-column:2/5}"
    "form.c .send{grid-column:1/5;margin:1px 0}}"
    ".hp{display:none}";

} // namespace

std::string HtmlPage(std::string_view title, std::string_view body)
{
    return HtmlDocument(title, kStyle, body);
}

std::string Quoted(std::string_view text)
{
    return "\u201C" + std::string(text) + "\u201D";
}

} // namespace tnews::server
