// Command-line options of tnews-server.
#pragma once

#include "catalogue/command_options.h"
#include "http_server.h"
#include "tnews/build_config.h"
#include "version.h"

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tnews::server
{

inline constexpr int kDefaultPort = 8047;

struct ServerOptions
{
    int port = kDefaultPort; // 0: any free port
    std::string bind = "127.0.0.1";
    std::filesystem::path data;   // empty: the first of DefaultCataloguePaths that exists
    std::filesystem::path checks; // empty: checks.tsv beside the catalogue
    std::filesystem::path state;  // where readers' corrections are kept; empty: none are taken
    Version latest{Major, Minor, Revision};
    std::size_t threads = kDefaultThreads;
    std::string publicHost = std::string(DirectoryHost); // host[:port] the pages link to
    std::vector<std::string> trustedProxies; // whose X-Real-IP names the client; as Asio writes
    bool help = false;
};

/// A bad option or option value; what() says which.
using UsageError = OptionError;

/// The options in `args` (argv without the program name), each as "--name value" or
/// "--name=value". Throws UsageError for an unknown option, a missing value, a port outside
/// 0..65535, threads outside 1..1024, a malformed --latest, or a --public-host that is not a
/// host name with an optional port.
ServerOptions ParseCommandLine(std::span<const std::string_view> args);

/// The --help text, ending in a newline.
std::string UsageText();

/// Where catalogue.tsv is looked for without --data, in order: `exeDir`/../share/tnews/,
/// `exeDir`/, and the build tree's share/tnews/ where the build writes it.
std::vector<std::filesystem::path> DefaultCataloguePaths(const std::filesystem::path& exeDir);

} // namespace tnews::server
