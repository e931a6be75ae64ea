#include "search_pages.h"

#include "directory/query_encoding.h"
#include "html.h"
#include "listing_pages.h"

namespace tnews::server
{
namespace
{

constexpr std::string_view kSiteName = "Tavi's Newspapers";

std::string TypedText(std::string_view typed)
{
    return "\u201C<span class=\"typed\">" + EscapeHtml(typed) + "</span>\u201D";
}

// "Previous" and "next" links with the page number between them; nothing for a single page.
std::string PageLinks(const RegionInfo& region, std::string_view typed, std::size_t page,
                      std::size_t pages)
{
    if (pages <= 1)
        return {};
    std::string links = "<p class=\"pages\">";
    if (page > 1)
    {
        links += "<a rel=\"prev\" href=\"" + EscapeHtml(SearchPageLink(region, typed, page - 1)) +
                 "\">\u2039 previous</a> ";
    }
    links += "page " + std::to_string(page) + " of " + std::to_string(pages);
    if (page < pages)
    {
        links += " <a rel=\"next\" href=\"" +
                 EscapeHtml(SearchPageLink(region, typed, page + 1)) + "\">next \u203A</a>";
    }
    return links + "</p>\n";
}

} // namespace

std::size_t SearchPageCount(std::size_t total)
{
    return total == 0 ? 1 : (total + kSearchPageSize - 1) / kSearchPageSize;
}

std::string SearchPageLink(const RegionInfo& region, std::string_view typed, std::size_t page)
{
    std::string link = "?region=" + std::string(region.regionValue) +
                       "&skwords=" + EncodeQueryValue(typed);
    if (page > 1)
        link += "&page=" + std::to_string(page);
    return link;
}

std::string SearchPage(const RegionInfo& region, std::string_view typed, std::size_t page,
                       const SearchResult& result, const catalogue::Catalogue& catalogue,
                       const CheckResults& checks)
{
    const std::string adjective(RegionAdjective(region));
    const std::string placeKey(region.placeKey);
    std::string body = "<h1>All " + EscapeHtml(adjective) + " newspapers matching " +
                       TypedText(typed) + "</h1>\n";
    // The program sends the region and the words, never the place its list shows.
    std::string scope = "the whole region, by name, city, " + placeKey + " and the " + placeKey +
                        "'s other names";
    if (result.total == 0)
    {
        body += "<p>No " + EscapeHtml(adjective) +
                " newspaper has all of these words; searched " + EscapeHtml(scope) + ".</p>\n";
    }
    else
    {
        const std::size_t first = (page - 1) * kSearchPageSize + 1;
        const std::size_t last = first + result.papers.size() - 1;
        body += "<p class=\"note\">" + std::to_string(result.total) +
                (result.total == 1 ? " match" : " matches") + " in " + EscapeHtml(scope);
        if (result.total > result.papers.size())
            body += "; " + std::to_string(first) + "\u2013" + std::to_string(last) + " shown";
        body += ".</p>\n";
    }
    const std::string links = PageLinks(region, typed, page, SearchPageCount(result.total));
    body += links;
    if (!result.papers.empty())
    {
        body += "<ul>\n";
        for (std::size_t index : result.papers)
        {
            const catalogue::Paper& paper = catalogue.papers[index];
            const std::string where =
                paper.city.empty() ? std::string(paper.place) : paper.city + ", " + std::string(paper.place);
            AppendPaperItem(body, paper, where, checks, catalogue.sources);
        }
        body += "</ul>\n";
        body += links;
    }
    std::string title = adjective + " newspapers matching \u201C" + std::string(typed) + "\u201D";
    if (page > 1)
        title += ", page " + std::to_string(page);
    return HtmlPage(title + " - " + std::string(kSiteName), body);
}

std::string AskForWordPage(const RegionInfo& region, std::string_view typed)
{
    const std::string adjective(RegionAdjective(region));
    const std::string what =
        "word of a newspaper's name, its city or its " + std::string(region.placeKey) + ".</p>\n";
    std::string body = "<h1>Search " + EscapeHtml(adjective) + " newspapers</h1>\n<p>";
    if (IsKeywordStartText(typed))
    {
        body += "Type your words into the keyword box first, in place of " + TypedText(typed) +
                ": a " + what;
    }
    else
    {
        if (typed.find_first_not_of(" \t") != std::string_view::npos)
            body += TypedText(typed) + " has no letter or digit. ";
        body += "Type a " + what;
    }
    return HtmlPage("Search " + adjective + " newspapers - " + std::string(kSiteName), body);
}

std::string TooManyCharactersPage(const RegionInfo& region, std::string_view typed,
                                  std::size_t characters, std::size_t limit)
{
    const std::string adjective(RegionAdjective(region));
    std::string body = "<h1>Search " + EscapeHtml(adjective) + " newspapers</h1>\n";
    body += "<p>Your search is too long to look up: it has " + std::to_string(characters) +
            " characters, and a search may have at most " + std::to_string(limit) + ". ";
    body += "A few words of a newspaper's name, its city or its " + std::string(region.placeKey) +
            " are enough.</p>\n";
    body += "<p>You searched for " + TypedText(typed) + ".</p>\n";
    return HtmlPage("Search " + adjective + " newspapers - " + std::string(kSiteName), body);
}

} // namespace tnews::server
