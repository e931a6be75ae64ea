// The page of one place: its newspapers grouped by city, with an index that jumps within the
// page when there are many.
#pragma once

#include "alphabetical.h"
#include "catalogue/catalogue_file.h"
#include "paper_items.h"

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
    std::vector<const catalogue::Paper*> papers; // its own papers, or those its rule shows
};

/// The papers of `listing.place` with their count, grouped by city in alphabetical order
/// (papers without a city in a last group; by place instead for a language rule, whose papers
/// come from the whole region), each group's papers by name. A rule's note comes first. With
/// many papers an index at the top links to each city, or to each first letter when there are
/// many cities, with plain #fragment links (no script). Every value is escaped.
std::string ListingPage(const PlaceListing& listing, const CheckResults& checks,
                        const Alphabetical& order);

/// "Canadian", "USA" or "International": the region as an adjective for headings.
std::string_view RegionAdjective(const RegionInfo& region);

} // namespace tnews::server
