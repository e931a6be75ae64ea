#include "directory/catalogue.h"

#include <gtest/gtest.h>

#include <limits>
#include <set>

namespace tnews
{
namespace
{

// Places called out by their position, spellings as the list has them, and positions that
// lead nowhere.
TEST(CatalogueTest, ListingUrlsAtCalledOutPositions)
{
    const struct
    {
        const char* code;
        int position;
        const char* query; // nullptr: no URL
    } cases[] = {
        {"c", 1, "tnewscdb.php?region=canada&province=Alberta"},
        {"c", 8, "tnewscdb.php?region=canada&province=Prince Edward Island"},
        {"c", 9, "tnewscdb.php?region=canada&province=Ontario"},
        {"c", 12, "tnewscdb.php?region=canada&province=Yukon Territories"},
        {"c", 13, nullptr},
        {"u", 28, "tnewsudb.php?region=usa&state=National"},
        {"u", 45, "tnewsudb.php?region=usa&state=Texas"},
        {"u", 52, "tnewsudb.php?region=usa&state=Wyoming"},
        {"u", 53, nullptr},
        {"i", 14, "tnewsidb.php?region=international&country=Banglades"},
        {"i", 31, "tnewsidb.php?region=international&country=Columbia"},
        {"i", 35, "tnewsidb.php?region=international&country=Crotia"},
        {"i", 126, "tnewsidb.php?region=international&country=S\xC3\xA9n\xC3\xA9gal"},
        {"i", 164, "tnewsidb.php?region=international&country=Zimbabwe"},
        {"i", 165, nullptr},
        {"i", 0, nullptr},
        {"i", -1, nullptr},
        {"i", std::numeric_limits<std::int16_t>::min(), nullptr},
        {"", 1, nullptr},
        {"C", 1, nullptr},
        {"c ", 1, nullptr},
    };
    for (const auto& c : cases)
    {
        const auto url = ListingUrl(c.code, static_cast<std::int16_t>(c.position), "h:1");
        const std::string input = std::string(c.code) + " " + std::to_string(c.position);
        if (c.query)
            EXPECT_EQ(url,
                      "http://tnewsuser:qsel47t2vyb8rdo@h:1/software/news/" + std::string(c.query))
                << input;
        else
            EXPECT_FALSE(url) << input;
    }
}

// Every place of every region gives a URL ending in exactly its own text, which needs no
// escaping, and no region lists a place twice.
TEST(CatalogueTest, EveryPlaceGivesItsOwnListingUrl)
{
    const std::size_t counts[] = {12, 52, 164};
    ASSERT_EQ(Regions().size(), 3u);
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
        }
    }
}

} // namespace
} // namespace tnews
