#include "parking.h"

#include "directory/ascii.h"
#include "website_key.h"

#include <algorithm>

namespace tnews::catalogue
{
namespace
{

// Domain marketplaces where an expired paper's domain now leads, each with a subdomain matching
// too. Every one is the website that 3DLNews (resources/usa_2016_2024_pu5e.json.gz, commit
// e2fcb9e, MIT, 2024) gives for one or more US newspapers, as its for-sale page, e.g.
// https://www.hugedomains.com/domain_profile.cfm?d=coosanews&e=com (17 papers),
// https://www.afternic.com/forsale/houstongazette.com (8), https://www.buydomains.com/lander/
// tntoday.com (6), https://dan.com/buy-domain/portorfordnews.com (5),
// https://sedo.com/search/details/?domain=georgetownnews.com (1), https://www.domainmarket.com/
// (Canal Traveller) and https://venture.com/domains/bhcn.com (Belle Fourche Post & Bee).
constexpr std::string_view kParkingHosts[] = {
    "hugedomains.com", "afternic.com",     "buydomains.com", "dan.com",
    "sedo.com",        "domainmarket.com", "venture.com",
};

// Text looked for, ignoring ASCII case, in the final address and the first bytes of the page:
// - "/cgi-sys/suspendedpage.cgi": the page of a suspended hosting account, which 3DLNews gives
//   as the website of 4 US newspapers (e.g. http://www.ponchatoula.com/cgi-sys/suspendedpage.cgi).
// - GoDaddy's notice on the domains it parks, "This Web page is parked for FREE, courtesy of
//   GoDaddy.com", as a public post on domain parking quotes it
//   (http://blog.coalworks.in/archives/307).
// - Host names of two parking services' own servers, from the list of 82 parking services
//   published with Zirngibl et al., "Domain Parking: Largely Present, Rarely Considered!"
//   (TMA 2022; parking_services.json of parkingtma.github.io): a page that names them in its
//   first bytes is taken as that service's, which a paper's home page has no reason to name.
constexpr std::string_view kParkingMarkers[] = {
    "/cgi-sys/suspendedpage.cgi",
    "parked for free, courtesy of godaddy.com",
    "sedoparking.com",
    "parkingcrew.net",
};

bool OnParkingHost(std::string_view url)
{
    const std::optional<std::string> host = UrlHost(url);
    return host && std::ranges::any_of(
                       kParkingHosts, [&](std::string_view parking)
                       { return *host == parking || host->ends_with("." + std::string(parking)); });
}

} // namespace

bool IsParkingPage(std::string_view url, std::string_view body)
{
    if (OnParkingHost(url))
        return true;
    const std::string text = AsciiLower(url) + "\n" + AsciiLower(body);
    return std::ranges::any_of(kParkingMarkers, [&](std::string_view marker)
                               { return text.find(marker) != std::string::npos; });
}

} // namespace tnews::catalogue
