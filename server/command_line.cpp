#include "command_line.h"

#include <boost/asio/ip/address.hpp>

#include <algorithm>
#include <charconv>
#include <optional>

namespace tnews::server
{
namespace
{

constexpr std::size_t kMaxThreads = 1024;

std::optional<long> ParseNumber(std::string_view text)
{
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// A host name or address as a URL's authority writes it, with an optional port: what the build
// takes for the program's DirectoryHost, and an IPv6 address in brackets.
bool IsHostAndPort(std::string_view text)
{
    return !text.empty() && text.size() <= 255 && text.front() != ':' &&
           std::ranges::all_of(text,
                               [](char c)
                               {
                                   return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                          (c >= '0' && c <= '9') || c == '.' || c == '-' ||
                                          c == ':' || c == '[' || c == ']';
                               });
}

} // namespace

ServerOptions ParseCommandLine(std::span<const std::string_view> args)
{
    ServerOptions options;
    for (const CommandOption& option : ParseOptions(
             args, {"--port", "--bind", "--data", "--checks", "--state", "--latest", "--threads",
                     "--public-host", "--trusted-proxy"},
             {"--help", "-h"}))
    {
        const std::string& name = option.name;
        const std::string value = option.value.value_or("");
        if (name == "--help" || name == "-h")
        {
            options.help = true;
        }
        else if (name == "--port")
        {
            const auto port = ParseNumber(value);
            if (!port || *port < 0 || *port > 65535)
                throw UsageError("--port needs a number from 0 to 65535, not \"" + value + "\"");
            options.port = static_cast<int>(*port);
        }
        else if (name == "--threads")
        {
            const auto threads = ParseNumber(value);
            if (!threads || *threads < 1 || *threads > static_cast<long>(kMaxThreads))
                throw UsageError("--threads needs a number from 1 to 1024, not \"" + value + "\"");
            options.threads = static_cast<std::size_t>(*threads);
        }
        else if (name == "--latest")
        {
            const auto latest = ParseVersion(value);
            if (!latest)
                throw UsageError("--latest needs a version A.B.C, not \"" + value + "\"");
            options.latest = *latest;
        }
        else if (name == "--public-host")
        {
            if (!IsHostAndPort(value))
                throw UsageError("--public-host needs a host name, optionally with :port, not \"" +
                                 value + "\"");
            options.publicHost = value;
        }
        else if (name == "--trusted-proxy")
        {
            options.trustedProxies.clear();
            for (std::string_view rest = value;;)
            {
                const std::string_view item = rest.substr(0, rest.find(','));
                boost::system::error_code malformed;
                const auto address = boost::asio::ip::make_address(item, malformed);
                if (malformed)
                {
                    throw UsageError("--trusted-proxy needs IP addresses separated by commas, not \"" +
                                     value + "\"");
                }
                options.trustedProxies.push_back(address.to_string());
                if (item.size() == rest.size())
                    break;
                rest.remove_prefix(item.size() + 1);
            }
        }
        else if (value.empty())
        {
            throw UsageError(name + " needs a non-empty value");
        }
        else if (name == "--bind")
        {
            options.bind = value;
        }
        else if (name == "--state")
        {
            options.state = std::filesystem::path(value);
        }
        else if (name == "--checks")
        {
            options.checks = std::filesystem::path(value);
        }
        else
        {
            options.data = std::filesystem::path(value);
        }
    }
    return options;
}

std::string UsageText()
{
    return "Usage: tnews-server [--port N] [--bind ADDRESS] [--data FILE] [--checks FILE]\n"
           "                    [--state DIR] [--latest A.B.C] [--threads N]\n"
           "                    [--public-host HOST[:PORT]] [--trusted-proxy ADDRESS[,...]]\n"
           "                    [--help]\n"
           "Serves the newspaper directory of Tavi's Newspapers over HTTP.\n"
           "\n"
           "  --port N         port to listen on, 0 for any free one (default 8047)\n"
           "  --bind ADDRESS   address to listen on (default 127.0.0.1)\n"
           "  --data FILE      newspaper catalogue; its link checks and exports are read from\n"
           "                   the same folder (default: ../share/tnews/catalogue.tsv or\n"
           "                   catalogue.tsv beside the program, else the build tree's)\n"
           "  --checks FILE    the link checks, where tnews-catalogue check writes them\n"
           "                   (default: checks.tsv beside the catalogue)\n"
           "  --state DIR      folder that keeps readers' suggestions and reports, made if\n"
           "                   missing (default: none, and the forms take none)\n"
           "  --latest A.B.C   newest program version, for update queries (default " +
           FormatVersion(Version{Major, Minor, Revision}) +
           ")\n"
           "  --threads N      threads serving connections, each many (default: one per\n"
           "                   core)\n"
           "  --public-host HOST[:PORT]\n"
           "                   the server's name as the program knows it, for the link in\n"
           "                   update answers (default " +
           std::string(DirectoryHost) +
           ")\n"
           "  --trusted-proxy ADDRESS[,...]\n"
           "                   proxies in front of the server: a request from one of them\n"
           "                   comes from the address in its X-Real-IP field (default: none)\n"
           "  --help           show this text\n";
}

std::vector<std::filesystem::path> DefaultCataloguePaths(const std::filesystem::path& exeDir)
{
    return {
        exeDir / ".." / "share" / "tnews" / "catalogue.tsv",
        exeDir / "catalogue.tsv",
        std::filesystem::path(TNEWS_BUILT_CATALOGUE),
    };
}

} // namespace tnews::server
