#include "server/command_line.h"

#include <gtest/gtest.h>

namespace tnews::server
{
namespace
{

TEST(CommandLineTest, ParsesBothOptionFormsAndRejectsBadOnes)
{
    const std::vector<std::string_view> args = {
        "--port",     "9000",           "--bind=0.0.0.0",      "--data",
        "/tmp/x.tsv", "--latest=7.0.1", "--threads",           "16",
        "-h",         "--public-host",  "news.example.org:80", "--data=/b=c",
        "--checks=/v/c.tsv", "--trusted-proxy", "127.0.0.1,0:0::1"};
    const ServerOptions options = ParseCommandLine(args);
    EXPECT_EQ(options.port, 9000);
    EXPECT_EQ(options.bind, "0.0.0.0");
    EXPECT_EQ(options.data, "/b=c") << "the last one counts, and its value may hold \"=\"";
    EXPECT_EQ(options.publicHost, "news.example.org:80");
    EXPECT_TRUE(options.help);
    EXPECT_EQ(options.latest, (Version{7, 0, 1}));
    EXPECT_EQ(options.threads, 16u);
    EXPECT_EQ(options.checks, "/v/c.tsv");
    EXPECT_EQ(options.trustedProxies, (std::vector<std::string>{"127.0.0.1", "::1"}));
    EXPECT_EQ(ParseCommandLine({}).bind, "127.0.0.1") << "only loopback unless asked";
    EXPECT_EQ(ParseCommandLine({}).publicHost, DirectoryHost);

    const std::vector<std::vector<std::string_view>> cases = {
        {"--port"},          {"--port", "65536"},
        {"--port", "-1"},    {"--port", "80x"},
        {"--threads", "0"},  {"--threads=2000"},
        {"--latest", "6.1"}, {"--latest=6.1.3.0"},
        {"--data="},         {"--checks="},       {"--trusted-proxy", "127.0.0.1,"},
        {"--trusted-proxy", "proxy.example"},
        {"--bind", ""},
        {"--verbose"},       {"port"},
        {"--help=yes"},      {"--public-host", "evil.example/x"},
        {"--public-host="},  {"--public-host", ":80"},
    };
    for (const auto& bad : cases)
    {
        SCOPED_TRACE(testing::PrintToString(bad));
        EXPECT_THROW(ParseCommandLine(bad), UsageError);
    }
}

} // namespace
} // namespace tnews::server
