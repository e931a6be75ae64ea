// The real server with the catalogue the build writes: every listing shows papers or its place's
// rule, and at 256 kept-alive connections for 60 s (or TNEWS_LOAD_SECONDS) every answer equals,
// byte for byte, the one it gave while idle. Speed is measured by bench/run-server, not here.
#include "directory/catalogue.h"
#include "directory/server_urls.h"
#include "test_server.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace tnews::server
{
namespace
{

using Clock = std::chrono::steady_clock;

TEST(ServerLoadTest, EveryAnswerRightAt256Connections)
{
    if (!std::filesystem::exists(testing::RealCataloguePath()))
        GTEST_SKIP() << testing::RealCataloguePath() << " does not exist yet";
    const testing::TestServer server(testing::TestServerOptions{
        .catalogue = testing::RealCataloguePath(), .threads = kDefaultThreads});
    const httplib::Headers auth = testing::BasicAuth(kUserName, kListingPassword);
    std::vector<std::string> targets;
    std::vector<std::string> idle;
    auto add = [&](const std::string& target) -> const std::string&
    {
        const httplib::Response response = testing::Fetch(server, target, auth);
        EXPECT_EQ(response.status, 200) << target;
        targets.push_back(target);
        idle.push_back(response.body);
        return idle.back();
    };
    for (const RegionInfo& region : Regions())
    {
        for (std::size_t position = 1; position <= region.places.size(); ++position)
        {
            const std::string& page = add(testing::WireTarget(
                *ListingUrl(region.code, static_cast<std::int16_t>(position), server.Host())));
            EXPECT_TRUE(testing::Contains(page, "rel=\"noopener noreferrer\">") ||
                        testing::Contains(page, "<p class=\"rule\">"))
                << page;
        }
        // Every two-letter prefix: more search pages than the server's cache holds, so that
        // searches run in SQLite under load too.
        for (int n = 0; n < 26 * 26; ++n)
        {
            const std::string typed{static_cast<char>('a' + n / 26),
                                    static_cast<char>('a' + n % 26)};
            add(testing::WireTarget(*KeywordSearchUrl(region.code, typed, server.Host())));
        }
    }

    constexpr std::size_t kConnections = 256;
    std::atomic<std::size_t> requests{0};
    std::atomic<std::size_t> wrong{0};
    const char* seconds = std::getenv("TNEWS_LOAD_SECONDS");
    const auto end = Clock::now() + std::chrono::seconds(seconds ? std::atoi(seconds) : 60);
    std::vector<std::jthread> clients;
    for (std::size_t c = 0; c < kConnections; ++c)
    {
        clients.emplace_back(
            [&, c]
            {
                httplib::Client client = server.Client();
                client.set_keep_alive(true);
                for (std::size_t i = c * 7; Clock::now() < end; ++i, ++requests)
                {
                    const std::size_t t = i % targets.size();
                    const httplib::Result result = client.Get(targets[t], auth);
                    if ((!result || result->status != 200 || result->body != idle[t]) &&
                        wrong++ < 20)
                    {
                        ADD_FAILURE() << targets[t] << ": "
                                      << (result ? "status " + std::to_string(result->status)
                                                 : httplib::to_string(result.error()));
                    }
                }
            });
    }
    clients.clear(); // joins them
    std::printf("%zu connections, %zu targets: %zu requests, %zu wrong\n", kConnections,
                targets.size(), requests.load(), wrong.load());
    EXPECT_EQ(wrong, 0u);
    EXPECT_GT(requests, kConnections);
}

} // namespace
} // namespace tnews::server
