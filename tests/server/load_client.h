// Many kept-alive clients asking the real server for pages at once: the load test checks every
// answer with it, the benchmark times them.
#pragma once

#include "test_server.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace tnews::server::testing
{

/// Every listing page of the catalogue, then a keyword search of each region for each of
/// `searches`, as targets on the wire for the server at `host`.
std::vector<std::string> DirectoryTargets(const std::string& host,
                                          const std::vector<std::string>& searches);

struct LoadOptions
{
    std::size_t connections = 64;
    std::chrono::seconds duration{0};      // 0: until each has made requestsPerConnection
    std::size_t requestsPerConnection = 0; // 0: until the duration is over
    httplib::Headers headers;              // sent with every request
};

struct LoadFigures
{
    std::size_t requests = 0;
    std::size_t failed = 0;           // refused by the check, or not answered at all
    std::vector<double> milliseconds; // each request's, sorted
    double seconds = 0;               // the whole run's

    /// The latency that a share `p` (0 to 1) of the requests took at most.
    double Percentile(double p) const;
};

/// Answers `check` is given: the index of the target asked for and the client's result.
using AnswerCheck = std::function<bool(std::size_t, const httplib::Result&)>;

/// Runs `options.connections` clients at once, each on one kept-alive connection to `port` on
/// the loopback address asking for `targets` in turn, each client from a target of its own; an
/// answer counts as failed when `check` refuses it. `check` is called from many threads at once.
LoadFigures RunLoad(int port, const std::vector<std::string>& targets, const LoadOptions& options,
                    const AnswerCheck& check);

} // namespace tnews::server::testing
