// Readers' submissions against the real server with a store on disk: how many acknowledged
// submissions a second it sustains, each committed with its fsync, and the listing pages' latency
// with and without them. Prints figures; run by hand, not by ctest:
//   build/bin/corrections_bench [seconds per phase] [state folder on the disk to measure]
#include "directory/catalogue.h"
#include "directory/server_urls.h"
#include "fixture_sources.h"
#include "server/corrections_store.h"
#include "test_server.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace
{

using namespace tnews;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kReaders = 64; // as server_bench
constexpr std::size_t kPosters = 8;

struct Phase
{
    std::vector<double> listing; // ms
    std::size_t acknowledged = 0;
    std::size_t failed = 0;
    double seconds = 0;
};

double Percentile(std::vector<double> sorted, double p)
{
    if (sorted.empty())
        return 0;
    std::sort(sorted.begin(), sorted.end());
    return sorted[std::min(sorted.size() - 1, static_cast<std::size_t>(p * static_cast<double>(sorted.size())))];
}

// `readers` connections asking for listings and `posters` posting suggestions, at most `rate`
// a second in all (0: as fast as they can), for `length`.
Phase Run(const server::testing::TestServer& server, std::size_t readers, std::size_t posters,
          double rate, std::chrono::seconds length, std::atomic<std::size_t>& serial)
{
    std::vector<std::string> listings;
    for (std::size_t position = 1; position <= Regions()[1].places.size(); ++position)
        listings.push_back(server::testing::WireTarget(
            *ListingUrl("u", static_cast<std::int16_t>(position), server.Host())));
    const httplib::Headers auth = server::testing::BasicAuth(kUserName, kListingPassword);
    httplib::Headers postHeaders = auth;
    postHeaders.emplace("Origin", "http://" + server.Host());

    Phase phase;
    std::mutex mutex;
    const auto end = Clock::now() + length;
    std::vector<std::thread> threads;
    for (std::size_t r = 0; r < readers; ++r)
    {
        threads.emplace_back(
            [&, r]
            {
                httplib::Client client = server.Client();
                client.set_keep_alive(true);
                std::vector<double> took;
                std::size_t failed = 0;
                for (std::size_t i = 0; Clock::now() < end; ++i)
                {
                    const auto before = Clock::now();
                    const httplib::Result result = client.Get(listings[(r * 7 + i) % listings.size()], auth);
                    took.push_back(std::chrono::duration<double, std::milli>(Clock::now() - before).count());
                    failed += !result || result->status != 200;
                }
                std::lock_guard lock(mutex);
                phase.listing.insert(phase.listing.end(), took.begin(), took.end());
                phase.failed += failed;
            });
    }
    for (std::size_t p = 0; p < posters; ++p)
    {
        threads.emplace_back(
            [&]
            {
                httplib::Client client = server.Client();
                client.set_keep_alive(true);
                // The client writes a post's head and body apart; without this, Nagle's algorithm
                // holds the body for the server's delayed ACK, 40 ms a post.
                client.set_tcp_nodelay(true);
                std::size_t acknowledged = 0, failed = 0;
                const auto pause = std::chrono::duration<double>(
                    rate > 0 ? static_cast<double>(posters) / rate : 0.0);
                auto next = Clock::now();
                while (Clock::now() < end)
                {
                    next += std::chrono::duration_cast<Clock::duration>(pause);
                    std::this_thread::sleep_until(next);
                    const std::string body = "name=Bench+Paper&town=Austin&note=benchmark&website="
                                             "https%3A%2F%2Fbench-" + std::to_string(serial++) + ".example%2F";
                    const httplib::Result result = client.Post(
                        "/software/news/suggest.php?region=usa&state=Texas", postHeaders, body,
                        "application/x-www-form-urlencoded");
                    if (result && result->status == 200)
                        ++acknowledged;
                    else
                        ++failed;
                }
                std::lock_guard lock(mutex);
                phase.acknowledged += acknowledged;
                phase.failed += failed;
            });
    }
    const auto start = Clock::now();
    for (std::thread& thread : threads)
        thread.join();
    phase.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return phase;
}

void Print(const char* what, const Phase& phase)
{
    std::printf("%-34s", what);
    if (!phase.listing.empty())
    {
        std::printf(" listings %7.0f/s, median %6.2f ms, p99 %6.2f ms;",
                    static_cast<double>(phase.listing.size()) / phase.seconds,
                    Percentile(phase.listing, 0.5), Percentile(phase.listing, 0.99));
    }
    if (phase.acknowledged > 0)
        std::printf(" %6.0f acknowledged submissions/s;",
                    static_cast<double>(phase.acknowledged) / phase.seconds);
    std::printf(" %zu failed\n", phase.failed);
}

} // namespace

int main(int argc, char** argv)
{
    const std::chrono::seconds length(argc > 1 ? std::stoul(argv[1]) : 10);
    catalogue::testing::TempFolder temporary;
    const std::filesystem::path state = argc > 2 ? std::filesystem::path(argv[2]) : temporary.Path();
    std::filesystem::create_directories(state); // as the server makes its state folder
    // No hourly limit or queue cap: the benchmark is one address sending as fast as it can.
    server::CorrectionsStore store(state, server::StoreOptions{.maxOpenItems = std::size_t(-1),
                                                               .perHour = std::size_t(-1)});
    server::testing::TestServerOptions options;
    options.threads = server::kDefaultThreads;
    options.site.corrections = &store;
    if (std::filesystem::exists(server::testing::RealCataloguePath()))
        options.catalogue = server::testing::RealCataloguePath();
    const server::testing::TestServer server(options);
    std::printf("catalogue: %s\nstore: %s\n%zu listing connections, %zu posting, %lld s each\n",
                options.catalogue.string().c_str(),
                (state / server::kCorrectionsFileName).string().c_str(), kReaders, kPosters,
                static_cast<long long>(length.count()));
    std::atomic<std::size_t> serial{0};
    const Phase listings = Run(server, kReaders, 0, 0, length, serial);
    Print("listings alone:", listings);
    const Phase posts = Run(server, 0, kPosters, 0, length, serial);
    Print("submissions alone:", posts);
    const Phase paced = Run(server, kReaders, kPosters, 50, length, serial);
    Print("listings with 50 submissions/s:", paced);
    const Phase both = Run(server, kReaders, kPosters, 0, length, serial);
    Print("listings with all it takes:", both);
    return listings.failed + posts.failed + paced.failed + both.failed == 0 ? 0 : 1;
}
