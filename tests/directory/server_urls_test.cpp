#include "directory/catalogue.h"
#include "directory/server_urls.h"

#include <gtest/gtest.h>

namespace tnews
{
namespace
{

TEST(ServerUrlsTest, KeywordSearchGoesToTheRegionsScriptEncoded)
{
    const std::string host = "h:1";
    const std::string base = "http://tnewsuser:qsel47t2vyb8rdo@h:1/software/news/";
    EXPECT_EQ(KeywordSearchUrl("c", "hockey", host),
              base + "tnewscdb.php?region=canada&skwords=hockey");
    EXPECT_EQ(KeywordSearchUrl("u", "  New York  ", host),
              base + "tnewsudb.php?region=usa&skwords=%20%20New%20York%20%20");
    EXPECT_EQ(KeywordSearchUrl("i", "fish&chips", host),
              base + "tnewsidb.php?region=international&skwords=fish%26chips");
    EXPECT_EQ(KeywordSearchUrl("u", "", host), base + "tnewsudb.php?region=usa&skwords=");
    EXPECT_EQ(KeywordSearchUrl("c", "Enter Keywords", host),
              base + "tnewscdb.php?region=canada&skwords=Enter%20Keywords");
    for (const char* code : {"", "C", "x"})
        EXPECT_FALSE(KeywordSearchUrl(code, "hockey", host)) << code;
}

TEST(ServerUrlsTest, UpdateQueryCarriesTheUpdatePasswordAndPlainVersion)
{
    EXPECT_EQ(UpdateQueryUrl(6, 1, 3, "h"),
              "http://tnewsuser:hup39zk5wcaj7fen@h/updates/tnewss.php?version=6.1.3");
    EXPECT_EQ(UpdateQueryUrl(10, 0, 12, "h"),
              "http://tnewsuser:hup39zk5wcaj7fen@h/updates/tnewss.php?version=10.0.12");
    EXPECT_EQ(UpdateQueryUrl(Major, Minor, Revision), "http://tnewsuser:hup39zk5wcaj7fen@" +
                                                          std::string(DirectoryHost) +
                                                          "/updates/tnewss.php?version=6.1.3");
    EXPECT_EQ(kUpdatePassword.size(), 16u);
    EXPECT_EQ(kListingPassword.size(), 15u);
}

TEST(ServerUrlsTest, PublisherWebsiteHasNoCredentials)
{
    EXPECT_EQ(PublisherWebsiteUrl("h:8"), "http://h:8/");
    EXPECT_EQ(PublisherWebsiteUrl(), "http://" + std::string(DirectoryHost) + "/");
}

} // namespace
} // namespace tnews
