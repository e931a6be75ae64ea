#include "listing_pages.h"

#include "correction_pages.h"
#include "html.h"

#include <algorithm>
#include <map>
#include <utility>

namespace tnews::server
{
namespace
{

constexpr std::string_view kSiteName = "Tavi's Newspapers";
// Up to this many papers fit a few screens of the pane and need no index.
constexpr std::size_t kPapersWithoutIndex = 12;
// Up to this many cities are listed by name in the index; past it, by first letter.
constexpr std::size_t kCitiesByName = 12;
constexpr std::string_view kClosedHeading = "Reported closed";

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

std::vector<Group> GroupPapers(const PlaceListing& listing,
                               const std::vector<const catalogue::Paper*>& papers,
                               const Alphabetical& order)
{
    const bool byPlace = ByPlace(listing);
    std::vector<Group> groups;
    for (const catalogue::Paper* paper : papers)
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

std::string Summary(const PlaceListing& listing, const std::vector<Group>& groups, std::size_t live,
                    std::size_t closed, std::size_t notAnswering, const CheckResults& checks)
{
    const bool byPlace = ByPlace(listing);
    const std::string placeKey(listing.region->placeKey);
    std::size_t named = 0;
    for (const Group& group : groups)
        named += group.name.empty() ? 0 : 1;
    std::string summary = Count(live, "paper", "papers");
    if (named > 0)
    {
        const std::string places = placeKey.ends_with('y')
                                       ? placeKey.substr(0, placeKey.size() - 1) + "ies"
                                       : placeKey + "s";
        summary += " in " + (byPlace ? Count(named, placeKey, places)
                                     : Count(named, "city", "cities"));
    }
    std::size_t failed = 0;
    for (const Group& group : groups)
    {
        failed += std::ranges::count_if(group.papers, [&](const catalogue::Paper* paper)
                                        { return checks.Failure(paper->website) != nullptr; });
    }
    if (failed > 0)
        summary += "; " + Count(failed, "link", "links") + " failed the last check (\u2717)";
    if (notAnswering > 0)
        summary += "; " + std::to_string(notAnswering) + " not answering";
    if (closed > 0)
        summary += "; " + std::to_string(closed) + " reported closed";
    if (notAnswering > 0 || closed > 0)
        summary += ", listed at the end";
    return summary + ".";
}

// `heading` (HTML, may be empty) and the papers of `group`. A group of a language rule's page
// is a place, and each of its papers says its city.
void AppendGroup(std::string& body, std::string_view heading, const Group& group,
                 const PlaceListing& listing, const CheckResults& checks)
{
    body += heading;
    body += "<ul>\n";
    for (const catalogue::Paper* paper : group.papers)
    {
        AppendPaperItem(body, *paper, ByPlace(listing) ? std::string_view(paper->city) : "", checks,
                        listing.sources);
    }
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
                  bool anyGone, bool anyClosed, const PlaceListing& listing,
                  const CheckResults& checks, const Alphabetical& order)
{
    if (paperCount <= kPapersWithoutIndex || groups.size() < 2)
    {
        for (const Group& group : groups)
            AppendGroup(body, Heading("h2", "", EscapeHtml(GroupName(group))), group, listing,
                        checks);
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
    if (anyGone)
        body += "<a href=\"#gone\">Not answering</a>\n";
    if (anyClosed)
        body += "<a href=\"#closed\">" + std::string(kClosedHeading) + "</a>\n";
    body += "</p>\n";
    for (std::size_t i = 0; i < sections.size(); ++i)
    {
        const std::string id = "g" + std::to_string(i + 1);
        const Section& section = sections[i];
        if (!byLetter)
        {
            AppendGroup(body, Heading("h2", id, EscapeHtml(section.label)), *section.groups.front(),
                        listing, checks);
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
            AppendGroup(body, heading, *group, listing, checks);
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

// The papers of a part at the end of the page, in alphabetical order, each with its city (its
// place on a language rule's page).
void AppendEndPart(std::string& body, std::vector<const catalogue::Paper*> papers,
                   const PlaceListing& listing, const CheckResults& checks,
                   const Alphabetical& order)
{
    std::ranges::sort(papers, [&](const catalogue::Paper* a, const catalogue::Paper* b)
                      { return order.Less(a->name, b->name); });
    body += "<ul>\n";
    for (const catalogue::Paper* paper : papers)
    {
        const std::string_view where =
            ByPlace(listing) ? std::string_view(paper->place) : std::string_view(paper->city);
        AppendPaperItem(body, *paper, where, checks, listing.sources);
    }
    body += "</ul>\n";
}

// The papers whose websites have stopped answering, under a heading for each day they stopped,
// the earliest first (its heading the index's target), each paper with its city.
void AppendNotAnswering(std::string& body, const std::vector<const catalogue::Paper*>& papers,
                        const PlaceListing& listing, const CheckResults& checks,
                        const Alphabetical& order)
{
    std::map<std::string, std::vector<const catalogue::Paper*>> byDay;
    for (const catalogue::Paper* paper : papers)
        byDay[checks.Verdict(paper->website)->since.substr(0, 10)].push_back(paper);
    std::string_view id = "gone";
    for (auto& [day, dayPapers] : byDay)
    {
        body += Heading("h2", std::exchange(id, ""), EscapeHtml("Not answering since " + day));
        AppendEndPart(body, dayPapers, listing, checks, order);
    }
}

// The papers reported closed, under their heading.
void AppendClosed(std::string& body, std::vector<const catalogue::Paper*> papers,
                  const PlaceListing& listing, const CheckResults& checks,
                  const Alphabetical& order)
{
    if (papers.empty())
        return;
    body += Heading("h2", "closed", std::string(kClosedHeading));
    AppendEndPart(body, std::move(papers), listing, checks, order);
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
    // Papers reported closed, and then those whose sites have stopped answering, are listed
    // apart, at the end.
    std::vector<const catalogue::Paper*> live, closed, gone;
    for (const catalogue::Paper* paper : listing.papers)
    {
        if (checks.Status(*paper).reportedClosed)
            closed.push_back(paper);
        else
            (checks.NotAnswering(paper->website) ? gone : live).push_back(paper);
    }
    const std::string heading = std::string(listing.place) + " newspapers";
    std::string body = "<h1 id=\"top\">" + EscapeHtml(heading);
    if (!live.empty())
        body += " <span class=\"note\">(" + std::to_string(live.size()) + ")</span>";
    body += "</h1>\n";
    if (listing.rule)
        body += "<p class=\"rule\">" + EscapeHtml(listing.rule->note) + "</p>\n";
    if (listing.note)
        body += "<p class=\"rule\">" + EscapeHtml(listing.note->text) + "</p>\n";
    if (listing.papers.empty())
    {
        if (!listing.rule)
            body += "<p>No " + EscapeHtml(listing.place) + " newspapers are listed yet.</p>\n";
        body += SuggestParagraph(listing);
        return HtmlPage(heading + " - " + std::string(kSiteName), body);
    }
    const std::vector<Group> groups = GroupPapers(listing, live, order);
    body += "<p class=\"note\">" +
            EscapeHtml(Summary(listing, groups, live.size(), closed.size(), gone.size(), checks)) +
            "</p>\n";
    body += SuggestParagraph(listing);
    AppendPapers(body, groups, live.size(), !gone.empty(), !closed.empty(), listing, checks,
                 order);
    AppendNotAnswering(body, gone, listing, checks, order);
    AppendClosed(body, std::move(closed), listing, checks, order);
    return HtmlPage(heading + " - " + std::string(kSiteName), body);
}

} // namespace tnews::server
