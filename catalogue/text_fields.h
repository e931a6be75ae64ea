// Field-level helpers shared by the catalogue, checks and curated-list readers: splitting a line
// on TABs, the backslash escapes of the catalogue's fields, and the checks every field gets.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tnews::catalogue
{

/// The fields of `line` between its separators, TABs unless told otherwise, raw (escapes not
/// yet undone). An empty line gives one empty field.
std::vector<std::string_view> SplitFields(std::string_view line, char separator = '\t');

/// `text` with backslash, TAB and LF written as "\\", "\t" and "\n".
std::string EscapeField(std::string_view text);

/// The text that `field` escapes, or nothing (with `problem` set) when it holds an unknown
/// escape, a lone backslash at its end, or a control character other than an escaped TAB or LF.
bool UnescapeField(std::string_view field, std::string& text, std::string& problem);

/// True if `text` holds a C0 control character or DEL.
bool HasControlCharacter(std::string_view text);

/// True if `url` is an absolute http or https URL with a host and no blank or character that is
/// never valid in a URL.
bool IsWebUrl(std::string_view url);

/// The host of the web URL `url` in lower case, without a leading "www.", a port or a user;
/// empty when `url` is no web URL. "https://User@WWW.Example.org:8080/a" gives "example.org".
std::string WebsiteHost(std::string_view url);

} // namespace tnews::catalogue
