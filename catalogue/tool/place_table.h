// Where an entry of the data sets lands among the program's places, and what a place that no
// entry reaches shows instead. The table itself is place_table.cpp, one file to read and
// review; the lookups over it are place_lookup.cpp.
#pragma once

#include "catalogue/catalogue_file.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tnews::catalogue
{

/// A place of the program's list.
struct PlaceRef
{
    const RegionInfo* region = nullptr;
    std::string_view place; // an entry of region->places

    bool operator==(const PlaceRef&) const = default;
};

/// The place spelled exactly `place` in the region with code `code`, or nothing.
std::optional<PlaceRef> FindPlace(std::string_view code, std::string_view place);

/// Where an entry of a country, territory or nation as a data set names it goes: a place, or
/// the reason it is left out.
struct Placing
{
    std::optional<PlaceRef> place;
    std::string reason; // when there is no place: why, for the build's summary
};

/// The place of the country, territory or UK nation `name` as Local Memory's folders or
/// Wikidata's country labels spell it ("Bangladesh" gives "Banglades", "Scotland" gives "UK
/// Scotland"). The USA and Canada give nothing here: their entries are placed by state or
/// province (IsCountryWithStates).
Placing PlaceOfCountry(std::string_view name);

/// True for the countries whose entries need a state or province: "United States of America"
/// and "Canada".
bool IsUsa(std::string_view country);
bool IsCanada(std::string_view country);

/// The USA place of a two-letter postal code ("TX", "DC"), or nothing.
std::optional<PlaceRef> PlaceOfUsStateCode(std::string_view code);

/// The USA or Canadian place whose name (or proper name, "Northwest Territories") is exactly
/// `name`, or nothing.
std::optional<PlaceRef> PlaceOfStateName(const RegionInfo& region, std::string_view name);

/// The province or territory of a Canadian town from its name and coordinates: a named
/// override first (towns on a border), then the table of boundaries. Nothing, with the
/// reason, for a point outside every province and for coordinates that are Canada's own
/// centre rather than the town's.
Placing PlaceOfCanadianTown(std::string_view town, double latitude, double longitude);

/// A rule of the table: what a place that no entry maps to shows instead.
struct TableRule
{
    std::string_view code;
    std::string_view place;
    PlaceRule::How how;
    std::string_view value;
    std::string_view note;
};
std::span<const TableRule> PlaceRules();

/// The rule of a place, or nullptr.
const TableRule* FindRule(const PlaceRef& place);

/// A sentence for the page of a place that has papers, where what it lists needs a word.
struct TableNote
{
    std::string_view code;
    std::string_view place;
    std::string_view text;
};
std::span<const TableNote> PlaceNotes();

/// Another name of a place: its proper name where the list misspells it, and common other
/// names a reader would search for.
struct TableAlias
{
    std::string_view code;
    std::string_view place;
    std::string_view alias;
};
std::span<const TableAlias> PlaceAliases();

/// Every country name PlaceOfCountry places, with its place; for the table's tests.
struct TableCountry
{
    std::string_view name;
    std::string_view place; // empty: left out
    std::string_view reason;
};
std::span<const TableCountry> CountryTable();

} // namespace tnews::catalogue
