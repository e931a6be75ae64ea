#include "directory/server_urls.h"

#include <gtest/gtest.h>

namespace tnews
{
namespace
{

TEST(ServerUrlsTest, SearchUpdateAndWebsiteUrls)
{
    const std::string listing = "http://tnewsuser:qsel47t2vyb8rdo@h:1/software/news/";
    const std::pair<std::optional<std::string>, std::string> cases[] = {
        {KeywordSearchUrl("c", "hockey", "h:1"),
         listing + "tnewscdb.php?region=canada&skwords=hockey"},
        {KeywordSearchUrl("u", "  New York  ", "h:1"),
         listing + "tnewsudb.php?region=usa&skwords=%20%20New%20York%20%20"},
        {KeywordSearchUrl("i", "fish&chips", "h:1"),
         listing + "tnewsidb.php?region=international&skwords=fish%26chips"},
        {KeywordSearchUrl("u", "", "h:1"), listing + "tnewsudb.php?region=usa&skwords="},
        // The update script has its own password; the version is plain decimal.
        {UpdateQueryUrl(6, 1, 3, "h:1"),
         "http://tnewsuser:hup39zk5wcaj7fen@h:1/updates/tnewss.php?version=6.1.3"},
        {UpdateQueryUrl(10, 0, 12, "h:1"),
         "http://tnewsuser:hup39zk5wcaj7fen@h:1/updates/tnewss.php?version=10.0.12"},
        {PublisherWebsiteUrl("h:1"), "http://h:1/"},
    };
    for (const auto& [url, expected] : cases)
        EXPECT_EQ(url, expected);
    for (const char* code : {"", "C", "x"})
        EXPECT_FALSE(KeywordSearchUrl(code, "hockey", "h:1")) << code;
}

} // namespace
} // namespace tnews
