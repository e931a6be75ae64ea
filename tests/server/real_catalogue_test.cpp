// The catalogue the build writes answers every listing URL the program can send with papers or
// with its rule's note.
#include "directory/catalogue.h"
#include "test_server.h"

#include <gtest/gtest.h>

namespace tnews::server
{
namespace
{

TEST(RealCatalogueTest, EveryPlaceHasAPageWithPapersOrARule)
{
    if (!std::filesystem::exists(testing::RealCataloguePath()))
        GTEST_SKIP() << testing::RealCataloguePath() << " does not exist yet";
    const testing::TestServer server(
        testing::TestServerOptions{.catalogue = testing::RealCataloguePath()});
    httplib::Client client = server.Client();
    client.set_keep_alive(true);
    const httplib::Headers auth = testing::BasicAuth(kUserName, kListingPassword);
    std::size_t places = 0;
    for (const RegionInfo& region : Regions())
    {
        for (std::size_t position = 1; position <= region.places.size(); ++position)
        {
            const std::string target = testing::WireTarget(
                *ListingUrl(region.code, static_cast<std::int16_t>(position), server.Host()));
            SCOPED_TRACE(target);
            const httplib::Result result = client.Get(target, auth);
            ASSERT_TRUE(result) << httplib::to_string(result.error());
            EXPECT_EQ(result->status, 200);
            EXPECT_TRUE(result->body.find("target=\"_blank\" rel=\"noopener noreferrer\">") !=
                            std::string::npos ||
                        result->body.find("<p class=\"rule\">") != std::string::npos)
                << result->body;
            ++places;
        }
    }
    EXPECT_EQ(places, 228u);
}

} // namespace
} // namespace tnews::server
