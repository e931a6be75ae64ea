// The pages of the directory scripts: a place's newspapers and keyword search results.
#pragma once

#include "catalogue_file.h"
#include "search_store.h"

#include <span>
#include <string>
#include <string_view>

namespace tnews::server
{

/// The newspapers of one place, in the given order, each name a link that opens in the user's
/// own browser, followed by its city. No newspapers gives a page saying none are listed yet.
std::string ListingPage(std::string_view place, std::span<const Newspaper* const> newspapers);

/// The results of searching `region` for `typed`, grouped by place in order of each place's best
/// match, with a note when `result.total` exceeds what is shown. Indexes in `result` refer to
/// `newspapers`.
std::string SearchPage(const RegionInfo& region, std::string_view typed,
                       std::span<const Newspaper> newspapers, const SearchResult& result);

/// The answer to a keyword text without any word: it asks for one.
std::string AskForWordPage(const RegionInfo& region, std::string_view typed);

/// "Canadian", "USA" or "International": the region as an adjective for headings.
std::string_view RegionAdjective(const RegionInfo& region);

} // namespace tnews::server
