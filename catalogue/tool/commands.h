// The commands of tnews-catalogue, callable without a process: each takes the arguments after
// the command's name and returns the exit status, writing its report to `out` and problems
// to `err`.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace tnews::catalogue
{

/// Exit statuses: 0 done, 1 the work failed (bad input, a file that can't be written), 2 a bad
/// command line.
int RunCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

/// The current UTC time as the checks file writes it, "2026-12-07T08:00:00Z".
using Clock = std::function<std::string()>;

/// RunCommand with `clock` in place of the system's, for the time of each link check and the
/// age of earlier ones.
int RunCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const Clock& clock);

} // namespace tnews::catalogue
