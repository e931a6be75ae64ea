// Access log lines in the common log format.
#pragma once

#include <cstddef>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>

namespace tnews::server
{

/// Receives one access log line at a time, from any thread.
using LogFunction = std::function<void(const std::string&)>;

/// `host - user [time] "request line" status bytes`, with local time as "10/Oct/2026:13:55:36
/// +0200", "-" for an empty user and for no body bytes. Quotes, backslashes, blanks in the user
/// and any byte outside printable ASCII are written as \xHH, so a client can't forge a line.
std::string CommonLogLine(std::string_view host, std::string_view user, std::time_t time,
                          std::string_view requestLine, int status, std::size_t bytes);

/// `tnews-server: "request line": problem`, escaped as CommonLogLine does: why the server could
/// not answer a request as it should.
std::string ProblemLogLine(std::string_view requestLine, std::string_view problem);

} // namespace tnews::server
