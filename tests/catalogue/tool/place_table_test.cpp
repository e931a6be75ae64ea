#include "catalogue/tool/place_table.h"
#include "catalogue/tool/place_table_data.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

namespace tnews::catalogue
{
namespace
{

std::string Describe(const std::optional<PlaceRef>& place)
{
    return place ? std::string(place->region->code) + "/" + std::string(place->place) : "-";
}

// Each table entry lands on a place of the list (a misspelt target would drop its papers without
// a word), and each place of the list is reached or has its rule, never both.
TEST(PlaceTableTest, EveryPlaceOfTheListIsReachedOrHasItsRule)
{
    std::set<std::string> reached;
    const auto reach = [&](const std::optional<PlaceRef>& place, std::string_view entry)
    {
        EXPECT_TRUE(place) << entry << " lands outside the list";
        reached.insert(Describe(place));
    };
    for (const TableCountry& country : CountryTable())
    {
        const Placing placing = PlaceOfCountry(country.name);
        if (country.place.empty())
            EXPECT_FALSE(country.reason.empty()) << country.name << " is left out for no reason";
        else
            reach(placing.place, country.name);
    }
    for (const table::UsState& state : table::kUsStateTable)
        reach(PlaceOfUsStateCode(state.code), state.code);
    for (const table::StateName& name : table::kCanadianNameTable)
        reach(PlaceOfStateName(*FindRegion("c"), name.name), name.name);
    for (const table::TownOverride& town : table::kCanadianTownTable)
        reach(PlaceOfCanadianTown(town.town, 0, 0).place, town.town);
    for (const table::Boundary& boundary : table::kBoundaryTable)
        reach(FindPlace("c", boundary.place), boundary.place);
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

TEST(PlaceTableTest, CanadianTownsFallInTheirProvinces)
{
    // Each side of the borders that are not straight lines, and one named override.
    const std::tuple<const char*, double, double, const char*> cases[] = {
        {"Hull", 45.4287, -75.7134, "c/Quebec"},
        {"Arnprior", 45.4347, -76.3518, "c/Ontario"},
        {"Shawville", 45.6037, -76.4915, "c/Quebec"},
        {"Banff", 51.1784, -115.5708, "c/Alberta"},
        {"Golden", 51.2961, -116.9631, "c/British Columbia"},
        {"Sackville", 45.8979, -64.3683, "c/New Brunswick"},
        {"Amherst", 45.8167, -64.2167, "c/Nova Scotia"},
        {"Fermont", 52.79, -67.09, "c/Quebec"},
        {"Happy Valley-Goose Bay", 53.3017, -60.3261, "c/Newfoundland"},
        {"Inuvik", 68.36, -133.72, "c/North West Territories"},
        {"Clearwater", 56.1304, -106.3468, "-"}, // Canada's centre, not the town's
        {"Mid-Atlantic", 40.0, -40.0, "-"},
    };
    for (const auto& [town, latitude, longitude, expected] : cases)
    {
        EXPECT_EQ(Describe(PlaceOfCanadianTown(town, latitude, longitude).place), expected)
            << town << " at " << latitude << ", " << longitude;
    }
}

} // namespace
} // namespace tnews::catalogue
