// Local files shown in the pane: the start page and the help page in the program's folder.
#pragma once

#include <string>
#include <string_view>

namespace tnews
{

/// The platform's path separator: "\\" on Windows, "/" elsewhere.
std::string_view PathSeparator();

/// The program's folder followed by the separator and `fileName`. The separator is always
/// added, also when the folder already ends in one.
std::string ProgramFilePath(std::string_view programFolder, std::string_view fileName);

/// True when `text` is a plain local path rather than a URL: an absolute POSIX path, or a
/// Windows path with a drive letter or a UNC prefix.
bool IsLocalPath(std::string_view text);

/// The file URL of an absolute local path, each byte that may not stand in a URL path
/// percent-encoded (blanks, "#", "%", "?", non-ASCII letters), so any folder name loads.
/// Windows backslashes become slashes. Returns "" for a path that is not absolute.
std::string FileUrl(std::string_view path);

} // namespace tnews
