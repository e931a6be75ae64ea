#include "navigation_policy.h"

#include "directory/ascii.h"

#include <algorithm>
#include <string>

namespace tnews
{
namespace
{

struct HostPort
{
    std::string host;
    std::string port; // empty: the scheme's default
};

// "host", "host:port" or "[v6]:port"; the host lowercased.
HostPort SplitHostPort(std::string_view authority)
{
    const std::size_t bracket = authority.rfind(']');
    const std::size_t colon = authority.rfind(':');
    if (colon == std::string_view::npos || (bracket != std::string_view::npos && colon < bracket))
        return {AsciiLower(authority), {}};
    return {AsciiLower(authority.substr(0, colon)), std::string(authority.substr(colon + 1))};
}

} // namespace

NavigationRoute RouteNavigation(std::string_view url, std::string_view directoryHost)
{
    const std::size_t colon = url.find(':');
    if (colon == std::string_view::npos)
        return NavigationRoute::Nowhere;
    const std::string scheme = AsciiLower(url.substr(0, colon));
    if (scheme == "file" || AsciiLower(url) == "about:blank")
        return NavigationRoute::Pane;
    if (scheme == "mailto")
        return NavigationRoute::DefaultBrowser;
    if (scheme != "http" && scheme != "https")
        return NavigationRoute::Nowhere;

    std::string_view rest = url.substr(colon + 1);
    if (!rest.starts_with("//"))
        return NavigationRoute::Nowhere;
    rest.remove_prefix(2);
    std::string_view authority = rest.substr(0, rest.find_first_of("/?#\\"));
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);

    const std::string defaultPort = scheme == "http" ? "80" : "443";
    HostPort target = SplitHostPort(authority);
    HostPort trusted = SplitHostPort(directoryHost);
    if (target.port.empty())
        target.port = defaultPort;
    if (trusted.port.empty())
        trusted.port = defaultPort;
    const bool trustedHost =
        !target.host.empty() && target.host == trusted.host && target.port == trusted.port;
    return trustedHost ? NavigationRoute::Pane : NavigationRoute::DefaultBrowser;
}

bool IsDirectoryServerUrl(std::string_view url, std::string_view directoryHost)
{
    const std::string scheme = AsciiLower(url.substr(0, url.find(':')));
    return (scheme == "http" || scheme == "https") &&
           RouteNavigation(url, directoryHost) == NavigationRoute::Pane;
}

} // namespace tnews
