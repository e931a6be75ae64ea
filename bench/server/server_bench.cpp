// Throughput of the real server with 64 kept-alive connections at once, each asking for listing
// pages and keyword searches in turn. Prints figures; run by hand, not by ctest:
//   build/bin/server_bench [requests per connection]
#include "directory/catalogue.h"
#include "directory/server_urls.h"
#include "test_server.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace
{

using namespace tnews;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kConnections = 64;

std::vector<std::string> Targets(const std::string& host)
{
    std::vector<std::string> targets;
    for (const RegionInfo& region : Regions())
    {
        for (std::size_t position = 1; position <= region.places.size(); ++position)
        {
            targets.push_back(server::testing::WireTarget(
                *ListingUrl(region.code, static_cast<std::int16_t>(position), host)));
        }
    }
    for (const char* words : {"times", "daily news", "sen", "herald", "la", "post", "new york"})
        targets.push_back(server::testing::WireTarget(*KeywordSearchUrl("u", words, host)));
    return targets;
}

} // namespace

int main(int argc, char** argv)
{
    const std::size_t perConnection = argc > 1 ? std::stoul(argv[1]) : 500;
    server::testing::TestServerOptions options;
    options.threads = server::kDefaultThreads;
    if (std::filesystem::exists(server::testing::RealCataloguePath()))
        options.catalogue = server::testing::RealCataloguePath();
    const server::testing::TestServer testServer(options);
    const std::vector<std::string> targets = Targets(testServer.Host());
    const httplib::Headers auth = server::testing::BasicAuth(kUserName, kListingPassword);

    std::vector<std::vector<double>> latencies(kConnections);
    std::vector<std::size_t> failures(kConnections, 0);
    const auto start = Clock::now();
    std::vector<std::thread> clients;
    for (std::size_t c = 0; c < kConnections; ++c)
    {
        clients.emplace_back(
            [&, c]
            {
                httplib::Client client = testServer.Client();
                client.set_keep_alive(true);
                for (std::size_t i = 0; i < perConnection; ++i)
                {
                    const std::string& target = targets[(c * 37 + i) % targets.size()];
                    const auto before = Clock::now();
                    const httplib::Result result = client.Get(target, auth);
                    const std::chrono::duration<double, std::milli> took = Clock::now() - before;
                    latencies[c].push_back(took.count());
                    if (!result || result->status != 200)
                        ++failures[c];
                }
            });
    }
    for (std::thread& client : clients)
        client.join();
    const std::chrono::duration<double> elapsed = Clock::now() - start;

    std::vector<double> all;
    for (const auto& part : latencies)
        all.insert(all.end(), part.begin(), part.end());
    std::sort(all.begin(), all.end());
    std::size_t failed = 0;
    for (std::size_t f : failures)
        failed += f;
    auto percentile = [&](double p)
    {
        return all[std::min(all.size() - 1,
                            static_cast<std::size_t>(p * static_cast<double>(all.size())))];
    };
    std::printf("catalogue: %s\n", options.catalogue.string().c_str());
    std::printf(
        "%zu connections x %zu requests: %zu requests in %.2f s, %.0f requests/s, %zu failed\n",
        kConnections, perConnection, all.size(), elapsed.count(),
        static_cast<double>(all.size()) / elapsed.count(), failed);
    std::printf("latency ms: median %.2f, p95 %.2f, p99 %.2f, max %.2f\n", percentile(0.5),
                percentile(0.95), percentile(0.99), all.back());
    return failed == 0 ? 0 : 1;
}
