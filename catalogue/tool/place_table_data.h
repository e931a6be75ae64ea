// The shapes of the tables in place_table.cpp, for place_lookup.cpp; nothing else includes it.
#pragma once

#include "place_table.h"

namespace tnews::catalogue::table
{

struct UsState
{
    std::string_view code; // postal code
    std::string_view place;
};

struct StateName
{
    std::string_view name;
    std::string_view place;
};

struct TownOverride
{
    std::string_view town;
    std::string_view place;
};

struct GeoPoint
{
    double latitude;
    double longitude;
};

struct Boundary
{
    std::string_view place;
    std::span<const GeoPoint> polygon;
};

extern const std::span<const TableCountry> kCountryTable;
extern const std::span<const UsState> kUsStateTable;
extern const std::span<const StateName> kCanadianNameTable;
extern const std::span<const TownOverride> kCanadianTownTable;
extern const GeoPoint kCanadaCentre;
extern const std::span<const Boundary> kBoundaryTable;
extern const std::span<const TableRule> kRuleTable;
extern const std::span<const TableAlias> kAliasTable;
extern const std::span<const TableNote> kNoteTable;

} // namespace tnews::catalogue::table
