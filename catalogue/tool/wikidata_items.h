// Wikidata's full item records of its newspapers (CC0): one JSON file per item, Q<number>.json,
// with every claim of the item. What the catalogue takes from them is when a paper closed and
// what continued it.
#pragma once

#include "import.h"

#include <filesystem>

namespace tnews::catalogue
{

inline constexpr std::string_view kWikidataItemsSourceId = "wikidata-items";

/// The date of a Wikidata time value as precise as it is ("+2016-12-00T00:00:00Z" gives
/// "2016-12"), or nothing for a time before year 1000 or not of that form.
std::optional<std::string> WikidataDate(std::string_view time);

/// Adds the evidence of the item files in `folder`, read in byte order of file name: a
/// closure report for each dissolved (P576) or discontinued (P2669) date, about every
/// official website (P856) of the item, naming as successors the websites of the items that
/// replaced (P1366) or followed (P156) it where their files are there. Throws CatalogueError
/// naming the file for a malformed one.
void ReadWikidataItems(const std::filesystem::path& folder, Import& import);

} // namespace tnews::catalogue
