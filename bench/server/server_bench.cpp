// Throughput of the real server with 64 kept-alive connections at once, each asking for listing
// pages and keyword searches in turn. Prints figures; run by hand, not by ctest:
//   build/bin/server_bench [requests per connection]
#include "load_client.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    using namespace tnews::server;
    testing::TestServerOptions options;
    options.threads = kDefaultThreads;
    if (std::filesystem::exists(testing::RealCataloguePath()))
        options.catalogue = testing::RealCataloguePath();
    const testing::TestServer server(options);
    const std::vector<std::string> targets = testing::DirectoryTargets(
        server.Host(), {"times", "daily news", "sen", "herald", "la", "post", "new york"});
    const testing::LoadOptions load{
        .connections = 64,
        .requestsPerConnection = argc > 1 ? std::stoul(argv[1]) : 500,
        .headers = testing::BasicAuth(tnews::kUserName, tnews::kListingPassword)};
    const testing::LoadFigures figures = testing::RunLoad(
        server.Port(), targets, load,
        [](std::size_t, const httplib::Result& result) { return result && result->status == 200; });
    std::printf("catalogue: %s\n", options.catalogue.string().c_str());
    std::printf(
        "%zu connections x %zu requests: %zu requests in %.2f s, %.0f requests/s, %zu failed\n",
        load.connections, load.requestsPerConnection, figures.requests, figures.seconds,
        static_cast<double>(figures.requests) / figures.seconds, figures.failed);
    std::printf("latency ms: median %.2f, p95 %.2f, p99 %.2f, max %.2f\n", figures.Percentile(0.5),
                figures.Percentile(0.95), figures.Percentile(0.99),
                figures.milliseconds.empty() ? 0.0 : figures.milliseconds.back());
    return figures.failed == 0 ? 0 : 1;
}
