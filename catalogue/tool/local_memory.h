// The Local Memory Project's lists (MIT, 2017): usa.json with the US states' newspapers, TV and
// radio stations, and one source.json per town elsewhere, under Sources/<country>/<town>/.
#pragma once

#include "import.h"

namespace tnews::catalogue
{

inline constexpr std::string_view kLocalMemorySourceId = "local-memory";

/// How one list of US newspapers in the layout of Local Memory's usa.json is read.
struct UsListReading
{
    std::string_view source;     // the id its entries carry
    CityIndex* cities = nullptr; // where its towns are indexed; null: nowhere
    // Entries whose "extracted-from" is this are another list's, carried over unchanged: they
    // are counted and skipped. Empty: none are.
    std::string_view carriedOver;
};

/// Adds the newspapers of a US list in usa.json's layout ({state code: {"newspaper": [...],
/// "tv": [...], ...}}) to `import`, placed by their state's postal code. TV, radio and
/// broadcast stations are counted as dropped. Throws CatalogueError naming the file (and the
/// line, for text that is not JSON) when the file is malformed.
void ReadUsStateLists(std::string_view text, std::string_view fileName, const UsListReading& how,
                      Import& import);

/// The main feed among a paper's feed URLs: comment feeds aside, the shortest (a site's "/feed"
/// rather than one of its sections), the first in byte order among equals; empty for none.
std::string MainFeed(const std::vector<std::string>& feeds);

/// The same for the source.json of one town of `country` (the folder's name): Canadian towns
/// are placed by their coordinates, others by the country.
void ReadLocalMemoryTown(std::string_view country, std::string_view text,
                         std::string_view fileName, Import& import, CityIndex& cities);

} // namespace tnews::catalogue
