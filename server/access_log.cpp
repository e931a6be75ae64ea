#include "access_log.h"

#include "directory/ascii.h"

namespace tnews::server
{
namespace
{

void AppendEscaped(std::string& out, std::string_view text, bool escapeBlank)
{
    for (char c : text)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E || c == '"' || c == '\\' || (escapeBlank && c == ' '))
        {
            out += "\\x";
            AppendHexByte(out, byte, false);
        }
        else
        {
            out += c;
        }
    }
}

} // namespace

std::string CommonLogLine(std::string_view host, std::string_view user, std::time_t time,
                          std::string_view requestLine, int status, std::size_t bytes)
{
    std::tm local{};
    localtime_r(&time, &local);
    char stamp[64];
    if (std::strftime(stamp, sizeof stamp, "%d/%b/%Y:%H:%M:%S %z", &local) == 0)
        stamp[0] = '\0';

    std::string line;
    line.reserve(96 + requestLine.size());
    AppendEscaped(line, host.empty() ? "-" : host, true);
    line += " - ";
    AppendEscaped(line, user.empty() ? "-" : user, true);
    line += " [";
    line += stamp;
    line += "] \"";
    AppendEscaped(line, requestLine, false);
    line += "\" ";
    line += std::to_string(status);
    line += ' ';
    line += bytes == 0 ? std::string("-") : std::to_string(bytes);
    return line;
}

std::string ProblemLogLine(std::string_view requestLine, std::string_view problem)
{
    std::string line = "tnews-server: \"";
    AppendEscaped(line, requestLine, false);
    line += "\": ";
    AppendEscaped(line, problem, false);
    return line;
}

} // namespace tnews::server
