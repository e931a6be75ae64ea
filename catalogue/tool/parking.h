// Pages that stand where a paper's website was: domain-parking and for-sale pages, and hosting
// accounts' "suspended" pages.
#pragma once

#include <string_view>

namespace tnews::catalogue
{

/// True if a final page at `url`, whose body starts with `body` (empty when only its headers
/// were asked for), is a parking, for-sale or suspended-account page rather than a paper's own:
/// its host is a domain marketplace's, or its address or body holds a parking service's marker.
bool IsParkingPage(std::string_view url, std::string_view body);

} // namespace tnews::catalogue
