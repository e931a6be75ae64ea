// A reader's suggestion from the form to the listing: posted to the real server, accepted with
// tnews-catalogue, built into the catalogue, served by the next server.
#include "catalogue/tool/commands.h"
#include "catalogue/tool/corrections_file.h"
#include "fixture_sources.h"
#include "server/corrections_store.h"
#include "test_server.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tnews::server
{
namespace
{

using catalogue::testing::TempFolder;
using testing::Contains;
using testing::TestServer;

int Tool(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int status = catalogue::RunCommand(args, out, err);
    EXPECT_EQ(status, 0) << err.str();
    return status;
}

TEST(CorrectionsEndToEndTest, AnAcceptedSuggestionIsListedAfterTheBuild)
{
    const TempFolder data, state;
    catalogue::testing::WriteFixture(data.Path());
    const std::string corrections = (data.Path() / "corrections.tsv").string();
    const std::string built = (data.Path() / "catalogue.tsv").string();
    catalogue::testing::WriteFile(corrections, catalogue::CorrectionsFileHeader());
    const std::vector<std::string> build = {
        "build", "--output", built, "--curated", (data.Path() / "curated.tsv").string(),
        "--sources", (data.Path() / "sources").string(), "--corrections", corrections};
    ASSERT_EQ(Tool(build), 0);

    const std::string listing = "/software/news/tnewsudb.php?region=usa&state=Texas";
    const httplib::Headers credentials = testing::BasicAuth(kUserName, kListingPassword);
    {
        CorrectionsStore store(state.Path());
        const TestServer server(testing::TestServerOptions{.catalogue = built, .site = {.corrections = &store}});
        httplib::Headers headers = credentials;
        headers.emplace("Origin", "http://" + server.Host());
        const httplib::Result posted = server.Client().Post(
            "/software/news/suggest.php?region=usa&state=Texas", headers,
            "name=Waco+Herald&website=https%3A%2F%2Fwacoherald.example%2F&town=Waco&note=Since+1899",
            "application/x-www-form-urlencoded");
        ASSERT_TRUE(posted) << httplib::to_string(posted.error());
        EXPECT_EQ(posted->status, 200) << posted->body;
        EXPECT_FALSE(Contains(testing::Fetch(server, listing, credentials).body, "Waco Herald"));
    }
    ASSERT_EQ(Tool({"corrections", "--state", state.Path().string(), "--file", corrections,
                   "accept", "1"}),
              0);
    ASSERT_EQ(Tool(build), 0);
    const TestServer rebuilt(testing::TestServerOptions{.catalogue = built});
    const httplib::Response page = testing::Fetch(rebuilt, listing, credentials);
    testing::ExpectInOrder(page.body, {"<h2>Waco</h2>", "https://wacoherald.example/", "Waco Herald",
                                       "report.php?region=usa&amp;state=Texas&amp;website="
                                       "https%3A%2F%2Fwacoherald.example%2F"});
}

} // namespace
} // namespace tnews::server
