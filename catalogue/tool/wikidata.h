// Wikidata's newspapers with an official website (CC0): a SPARQL result with one row per
// combination of an item's countries, places of publication and languages.
#pragma once

#include "import.h"

namespace tnews::catalogue
{

inline constexpr std::string_view kWikidataSourceId = "wikidata";

/// Adds one entry per Wikidata item of the SPARQL result in `text` to `import`. An item is
/// placed by its country; a US or Canadian item by its place of publication when that names a
/// state or province, or a town that `cities` finds in exactly one; a UK item in Scotland,
/// Wales or Northern Ireland where its place of publication says so. An item without a
/// country is placed only where its place of publication names exactly one place. Anything
/// else is left out with its reason. Throws CatalogueError for a malformed file.
void ReadWikidata(std::string_view text, std::string_view fileName, const CityIndex& cities,
                  Import& import);

} // namespace tnews::catalogue
