#include "directory/catalogue.h"
#include "directory/query_encoding.h"
#include "directory/server_urls.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <set>

namespace tnews
{
namespace
{

// Each place gives a URL ending in its own text, which needs no escaping; no region lists a
// place twice; the places called out are spelt as the list has them (not sorted, not corrected).
TEST(CatalogueTest, EveryPlaceGivesItsOwnListingUrl)
{
    const std::map<std::string, std::string_view> calledOut = {
        {"c 8", "Prince Edward Island"},
        {"c 12", "Yukon Territories"},
        {"u 28", "National"},
        {"i 14", "Banglades"},
        {"i 35", "Crotia"},
        {"i 164", "Zimbabwe"},
        {"i 126", "S\xC3\xA9n\xC3\xA9gal"},
    };
    const std::size_t counts[] = {12, 52, 164};
    ASSERT_EQ(Regions().size(), 3u);
    std::size_t found = 0;
    for (std::size_t r = 0; r < 3; ++r)
    {
        const RegionInfo& region = Regions()[r];
        EXPECT_EQ(region.places.size(), counts[r]) << region.code;
        std::set<std::string_view> seen;
        for (std::size_t p = 1; p <= region.places.size(); ++p)
        {
            const std::string_view place = region.places[p - 1];
            EXPECT_TRUE(seen.insert(place).second) << place;
            EXPECT_EQ(place.find_first_of("&#%+=?\t"), std::string_view::npos) << place;
            const auto url = ListingUrl(region.code, static_cast<std::int16_t>(p));
            ASSERT_TRUE(url) << place;
            EXPECT_TRUE(url->ends_with(std::string(region.placeKey) + "=" + std::string(place)))
                << *url;
            const auto called = calledOut.find(std::string(region.code) + " " + std::to_string(p));
            if (called == calledOut.end())
                continue;
            EXPECT_EQ(place, called->second) << called->first;
            ++found;
        }
    }
    EXPECT_EQ(found, calledOut.size());
    EXPECT_EQ(ListingUrl("i", 126, "h:1"), "http://tnewsuser:qsel47t2vyb8rdo@h:1/software/news/"
                                           "tnewsidb.php?region=international&country=S\xC3\xA9n"
                                           "\xC3\xA9gal");
    const std::pair<const char*, int> nowhere[] = {
        {"c", 13}, {"i", 165}, {"i", 0}, {"i", std::numeric_limits<std::int16_t>::min()},
        {"C", 1},  {"c ", 1},  {"", 1},
    };
    for (const auto& [code, position] : nowhere)
        EXPECT_FALSE(ListingUrl(code, static_cast<std::int16_t>(position), "h:1"))
            << code << " " << position;
}

// The keyword search is met through RegionSelection; its refusals and the other scripts here.
TEST(ServerUrlsTest, UpdateAndWebsiteUrlsAndUnknownRegions)
{
    // The update script has its own password; the version is plain decimal.
    const std::string updates = "http://tnewsuser:hup39zk5wcaj7fen@h:1/updates/tnewss.php";
    EXPECT_EQ(UpdateQueryUrl(10, 0, 12, "h:1"), updates + "?version=10.0.12");
    EXPECT_EQ(PublisherWebsiteUrl("h:1"), "http://h:1/");
    EXPECT_EQ(KeywordSearchUrl("i", "", "h:1"), "http://tnewsuser:qsel47t2vyb8rdo@h:1/software/"
                                                "news/tnewsidb.php?region=international&skwords=");
    for (const char* code : {"", "C", "x"})
        EXPECT_FALSE(KeywordSearchUrl(code, "hockey", "h:1")) << code;
}

TEST(QueryEncodingTest, EncodesEverythingButUnreservedBytes)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"AZaz09-._~", "AZaz09-._~"},
        {"fish&chips", "fish%26chips"},
        {"C#", "C%23"},
        {"a+b", "a%2Bb"},
        {"100%", "100%25"},
        {"  New York  ", "%20%20New%20York%20%20"},
        {"S\xC3\xA9n\xC3\xA9gal", "S%C3%A9n%C3%A9gal"},
        {std::string("a\0b", 3), "a%00b"},
        {"\xFF\x80", "%FF%80"},
    };
    for (const auto& [text, encoded] : cases)
    {
        EXPECT_EQ(EncodeQueryValue(text), encoded) << text;
        EXPECT_EQ(DecodeQueryValue(encoded), text) << encoded;
    }
}

TEST(QueryEncodingTest, DecodingRefusesBrokenEscapes)
{
    EXPECT_EQ(DecodeQueryValue("a+b%2b"), "a b+");
    EXPECT_EQ(DecodePercentEncoded("a+b%2b"), "a+b+");
    for (const char* broken : {"%", "%4", "a%zz", "%G0", "abc%2"})
    {
        EXPECT_FALSE(DecodeQueryValue(broken)) << broken;
        EXPECT_FALSE(DecodePercentEncoded(broken)) << broken;
    }
}

} // namespace
} // namespace tnews
