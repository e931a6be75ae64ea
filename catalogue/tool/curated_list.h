// The curated list data/newspapers.tsv, typed in by hand for this program.
#pragma once

#include "import.h"

namespace tnews::catalogue
{

/// When the curated list was last edited. Its lines are the publisher's word that the papers
/// they name were current then; nothing here says a home page was checked.
inline constexpr std::string_view kCuratedListDate = "2026-12";

/// Adds the papers of the curated list in `text` to `import`, each with its sign of life.
/// Lines hold five or six TAB-separated fields: region, place, name, city, website and,
/// optionally, the language.
/// Throws CatalogueError "file:line: problem" for any malformed line, a place the list doesn't
/// have, a place whose rule sends its papers elsewhere, and a paper listed twice in a place.
void ReadCuratedList(std::string_view text, std::string_view fileName, Import& import);

} // namespace tnews::catalogue
