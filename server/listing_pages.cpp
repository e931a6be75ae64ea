#include "listing_pages.h"

#include "correction_pages.h"
#include "html.h"

#include <algorithm>
#include <map>

namespace tnews::server
{
namespace
{

constexpr std::string_view kSiteName = "Tavi's Newspapers";
// Up to this many papers fit a few screens of the pane and need no index.
constexpr std::size_t kPapersWithoutIndex = 12;
// Up to this many cities are listed by name in the index; past it, by first letter.
constexpr std::size_t kCitiesByName = 12;

struct Group
{
    std::string_view name; // the city, or the place for a language rule; empty: none given
    std::vector<const catalogue::Paper*> papers;
};

// A run of groups under one index entry: a letter, or a single city.
struct Section
{
    std::string label;
    std::vector<const Group*> groups;
};

// A language rule's papers come from the whole region, so they are grouped by place.
bool ByPlace(const PlaceListing& listing)
{
    return listing.rule && listing.rule->how == catalogue::PlaceRule::How::Language;
}

std::vector<Group> GroupPapers(const PlaceListing& listing, const Alphabetical& order)
{
    const bool byPlace = ByPlace(listing);
    std::vector<Group> groups;
    for (const catalogue::Paper* paper : listing.papers)
    {
        const std::string_view name = byPlace ? paper->place : std::string_view(paper->city);
        auto group = std::ranges::find(groups, name, &Group::name);
        if (group == groups.end())
            group = groups.insert(groups.end(), Group{name, {}});
        group->papers.push_back(paper);
    }
    std::ranges::sort(groups,
                      [&](const Group& a, const Group& b)
                      {
                          if (a.name.empty() != b.name.empty())
                              return b.name.empty(); // no city given: last
                          return order.Less(a.name, b.name);
                      });
    for (Group& group : groups)
    {
        std::ranges::sort(group.papers, [&](const catalogue::Paper* a, const catalogue::Paper* b)
                          { return order.Less(a->name, b->name); });
    }
    return groups;
}

std::string GroupName(const Group& group)
{
    return group.name.empty() ? std::string("City not given") : std::string(group.name);
}

std::vector<Section> Sections(const std::vector<Group>& groups, bool byLetter,
                              const Alphabetical& order)
{
    std::vector<Section> sections;
    for (const Group& group : groups)
    {
        std::string label = GroupName(group);
        if (byLetter && !group.name.empty())
            label = order.IndexLetter(group.name);
        if (!byLetter || sections.empty() || sections.back().label != label)
            sections.push_back(Section{std::move(label), {}});
        sections.back().groups.push_back(&group);
    }
    return sections;
}

std::string Count(std::size_t count, std::string_view one, std::string_view many)
{
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

std::string Summary(const PlaceListing& listing, const std::vector<Group>& groups,
                    const CheckResults& checks, std::size_t notAnswering)
{
    const bool byPlace = ByPlace(listing);
    const std::string placeKey(listing.region->placeKey);
    std::size_t named = 0;
    for (const Group& group : groups)
        named += group.name.empty() ? 0 : 1;
    std::string summary = Count(listing.papers.size(), "paper", "papers");
    if (named > 0)
    {
        const std::string places = placeKey.ends_with('y')
                                       ? placeKey.substr(0, placeKey.size() - 1) + "ies"
                                       : placeKey + "s";
        summary += " in " + (byPlace ? Count(named, placeKey, places)
                                     : Count(named, "city", "cities"));
    }
    const std::size_t failed = std::ranges::count_if(
        listing.papers, [&](const catalogue::Paper* paper)
        { return checks.Failure(paper->website) != nullptr; });
    if (failed > 0)
        summary += "; " + Count(failed, "link", "links") + " failed the last check (\u2717)";
    if (notAnswering > 0)
        summary += "; " + std::to_string(notAnswering) + " not answering, at the end";
    return summary + ".";
}

// `heading` (HTML, may be empty) and the papers of `group`. A group of a language rule's page
// is a place, and each of its papers says its city.
void AppendGroup(std::string& body, std::string_view heading, const Group& group, bool byPlace,
                 const CheckResults& checks)
{
    body += heading;
    body += "<ul>\n";
    for (const catalogue::Paper* paper : group.papers)
        AppendPaperItem(body, *paper, byPlace ? std::string_view(paper->city) : "", checks);
    body += "</ul>\n";
}

std::string Heading(std::string_view tag, std::string_view id, std::string_view html)
{
    std::string heading = "<" + std::string(tag);
    if (!id.empty())
        heading += " id=\"" + std::string(id) + "\"";
    return heading + ">" + std::string(html) + "</" + std::string(tag) + ">\n";
}

void AppendPapers(std::string& body, const std::vector<Group>& groups, std::size_t paperCount,
                  bool byPlace, const CheckResults& checks, const Alphabetical& order)
{
    if (paperCount <= kPapersWithoutIndex || groups.size() < 2)
    {
        for (const Group& group : groups)
            AppendGroup(body, Heading("h2", "", EscapeHtml(GroupName(group))), group, byPlace, checks);
        return;
    }
    const bool byLetter = groups.size() > kCitiesByName;
    const std::vector<Section> sections = Sections(groups, byLetter, order);
    body += "<p class=\"index\">";
    for (std::size_t i = 0; i < sections.size(); ++i)
    {
        body += "<a href=\"#g" + std::to_string(i + 1) + "\">" + EscapeHtml(sections[i].label) +
                "</a>\n";
    }
    body += "</p>\n";
    for (std::size_t i = 0; i < sections.size(); ++i)
    {
        const std::string id = "g" + std::to_string(i + 1);
        const Section& section = sections[i];
        if (!byLetter)
        {
            AppendGroup(body, Heading("h2", id, EscapeHtml(section.label)), *section.groups.front(),
                        byPlace, checks);
            continue;
        }
        // A letter's heading leads back to the index, which a small pane soon scrolls away.
        body += Heading("h2", id,
                        EscapeHtml(section.label) +
                            " <a class=\"top\" href=\"#top\">\u2191 index</a>");
        for (const Group* group : section.groups)
        {
            // The papers without a city are a section of their own, already named.
            const std::string heading =
                group->name.empty() ? std::string() : Heading("h3", "", EscapeHtml(group->name));
            AppendGroup(body, heading, *group, byPlace, checks);
        }
    }
}

// "Suggest a newspaper for PLACE", for the place whose papers the page shows; nothing for a
// language rule's page, whose papers come from every place.
std::string SuggestParagraph(const PlaceListing& listing)
{
    std::string_view place = listing.place;
    if (listing.rule && listing.rule->how == catalogue::PlaceRule::How::SameAs)
        place = listing.rule->value;
    else if (listing.rule)
        return {};
    return "<p class=\"suggest\"><a href=\"" + EscapeHtml(SuggestLink(*listing.region, place)) +
           "\">Suggest a newspaper for " + EscapeHtml(place) + "</a></p>\n";
}

// The papers whose websites have stopped answering, under a heading for each day they stopped,
// the earliest first, each paper with its city.
void AppendNotAnswering(std::string& body, const std::vector<const catalogue::Paper*>& papers,
                        const CheckResults& checks, const Alphabetical& order)
{
    std::map<std::string, std::vector<const catalogue::Paper*>> byDay;
    for (const catalogue::Paper* paper : papers)
        byDay[checks.Verdict(paper->website)->since.substr(0, 10)].push_back(paper);
    for (auto& [day, dayPapers] : byDay)
    {
        std::ranges::sort(dayPapers, [&](const catalogue::Paper* a, const catalogue::Paper* b)
                          { return order.Less(a->name, b->name); });
        body += Heading("h2", "", EscapeHtml("Not answering since " + day)) + "<ul>\n";
        for (const catalogue::Paper* paper : dayPapers)
            AppendPaperItem(body, *paper, paper->city, checks);
        body += "</ul>\n";
    }
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

std::string ListingPage(const PlaceListing& listing, const CheckResults& checks,
                        const Alphabetical& order)
{
    const std::string heading = std::string(listing.place) + " newspapers";
    std::string body = "<h1 id=\"top\">" + EscapeHtml(heading);
    if (!listing.papers.empty())
        body += " <span class=\"note\">(" + std::to_string(listing.papers.size()) + ")</span>";
    body += "</h1>\n";
    if (listing.rule)
        body += "<p class=\"rule\">" + EscapeHtml(listing.rule->note) + "</p>\n";
    if (listing.papers.empty())
    {
        if (!listing.rule)
            body += "<p>No " + EscapeHtml(listing.place) + " newspapers are listed yet.</p>\n";
        body += SuggestParagraph(listing);
        return HtmlPage(heading + " - " + std::string(kSiteName), body);
    }
    // Sites that have stopped answering are listed apart, at the end.
    PlaceListing live = listing;
    const auto goneFrom = std::ranges::stable_partition(
        live.papers, [&](const catalogue::Paper* p) { return !checks.NotAnswering(p->website); });
    const std::vector<const catalogue::Paper*> gone(goneFrom.begin(), goneFrom.end());
    live.papers.erase(goneFrom.begin(), goneFrom.end());
    const std::vector<Group> groups = GroupPapers(live, order);
    body +=
        "<p class=\"note\">" + EscapeHtml(Summary(live, groups, checks, gone.size())) + "</p>\n";
    body += SuggestParagraph(listing);
    AppendPapers(body, groups, live.papers.size(), ByPlace(listing), checks, order);
    AppendNotAnswering(body, gone, checks, order);
    return HtmlPage(heading + " - " + std::string(kSiteName), body);
}

} // namespace tnews::server
