// The news feed list of countries (MIT): {ISO3: [{publication_name, publication_website_uri,
// publication_rss_feed_uri, ...}]}, and the feeds that answered in its latest scan in the same
// shape. It mixes papers with TV, radio, agencies, portals, blogs and podcasts and has no field
// that tells them apart, so it adds no paper: it fills the feeds of papers other sources list,
// and its scan is a sign that their sites lived.
#pragma once

#include "import.h"

namespace tnews::catalogue
{

inline constexpr std::string_view kNewsFeedsSourceId = "news-feeds";

/// Adds the list's evidence about each website it names to `import`: the site's main feed
/// (one that answered in the scan first, then MainFeed's choice) and, when one of its feeds
/// answered in the scan of `scanDate`, a sign of life on that day. Throws CatalogueError naming
/// the file for a malformed one.
void ReadNewsFeeds(std::string_view listText, std::string_view listName,
                   std::string_view answeredText, std::string_view answeredName,
                   std::string_view scanDate, Import& import);

} // namespace tnews::catalogue
