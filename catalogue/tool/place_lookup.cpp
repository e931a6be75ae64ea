#include "place_table.h"

#include "place_table_data.h"

#include <algorithm>
#include <cmath>

namespace tnews::catalogue
{
namespace
{

// Even-odd rule over the polygon's edges, in degrees: Canada's borders are drawn in degrees,
// and at a town's scale the curvature of the earth doesn't move a border across it.
bool Contains(std::span<const table::GeoPoint> polygon, double latitude, double longitude)
{
    bool inside = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++)
    {
        const table::GeoPoint& a = polygon[i];
        const table::GeoPoint& b = polygon[j];
        if ((a.latitude > latitude) != (b.latitude > latitude))
        {
            const double crossing = a.longitude + (latitude - a.latitude) *
                                                      (b.longitude - a.longitude) /
                                                      (b.latitude - a.latitude);
            if (longitude < crossing)
                inside = !inside;
        }
    }
    return inside;
}

} // namespace

std::optional<PlaceRef> FindPlace(std::string_view code, std::string_view place)
{
    const RegionInfo* region = FindRegion(code);
    if (!region)
        return std::nullopt;
    auto it = std::ranges::find(region->places, place);
    if (it == region->places.end())
        return std::nullopt;
    return PlaceRef{region, *it};
}

Placing PlaceOfCountry(std::string_view name)
{
    auto it = std::ranges::find(table::kCountryTable, name, &TableCountry::name);
    if (it == table::kCountryTable.end())
        return {std::nullopt, "a country the list has no entry for: " + std::string(name)};
    if (it->place.empty())
        return {std::nullopt, std::string(it->reason) + ": " + std::string(name)};
    return {FindPlace("i", it->place), ""};
}

bool IsUsa(std::string_view country)
{
    return country == "United States of America" || country == "USA";
}

bool IsCanada(std::string_view country)
{
    return country == "Canada";
}

std::optional<PlaceRef> PlaceOfUsStateCode(std::string_view code)
{
    auto it = std::ranges::find(table::kUsStateTable, code, &table::UsState::code);
    if (it == table::kUsStateTable.end())
        return std::nullopt;
    return FindPlace("u", it->place);
}

std::optional<PlaceRef> PlaceOfStateName(const RegionInfo& region, std::string_view name)
{
    if (name == "National")
        return std::nullopt; // a place of the list, but not a state anyone is in
    if (auto place = FindPlace(region.code, name))
        return place;
    if (region.code == "c")
    {
        auto it = std::ranges::find(table::kCanadianNameTable, name, &table::StateName::name);
        if (it != table::kCanadianNameTable.end())
            return FindPlace("c", it->place);
    }
    return std::nullopt;
}

Placing PlaceOfCanadianTown(std::string_view town, double latitude, double longitude)
{
    auto named = std::ranges::find(table::kCanadianTownTable, town, &table::TownOverride::town);
    if (named != table::kCanadianTownTable.end())
        return {FindPlace("c", named->place), ""};
    if (std::abs(latitude - table::kCanadaCentre.latitude) < 1e-3 &&
        std::abs(longitude - table::kCanadaCentre.longitude) < 1e-3)
    {
        return {std::nullopt, "Canadian town with Canada's centre as its coordinates"};
    }
    for (const table::Boundary& boundary : table::kBoundaryTable)
    {
        if (Contains(boundary.polygon, latitude, longitude))
            return {FindPlace("c", boundary.place), ""};
    }
    return {std::nullopt, "Canadian town outside every province's boundary"};
}

std::span<const TableRule> PlaceRules()
{
    return table::kRuleTable;
}

const TableRule* FindRule(const PlaceRef& place)
{
    auto it = std::ranges::find_if(table::kRuleTable, [&](const TableRule& rule)
                                   { return rule.code == place.region->code &&
                                            rule.place == place.place; });
    return it == table::kRuleTable.end() ? nullptr : &*it;
}

std::span<const TableNote> PlaceNotes()
{
    return table::kNoteTable;
}

std::span<const TableAlias> PlaceAliases()
{
    return table::kAliasTable;
}

std::span<const TableCountry> CountryTable()
{
    return table::kCountryTable;
}

} // namespace tnews::catalogue
