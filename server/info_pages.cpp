#include "info_pages.h"

#include "html.h"
#include "listing_pages.h"

#include <set>

namespace tnews::server
{

std::string UpdatePage(Version running, Version latest, std::string_view publisherUrl)
{
    const std::string runningText = FormatVersion(running);
    if (running >= latest)
    {
        return HtmlPage("Tavi's Newspapers is up to date",
                        "<h1>Tavi's Newspapers is up to date</h1>\n<p>Version " +
                            EscapeHtml(runningText) + " is the current version.</p>\n");
    }
    const std::string latestText = FormatVersion(latest);
    return HtmlPage("Tavi's Newspapers " + latestText + " is available",
                    "<h1>Tavi's Newspapers " + EscapeHtml(latestText) +
                        " is available</h1>\n<p>You have version " + EscapeHtml(runningText) +
                        ". Version " + EscapeHtml(latestText) + " is on the <a href=\"" +
                        EscapeHtml(publisherUrl) +
                        "\" target=\"_blank\" rel=\"noopener noreferrer\">publisher's "
                        "website</a>.</p>\n");
}

std::string PublisherPage(std::span<const Newspaper> newspapers, Version latest)
{
    std::string body =
        "<h1>Tavi's Newspapers</h1>\n"
        "<p>Tavi's Newspapers, by Tavi Orlund, helps you find the websites of newspapers by "
        "place, as an alternative to search engines. It is one small window: choose Canadian, "
        "USA or International newspapers, then a province, state or country, and the newspapers "
        "of that place are listed, each a link to its website. A keyword box searches a whole "
        "region by name, city or place.</p>\n"
        "<h2>The catalogue</h2>\n"
        "<table>\n<tr><th>Region</th><th>Newspapers</th><th>Places with newspapers</th></tr>\n";
    std::size_t total = 0;
    for (const RegionInfo& region : Regions())
    {
        std::size_t count = 0;
        std::set<std::string_view> places;
        for (const Newspaper& paper : newspapers)
        {
            if (paper.region == &region)
            {
                ++count;
                places.insert(paper.place);
            }
        }
        total += count;
        body += "<tr><td>" + EscapeHtml(RegionAdjective(region)) + "</td><td>" +
                std::to_string(count) + "</td><td>" + std::to_string(places.size()) + " of " +
                std::to_string(region.places.size()) + "</td></tr>\n";
    }
    body += "</table>\n<p>" + std::to_string(total) +
            " newspapers in all. The latest release of the program is version " +
            EscapeHtml(FormatVersion(latest)) + ".</p>\n";
    return HtmlPage("Tavi's Newspapers", body);
}

std::string ErrorPage(std::string_view title, std::string_view message)
{
    return HtmlPage(title,
                    "<h1>" + EscapeHtml(title) + "</h1>\n<p>" + EscapeHtml(message) + "</p>\n");
}

} // namespace tnews::server
