#include "listing_pages.h"

#include "html.h"

#include <algorithm>

namespace tnews::server
{
namespace
{

constexpr std::string_view kSiteName = "Tavi's Newspapers";

void AppendItem(std::string& html, const Newspaper& paper)
{
    // target and rel make the program hand the link to the user's browser instead of leaving
    // the directory in its small pane, and keep the directory's address from the newspaper.
    html += "<li><a href=\"";
    html += EscapeHtml(paper.website);
    html += "\" target=\"_blank\" rel=\"noopener noreferrer\">";
    html += EscapeHtml(paper.name);
    html += "</a> <span class=\"city\">\u2014 ";
    html += EscapeHtml(paper.city);
    html += "</span></li>\n";
}

std::string TypedText(std::string_view typed)
{
    return "\u201C<span class=\"typed\">" + EscapeHtml(typed) + "</span>\u201D";
}

} // namespace

std::string_view RegionAdjective(const RegionInfo& region)
{
    std::string_view heading = region.heading;
    constexpr std::string_view kSuffix = " Newspapers";
    if (heading.ends_with(kSuffix))
        heading.remove_suffix(kSuffix.size());
    return heading;
}

std::string ListingPage(std::string_view place, std::span<const Newspaper* const> newspapers)
{
    const std::string heading = std::string(place) + " newspapers";
    std::string body = "<h1>" + EscapeHtml(heading);
    if (newspapers.empty())
    {
        body += "</h1>\n<p>No " + EscapeHtml(place) + " newspapers are listed yet.</p>\n";
        return HtmlPage(heading + " - " + std::string(kSiteName), body);
    }
    body += " <span class=\"note\">(" + std::to_string(newspapers.size()) + ")</span></h1>\n";
    body += "<ul>\n";
    for (const Newspaper* paper : newspapers)
        AppendItem(body, *paper);
    body += "</ul>\n";
    return HtmlPage(heading + " - " + std::string(kSiteName), body);
}

std::string SearchPage(const RegionInfo& region, std::string_view typed,
                       std::span<const Newspaper> newspapers, const SearchResult& result)
{
    const std::string adjective(RegionAdjective(region));
    std::string body =
        "<h1>" + EscapeHtml(adjective) + " newspapers matching " + TypedText(typed) + "</h1>\n";
    if (result.newspapers.empty())
    {
        body += "<p>No " + EscapeHtml(adjective) +
                " newspaper has all of these words in its name, city or " +
                std::string(region.placeKey) + ".</p>\n";
    }

    // Places in the order of their best match; newspapers keep their rank within a place.
    std::vector<std::string_view> places;
    for (std::size_t index : result.newspapers)
    {
        if (std::ranges::find(places, newspapers[index].place) == places.end())
            places.push_back(newspapers[index].place);
    }
    for (std::string_view place : places)
    {
        body += "<h2>" + EscapeHtml(place) + "</h2>\n<ul>\n";
        for (std::size_t index : result.newspapers)
        {
            if (newspapers[index].place == place)
                AppendItem(body, newspapers[index]);
        }
        body += "</ul>\n";
    }
    if (result.total > result.newspapers.size())
    {
        body += "<p class=\"note\">Showing the best " + std::to_string(result.newspapers.size()) +
                " of " + std::to_string(result.total) +
                " matches; add a word to narrow the search.</p>\n";
    }
    return HtmlPage(adjective + " newspapers matching \u201C" + std::string(typed) + "\u201D - " +
                        std::string(kSiteName),
                    body);
}

std::string AskForWordPage(const RegionInfo& region, std::string_view typed)
{
    const std::string adjective(RegionAdjective(region));
    std::string body = "<h1>Search " + EscapeHtml(adjective) + " newspapers</h1>\n<p>";
    if (typed.find_first_not_of(" \t") != std::string_view::npos)
        body += TypedText(typed) + " has no letter or digit. ";
    body += "Type a word of a newspaper's name, its city or its " + std::string(region.placeKey) +
            ".</p>\n";
    return HtmlPage("Search " + adjective + " newspapers - " + std::string(kSiteName), body);
}

} // namespace tnews::server
