// The real server with the catalogue the build writes: every listing URL the program can send
// shows papers or its place's rule, and under load (256 kept-alive connections asking for every
// listing page, some thousand keyword searches, update answers and the publisher's page for 60 s,
// or TNEWS_LOAD_SECONDS) every answer equals, byte for byte, the one it got with the server idle.
// Prints figures; speed is measured by bench/run-server, not here.
#include "directory/catalogue.h"
#include "directory/server_urls.h"
#include "test_server.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace tnews::server
{
namespace
{

using Clock = std::chrono::steady_clock;

struct Target
{
    std::string target;
    httplib::Headers auth;
    std::string expected; // the idle answer's body
};

TEST(ServerLoadTest, EveryAnswerRightAt256Connections)
{
    if (!std::filesystem::exists(testing::RealCataloguePath()))
        GTEST_SKIP() << testing::RealCataloguePath() << " does not exist yet";
    const testing::TestServer server(testing::TestServerOptions{
        .catalogue = testing::RealCataloguePath(), .threads = kDefaultThreads});
    const httplib::Headers listing = testing::BasicAuth(kUserName, kListingPassword);
    std::vector<Target> targets;
    for (const RegionInfo& region : Regions())
    {
        for (std::size_t position = 1; position <= region.places.size(); ++position)
        {
            const std::string target = testing::WireTarget(
                *ListingUrl(region.code, static_cast<std::int16_t>(position), server.Host()));
            const httplib::Response idle = testing::Fetch(server, target, listing);
            EXPECT_EQ(idle.status, 200) << target;
            EXPECT_TRUE(testing::Contains(idle.body, "rel=\"noopener noreferrer\">") ||
                        testing::Contains(idle.body, "<p class=\"rule\">"))
                << target << "\n" << idle.body;
            targets.push_back({target, listing, idle.body});
        }
    }
    EXPECT_EQ(targets.size(), 228u) << "places in the program's lists";
    // Every two-letter prefix in every region, and the second page where there is one: more
    // search pages than the server's cache holds, so searches run in SQLite under load too.
    for (const RegionInfo& region : Regions())
    {
        for (char first = 'a'; first <= 'z'; ++first)
        {
            for (char second = 'a'; second <= 'z'; ++second)
            {
                const std::string target = testing::WireTarget(
                    *KeywordSearchUrl(region.code, std::string{first, second}, server.Host()));
                for (const std::string& page : {target, target + "&page=2"})
                {
                    const httplib::Response idle = testing::Fetch(server, page, listing);
                    if (idle.status == 200)
                        targets.push_back({page, listing, idle.body});
                    else
                        EXPECT_TRUE(page.ends_with("&page=2") && idle.status == 400) << page;
                }
            }
        }
    }
    for (const int major : {1, 6, 99})
    {
        const std::string target = testing::WireTarget(
            UpdateQueryUrl(static_cast<std::int16_t>(major), 1, 3, server.Host()));
        const httplib::Headers update = testing::BasicAuth(kUserName, kUpdatePassword);
        targets.push_back({target, update, testing::Fetch(server, target, update).body});
    }
    targets.push_back({"/", {}, testing::Fetch(server, "/").body});

    constexpr std::size_t kConnections = 256;
    std::atomic<std::size_t> requests{0};
    std::atomic<std::size_t> wrong{0};
    std::mutex mutex;
    std::vector<std::string> failures;
    const char* seconds = std::getenv("TNEWS_LOAD_SECONDS");
    const auto start = Clock::now();
    const auto end = start + std::chrono::seconds(seconds ? std::atoi(seconds) : 60);
    std::vector<std::jthread> clients;
    for (std::size_t c = 0; c < kConnections; ++c)
    {
        clients.emplace_back(
            [&, c]
            {
                httplib::Client client = server.Client();
                client.set_keep_alive(true);
                for (std::size_t i = c * 7; Clock::now() < end; ++i)
                {
                    const Target& target = targets[i % targets.size()];
                    const httplib::Result result = client.Get(target.target, target.auth);
                    ++requests;
                    if (result && result->status == 200 && result->body == target.expected)
                        continue;
                    ++wrong;
                    std::lock_guard lock(mutex);
                    if (failures.size() < 20)
                    {
                        failures.push_back(target.target + ": " +
                                           (result ? "status " + std::to_string(result->status)
                                                   : httplib::to_string(result.error())));
                    }
                }
            });
    }
    clients.clear(); // joins them
    const std::chrono::duration<double> elapsed = Clock::now() - start;
    std::printf("%zu connections, %zu targets, %.1f s: %zu requests (%.0f/s), %zu wrong\n",
                kConnections, targets.size(), elapsed.count(), requests.load(),
                static_cast<double>(requests) / elapsed.count(), wrong.load());
    for (const std::string& failure : failures)
        ADD_FAILURE() << failure;
    EXPECT_EQ(wrong, 0u);
    EXPECT_GT(requests, kConnections);
}

} // namespace
} // namespace tnews::server
