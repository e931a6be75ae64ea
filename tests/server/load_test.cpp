// The real server with the catalogue the build writes: every listing shows papers or its place's
// rule, and at 256 kept-alive connections for 60 s (or TNEWS_LOAD_SECONDS) every answer equals,
// byte for byte, the one it gave while idle. Speed is measured by bench/run-server, not here.
#include "load_client.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace tnews::server
{
namespace
{

TEST(ServerLoadTest, EveryAnswerRightAt256Connections)
{
    if (!std::filesystem::exists(testing::RealCataloguePath()))
        GTEST_SKIP() << testing::RealCataloguePath() << " does not exist yet";
    const testing::TestServer server(testing::TestServerOptions{
        .catalogue = testing::RealCataloguePath(), .threads = kDefaultThreads});
    // Every two-letter prefix: more search pages than the server's cache holds, so that
    // searches run in SQLite under load too.
    std::vector<std::string> searches;
    for (int n = 0; n < 26 * 26; ++n)
        searches.push_back({static_cast<char>('a' + n / 26), static_cast<char>('a' + n % 26)});
    const std::vector<std::string> targets = testing::DirectoryTargets(server.Host(), searches);
    const httplib::Headers auth = testing::BasicAuth(kUserName, kListingPassword);
    std::vector<std::string> idle;
    for (const std::string& target : targets)
    {
        const httplib::Response response = testing::Fetch(server, target, auth);
        EXPECT_EQ(response.status, 200) << target;
        if (target.find("skwords=") == std::string::npos)
        {
            EXPECT_TRUE(testing::Contains(response.body, "rel=\"noopener noreferrer\">") ||
                        testing::Contains(response.body, "<p class=\"rule\">"))
                << response.body;
        }
        idle.push_back(response.body);
    }

    std::atomic<std::size_t> reported{0};
    const char* seconds = std::getenv("TNEWS_LOAD_SECONDS");
    const testing::LoadFigures figures = testing::RunLoad(
        server.Port(), targets,
        {.connections = 256,
         .duration = std::chrono::seconds(seconds ? std::atoi(seconds) : 60),
         .headers = auth},
        [&](std::size_t t, const httplib::Result& result)
        {
            const bool right = result && result->status == 200 && result->body == idle[t];
            if (!right && reported++ < 20)
            {
                ADD_FAILURE() << targets[t] << ": "
                              << (result ? "status " + std::to_string(result->status)
                                         : httplib::to_string(result.error()));
            }
            return right;
        });
    std::printf("256 connections, %zu targets: %zu requests, %zu wrong\n", targets.size(),
                figures.requests, figures.failed);
    EXPECT_EQ(figures.failed, 0u);
    EXPECT_GT(figures.requests, 256u);
}

} // namespace
} // namespace tnews::server
