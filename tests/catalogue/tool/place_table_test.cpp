#include "catalogue/tool/place_table.h"
#include "catalogue/tool/place_table_data.h"

#include <gtest/gtest.h>

#include <set>

namespace tnews::catalogue
{
namespace
{

std::string Describe(const std::optional<PlaceRef>& place)
{
    return place ? std::string(place->region->code) + "/" + std::string(place->place) : "-";
}

TEST(PlaceTableTest, EveryPlaceOfTheListIsReachedOrHasItsRule)
{
    std::set<std::string> reached;
    for (const TableCountry& country : CountryTable())
        reached.insert(Describe(PlaceOfCountry(country.name).place));
    for (const table::UsState& state : table::kUsStateTable)
        reached.insert(Describe(PlaceOfUsStateCode(state.code)));
    for (const table::Boundary& boundary : table::kBoundaryTable)
        reached.insert("c/" + std::string(boundary.place));
    for (const RegionInfo& region : Regions())
    {
        for (std::string_view place : region.places)
        {
            const PlaceRef ref{&region, place};
            const std::string name = Describe(ref);
            // "National": no data set says a paper is national; the curated list files them.
            const bool curatedOnly = name == "u/National";
            EXPECT_TRUE(reached.contains(name) != (FindRule(ref) != nullptr) || curatedOnly)
                << name << ": reached by the table " << reached.contains(name) << ", has a rule "
                << (FindRule(ref) != nullptr);
        }
    }
}

TEST(PlaceTableTest, NoEntryLandsOutsideTheList)
{
    for (const TableCountry& country : CountryTable())
    {
        EXPECT_EQ(country.place.empty(), !FindPlace("i", country.place).has_value())
            << country.name << " -> " << country.place;
        EXPECT_EQ(country.place.empty(), !country.reason.empty()) << country.name;
    }
    for (const table::UsState& state : table::kUsStateTable)
        EXPECT_TRUE(FindPlace("u", state.place)) << state.code;
    for (const table::StateName& name : table::kCanadianNameTable)
        EXPECT_TRUE(FindPlace("c", name.place)) << name.name;
    for (const table::TownOverride& town : table::kCanadianTownTable)
        EXPECT_TRUE(FindPlace("c", town.place)) << town.town;
    for (const table::Boundary& boundary : table::kBoundaryTable)
        EXPECT_TRUE(FindPlace("c", boundary.place)) << boundary.place;
    for (const TableAlias& alias : PlaceAliases())
        EXPECT_TRUE(FindPlace(alias.code, alias.place)) << alias.alias << " -> " << alias.place;
    for (const TableRule& rule : PlaceRules())
    {
        const std::optional<PlaceRef> place = FindPlace(rule.code, rule.place);
        ASSERT_TRUE(place) << rule.place;
        if (rule.how == PlaceRule::How::SameAs)
        {
            const std::optional<PlaceRef> target = FindPlace(rule.code, rule.value);
            ASSERT_TRUE(target) << rule.place << " same as " << rule.value;
            EXPECT_EQ(FindRule(*target), nullptr) << rule.value << " has a rule itself";
        }
    }
}

TEST(PlaceTableTest, AwkwardNamesLandWhereAReaderLooks)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Bangladesh", "i/Banglades"},
        {"Senegal", "i/S\xC3\xA9n\xC3\xA9gal"},
        {"Myanmar", "i/Burma"},
        {"Scotland", "i/UK Scotland"},
        {"England", "i/United Kingdom"},
        {"Montenegro", "i/Serbia and Montenegro"},
        {"Georgia", "i/Georgia"},
        {"Brasov", "i/Romania"},
        {"Yugoslavia", "-"},
        {"United States of America", "-"},
        {"Canada", "-"},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(Describe(PlaceOfCountry(name).place), expected) << name;
    EXPECT_EQ(Describe(PlaceOfUsStateCode("GA")), "u/Georgia");
    EXPECT_EQ(Describe(PlaceOfUsStateCode("PR")), "-");
    EXPECT_EQ(Describe(PlaceOfStateName(*FindRegion("c"), "Nunavut")), "c/North West Territories");
    EXPECT_EQ(Describe(PlaceOfStateName(*FindRegion("u"), "National")), "-");
}

TEST(PlaceTableTest, CanadianTownsFallInTheirProvinces)
{
    struct Case
    {
        const char* town;
        double latitude, longitude;
        const char* expected;
    };
    // Towns near a border, each side of it.
    const Case cases[] = {
        {"Hull", 45.4287, -75.7134, "c/Quebec"},
        {"Arnprior", 45.4347, -76.3518, "c/Ontario"},
        {"Shawville", 45.6037, -76.4915, "c/Quebec"},
        {"Maple Creek", 49.9066, -109.4802, "c/Saskatchewan"},
        {"Kenora", 49.767, -94.4894, "c/Ontario"},
        {"Banff", 51.1784, -115.5708, "c/Alberta"},
        {"Golden", 51.2961, -116.9631, "c/British Columbia"},
        {"Sackville", 45.8979, -64.3683, "c/New Brunswick"},
        {"Amherst", 45.8167, -64.2167, "c/Nova Scotia"},
        {"Summerside", 46.3934, -63.7902, "c/Prince Edward Island"},
        {"Fermont", 52.79, -67.09, "c/Quebec"},
        {"Happy Valley-Goose Bay", 53.3017, -60.3261, "c/Newfoundland"},
        {"Inuvik", 68.36, -133.72, "c/North West Territories"},
        {"Dawson", 64.0601, -139.432, "c/Yukon Territories"},
        {"Clearwater", 56.1304, -106.3468, "-"}, // Canada's centre, not the town's
        {"Mid-Atlantic", 40.0, -40.0, "-"},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Describe(PlaceOfCanadianTown(c.town, c.latitude, c.longitude).place), c.expected)
            << c.town << " at " << c.latitude << ", " << c.longitude;
    }
}

} // namespace
} // namespace tnews::catalogue
