#include "local_files.h"

#include "directory/ascii.h"

namespace tnews
{
namespace
{

bool IsDriveLetterPath(std::string_view text)
{
    const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    return text.size() >= 3 && isLetter(text[0]) && text[1] == ':' &&
           (text[2] == '\\' || text[2] == '/');
}

bool IsUncPath(std::string_view text)
{
    return text.size() > 2 && text[0] == '\\' && text[1] == '\\';
}

// Characters that stand for themselves in a file URL's path.
bool IsPathCharacter(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           std::string_view("-._~/!$&'()*+,;=:@").find(static_cast<char>(c)) !=
               std::string_view::npos;
}

} // namespace

std::string_view PathSeparator()
{
#ifdef _WIN32
    return "\\";
#else
    return "/";
#endif
}

std::string ProgramFilePath(std::string_view programFolder, std::string_view fileName)
{
    std::string path(programFolder);
    path.append(PathSeparator()).append(fileName);
    return path;
}

bool IsLocalPath(std::string_view text)
{
    return (!text.empty() && text[0] == '/') || IsDriveLetterPath(text) || IsUncPath(text);
}

std::string FileUrl(std::string_view path)
{
    if (!IsLocalPath(path))
        return {};
    std::string url = "file://";
    if (IsDriveLetterPath(path))
        url += '/';
    else if (IsUncPath(path))
        path.remove_prefix(2); // \\server\share\x becomes file://server/share/x
    for (char ch : path)
    {
        const auto byte = static_cast<unsigned char>(ch == '\\' ? '/' : ch);
        if (IsPathCharacter(byte))
        {
            url += static_cast<char>(byte);
            continue;
        }
        url += '%';
        AppendHexByte(url, byte);
    }
    return url;
}

} // namespace tnews
