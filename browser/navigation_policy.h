// Which pages the pane may show. The pane's engine is kept to trusted content: the program's
// own local files and pages of the directory server. Everything else belongs in the user's own
// browser, which is kept current and fits a newspaper's site far better than the small pane.
#pragma once

#include <string_view>

namespace tnews
{

enum class NavigationRoute
{
    Pane,           // show it in the pane
    DefaultBrowser, // open it in the system's default browser instead
    Nowhere,        // neither (a scheme no browser should be handed from a page)
};

/// Where a navigation to `url` belongs: file: URLs and about:blank, and http(s) URLs of
/// `directoryHost` (host compared case-insensitively, the port included, credentials ignored)
/// stay in the pane; other http(s) and mailto: URLs go to the default browser; anything else
/// goes nowhere.
NavigationRoute RouteNavigation(std::string_view url, std::string_view directoryHost);

/// True when `url` is an http(s) URL of `directoryHost`, compared as RouteNavigation does.
bool IsDirectoryServerUrl(std::string_view url, std::string_view directoryHost);

} // namespace tnews
