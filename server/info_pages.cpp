#include "info_pages.h"

#include "html.h"
#include "listing_pages.h"

#include <algorithm>
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

namespace
{

std::string RegionTable(const catalogue::Catalogue& catalogue, const CheckResults& checks)
{
    std::string table = "<table>\n<tr><th>Region</th><th>Papers</th><th>College papers</th>"
                        "<th>Places with papers</th><th>Reported closed</th></tr>\n";
    std::size_t total = 0;
    std::size_t totalClosed = 0;
    for (const RegionInfo& region : Regions())
    {
        std::size_t count = 0;
        std::size_t colleges = 0;
        std::size_t closed = 0;
        std::set<std::string_view> places;
        for (const catalogue::Paper& paper : catalogue.papers)
        {
            if (paper.region != &region)
                continue;
            if (checks.Status(paper).reportedClosed)
            {
                ++closed;
                continue;
            }
            ++count;
            colleges += paper.kind == catalogue::Kind::College ? 1 : 0;
            places.insert(paper.place);
        }
        total += count;
        totalClosed += closed;
        table += "<tr><td>" + EscapeHtml(RegionAdjective(region)) + "</td><td>" +
                 std::to_string(count) + "</td><td>" + std::to_string(colleges) + "</td><td>" +
                 std::to_string(places.size()) + " of " + std::to_string(region.places.size()) +
                 "</td><td>" + std::to_string(closed) + "</td></tr>\n";
    }
    return table + "</table>\n<p>" + std::to_string(total) + " papers in all, and " +
           std::to_string(totalClosed) +
           " reported closed, which their places list at the end.</p>\n";
}

std::string SourceTable(const catalogue::Catalogue& catalogue)
{
    std::string html = "<h2>Where the papers come from</h2>\n<table>\n<tr><th>Source</th>"
                       "<th>Licence</th><th>Date</th><th>Papers it lists</th></tr>\n";
    for (const catalogue::Source& source : catalogue.sources)
    {
        const auto count = std::ranges::count_if(
            catalogue.papers, [&](const catalogue::Paper& paper)
            { return std::ranges::find(paper.sources, source.id) != paper.sources.end(); });
        std::string name = EscapeHtml(source.name);
        if (!source.url.empty())
        {
            name = "<a href=\"" + EscapeHtml(source.url) +
                   "\" rel=\"noopener noreferrer\">" + name + "</a>";
        }
        html += "<tr><td>" + name + "</td><td>" + EscapeHtml(source.licence) + "</td><td>" +
                EscapeHtml(source.date) + "</td><td>" + std::to_string(count) + "</td></tr>\n";
    }
    html += "</table>\n<p class=\"note\">A paper that several sources list counts for each of "
            "them. A list copied from other directories says only that a paper was listed then; "
            "a link check, a feed that answered or a national library's word that a paper is "
            "current says its site was alive, and a report that it closed moves it to the end "
            "of its place's page unless its site was seen alive since.</p>\n";
    for (const catalogue::Source& source : catalogue.sources)
    {
        if (source.attribution.empty())
            continue;
        html += "<h3>" + EscapeHtml(source.name) + "</h3>\n<p class=\"notice\">" +
                EscapeHtml(source.attribution) + "</p>\n";
    }
    return html;
}

std::string ChecksAndExports(const CheckResults& checks, std::span<const Export> exports)
{
    std::string html = "<h2>Links</h2>\n<p>";
    if (checks.CheckedCount() == 0)
    {
        html += "The websites have not been checked yet.";
    }
    else
    {
        html += std::to_string(checks.CheckedCount()) + " websites were checked, the latest on " +
                EscapeHtml(checks.LatestDay()) + "; " + std::to_string(checks.FailedCount()) +
                " failed, and their papers carry a \u2717 on the pages that list them.";
    }
    html += "</p>\n<h2>Download</h2>\n<p>";
    std::string links;
    for (const Export& file : exports)
    {
        if (!file.content)
            continue;
        if (!links.empty())
            links += ", ";
        links += "<a href=\"" + EscapeHtml(std::string(kExportsPath) + file.fileName) + "\">" +
                 EscapeHtml(file.fileName) + "</a>";
    }
    if (links.empty())
        html += "This server offers no download of the catalogue yet.";
    else
        html += "The whole catalogue, under its sources' licences: " + links + ".";
    return html + "</p>\n";
}

} // namespace

std::string PublisherPage(const catalogue::Catalogue& catalogue, const CheckResults& checks,
                          std::span<const Export> exports, Version latest)
{
    std::string body =
        "<h1>Tavi's Newspapers</h1>\n"
        "<p>Tavi's Newspapers, by Tavi Orlund, helps you find the websites of newspapers by "
        "place, as an alternative to search engines. It is one small window: choose Canadian, "
        "USA or International newspapers, then a province, state or country, and the newspapers "
        "of that place are listed, each a link to its website. A keyword box searches a whole "
        "region by name, city or place.</p>\n"
        "<h2>The catalogue</h2>\n";
    body += RegionTable(catalogue, checks);
    body += SourceTable(catalogue);
    body += ChecksAndExports(checks, exports);
    body += "<p>The latest release of the program is version " +
            EscapeHtml(FormatVersion(latest)) + ".</p>\n";
    return HtmlPage("Tavi's Newspapers", body);
}

std::string ErrorPage(std::string_view title, std::string_view message)
{
    return HtmlPage(title,
                    "<h1>" + EscapeHtml(title) + "</h1>\n<p>" + EscapeHtml(message) + "</p>\n");
}

} // namespace tnews::server
