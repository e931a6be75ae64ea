#include "directory/catalogue.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <set>

namespace tnews
{
namespace
{

// Every place of every region gives a URL ending in exactly its own text, which needs no
// escaping; no region lists a place twice; the places called out by position are spelt as the
// list has them (not sorted, not corrected).
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

} // namespace
} // namespace tnews
