// The pages of a keyword search: one page of ranked results, and the answer to a text without
// any word.
#pragma once

#include "catalogue/catalogue_file.h"
#include "paper_items.h"
#include "search_store.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace tnews::server
{

/// Results shown on one page of a keyword search.
inline constexpr std::size_t kSearchPageSize = 50;

/// How many pages `total` results take; one even for none.
std::size_t SearchPageCount(std::size_t total);

/// Page `page` (from 1) of the search of `region` for `typed`: a heading that says the whole
/// region was searched, how many matched in all, the results in their rank with city and
/// place, and links to the previous and next pages. The links are relative (a query on the same
/// script), so that the credentials of the page's own address carry over. Indexes in `result`
/// refer to the papers of `catalogue`. Every value is escaped.
std::string SearchPage(const RegionInfo& region, std::string_view typed, std::size_t page,
                       const SearchResult& result, const catalogue::Catalogue& catalogue,
                       const CheckResults& checks);

/// The relative link to page `page` of the search for `typed` in `region`, the keywords
/// percent-encoded so that they arrive as typed ("?region=usa&skwords=a%26b&page=2"; page 1
/// has no page key).
std::string SearchPageLink(const RegionInfo& region, std::string_view typed, std::size_t page);

/// The answer to a keyword text without any word, or to the keyword box's untouched start
/// text: it asks for words typed into the box.
std::string AskForWordPage(const RegionInfo& region, std::string_view typed);

/// The answer to a keyword text of `characters` characters, more than the `limit` searched: it
/// says so in a reader's words and shows the text as typed.
std::string TooManyCharactersPage(const RegionInfo& region, std::string_view typed,
                                  std::size_t characters, std::size_t limit);

} // namespace tnews::server
