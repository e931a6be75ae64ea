#include "directory/server_urls.h"

#include <gtest/gtest.h>

namespace tnews
{
namespace
{

// The keyword search is met through RegionSelection; its refusals and the other scripts here.
TEST(ServerUrlsTest, UpdateAndWebsiteUrlsAndUnknownRegions)
{
    // The update script has its own password; the version is plain decimal.
    const std::string updates = "http://tnewsuser:hup39zk5wcaj7fen@h:1/updates/tnewss.php";
    EXPECT_EQ(UpdateQueryUrl(6, 1, 3, "h:1"), updates + "?version=6.1.3");
    EXPECT_EQ(UpdateQueryUrl(10, 0, 12, "h:1"), updates + "?version=10.0.12");
    EXPECT_EQ(PublisherWebsiteUrl("h:1"), "http://h:1/");
    EXPECT_EQ(KeywordSearchUrl("i", "", "h:1"), "http://tnewsuser:qsel47t2vyb8rdo@h:1/software/"
                                                "news/tnewsidb.php?region=international&skwords=");
    for (const char* code : {"", "C", "x"})
        EXPECT_FALSE(KeywordSearchUrl(code, "hockey", "h:1")) << code;
}

} // namespace
} // namespace tnews
