// The real server under load: 256 kept-alive connections asking for every listing page, some
// thousand keyword searches, update answers and the publisher's page for 60 s
// (TNEWS_LOAD_SECONDS to change it).
// Every answer must equal, byte for byte, the one the same request got with the server idle.
// Prints figures; speed is measured by bench/run-server, not here.
#include "directory/catalogue.h"
#include "directory/server_urls.h"
#include "test_server.h"

#include <gtest/gtest.h>

#include <algorithm>
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

constexpr std::size_t kConnections = 256;

struct Target
{
    std::string target;
    httplib::Headers auth;
    std::string fragment; // the idle answer must hold it
    std::string expected; // the idle answer's body
};

std::vector<Target> Targets(const testing::TestServer& server)
{
    const httplib::Headers listing = testing::BasicAuth(kUserName, kListingPassword);
    const httplib::Headers update = testing::BasicAuth(kUserName, kUpdatePassword);
    std::vector<Target> targets;
    for (const RegionInfo& region : Regions())
    {
        for (std::size_t position = 1; position <= region.places.size(); ++position)
        {
            targets.push_back(
                {testing::WireTarget(
                     *ListingUrl(region.code, static_cast<std::int16_t>(position), server.Host())),
                 listing, "<title>", ""});
        }
    }
    // Every two-letter prefix in every region, and the second page of each: more search pages
    // than the server's cache holds, so searches run in SQLite under load too, not only as
    // cache lookups.
    for (const RegionInfo& region : Regions())
    {
        for (char first = 'a'; first <= 'z'; ++first)
        {
            for (char second = 'a'; second <= 'z'; ++second)
            {
                const std::string words{first, second};
                const std::string target =
                    testing::WireTarget(*KeywordSearchUrl(region.code, words, server.Host()));
                targets.push_back({target, listing, "<title>", ""});
                targets.push_back({target + "&page=2", listing, "<title>", ""});
            }
        }
    }
    for (const int major : {1, 6, 99})
    {
        targets.push_back({testing::WireTarget(UpdateQueryUrl(static_cast<std::int16_t>(major), 1,
                                                              3, server.Host())),
                           update, "ersion", ""});
    }
    targets.push_back({"/", {}, "Tavi", ""});
    return targets;
}

std::chrono::seconds Duration()
{
    const char* text = std::getenv("TNEWS_LOAD_SECONDS");
    return std::chrono::seconds(text ? std::atoi(text) : 60);
}

TEST(ServerLoadTest, EveryAnswerRightAt256Connections)
{
    testing::TestServerOptions options;
    options.threads = kDefaultThreads; // one per core, as tnews-server runs
    if (std::filesystem::exists(testing::RealCataloguePath()))
        options.catalogue = testing::RealCataloguePath();
    const testing::TestServer server(options);

    std::vector<Target> targets = Targets(server);
    // A prefix with one page of matches has no second one.
    std::erase_if(targets,
                  [&](const Target& target)
                  {
                      return target.target.ends_with("&page=2") &&
                             testing::Fetch(server, target.target, target.auth).status == 400;
                  });
    for (Target& target : targets)
    {
        const httplib::Response idle = testing::Fetch(server, target.target, target.auth);
        ASSERT_EQ(idle.status, 200) << target.target;
        ASSERT_TRUE(testing::Contains(idle.body, target.fragment)) << target.target;
        target.expected = idle.body;
    }

    std::atomic<std::size_t> requests{0};
    std::atomic<std::size_t> errors{0};
    std::atomic<std::size_t> wrong{0};
    std::mutex mutex;
    std::vector<std::string> failures;
    const auto start = Clock::now();
    const auto end = start + Duration();
    std::vector<std::thread> clients;
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
                    std::string failure;
                    if (!result)
                    {
                        ++errors;
                        failure = "error " + httplib::to_string(result.error());
                    }
                    else if (result->status != 200 || result->body != target.expected)
                    {
                        ++wrong;
                        failure = "status " + std::to_string(result->status) + ", " +
                                  std::to_string(result->body.size()) + " bytes";
                    }
                    if (!failure.empty())
                    {
                        std::lock_guard lock(mutex);
                        if (failures.size() < 20)
                            failures.push_back(target.target + ": " + failure);
                    }
                }
            });
    }
    for (std::thread& client : clients)
        client.join();
    const std::chrono::duration<double> elapsed = Clock::now() - start;

    std::printf("%zu connections, %zu targets, %.1f s: %zu requests (%.0f/s), %zu errors, "
                "%zu wrong answers\n",
                kConnections, targets.size(), elapsed.count(), requests.load(),
                static_cast<double>(requests) / elapsed.count(), errors.load(), wrong.load());
    for (const std::string& failure : failures)
        ADD_FAILURE() << failure;
    EXPECT_EQ(errors, 0u);
    EXPECT_EQ(wrong, 0u);
    EXPECT_GT(requests, kConnections);
}

} // namespace
} // namespace tnews::server
