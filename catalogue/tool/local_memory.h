// The Local Memory Project's lists (MIT, 2017): usa.json with the US states' newspapers, TV and
// radio stations, and one source.json per town elsewhere, under Sources/<country>/<town>/.
#pragma once

#include "import.h"

namespace tnews::catalogue
{

inline constexpr std::string_view kLocalMemorySourceId = "local-memory";

/// Adds the newspapers of usa.json to `import`, placed by their state's postal code, and their
/// towns to `cities`. TV and radio stations are counted as dropped. Throws CatalogueError
/// naming the file (and the line, for text that is not JSON) when the file is malformed.
void ReadLocalMemoryUsa(std::string_view text, std::string_view fileName, Import& import,
                        CityIndex& cities);

/// The same for the source.json of one town of `country` (the folder's name): Canadian towns
/// are placed by their coordinates, others by the country.
void ReadLocalMemoryTown(std::string_view country, std::string_view text,
                         std::string_view fileName, Import& import, CityIndex& cities);

} // namespace tnews::catalogue
