// The page of one place: its live newspapers grouped by city, with an index that jumps within
// the page when there are many, and those reported closed at the end.
#pragma once

#include "alphabetical.h"
#include "catalogue/catalogue_file.h"
#include "paper_items.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tnews::server
{

/// What the page of one place shows.
struct PlaceListing
{
    const RegionInfo* region = nullptr;
    std::string_view place;
    const catalogue::PlaceRule* rule = nullptr; // the place's rule; only for a place without papers
    const catalogue::PlaceNote* note = nullptr; // a word on what it lists; may be null
    std::vector<const catalogue::Paper*> papers; // its own papers, or those its rule shows
    std::span<const catalogue::Source> sources;  // the catalogue's, for when papers were listed
};

/// The live papers of `listing.place` (CheckResults::Status) with their count, grouped by city
/// in alphabetical order (papers without a city in a last group; by place instead for a
/// language rule, whose papers come from the whole region), each group's papers by name; then
/// a part headed "Reported closed" with the papers whose evidence says they closed, by name. A
/// rule's or note's text comes first. With many papers an index at the top links to each city,
/// or to each first letter when there are many cities, and to the closed part, with plain
/// #fragment links (no script). Every value is escaped.
std::string ListingPage(const PlaceListing& listing, const CheckResults& checks,
                        const Alphabetical& order);

/// "Canadian", "USA" or "International": the region as an adjective for headings.
std::string_view RegionAdjective(const RegionInfo& region);

} // namespace tnews::server
