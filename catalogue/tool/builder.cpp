#include "builder.h"

#include "catalogue/file_lines.h"
#include "catalogue/paper_status.h"
#include "catalogue/text_fields.h"
#include "corrections_file.h"
#include "curated_list.h"
#include "json_input.h"
#include "local_memory.h"
#include "news_feeds.h"
#include "nz_newspapers.h"
#include "paper_merge.h"
#include "site_rules.h"
#include "website_key.h"
#include "wikidata.h"
#include "wikidata_items.h"

#include <algorithm>
#include <numeric>
#include <set>
#include <sstream>

namespace tnews::catalogue
{
namespace
{

namespace fs = std::filesystem;

constexpr std::string_view kThreeDlNewsSourceId = "3dlnews";
constexpr std::string_view kPartisanSourceId = "partisan-local-news";
// 3DLNews marks the entries of Local Memory's own list, which it extended, with the sites
// that list was taken from; every one of their websites is in Local Memory's list.
constexpr std::string_view kCarriedOverFromLocalMemory = "usnpl.com, thepaperboy.com";
// The day of the scan that the news feed list's answering feeds come from, as its publisher's
// notes give it (the file itself carries no date).
constexpr std::string_view kNewsFeedsScanDate = "2026-03-25";

std::vector<fs::path> SortedFolders(const fs::path& folder)
{
    return SortedEntries(folder,
                         [](const fs::directory_entry& entry) { return entry.is_directory(); });
}

void ReadLocalMemory(const fs::path& root, Import& import, CityIndex& cities)
{
    const fs::path sources = root / "LocalMemoryProject" / "Sources";
    const fs::path usa = sources / "USA" / "usa.json";
    ReadUsStateLists(ReadWholeFile(usa), usa.string(), {kLocalMemorySourceId, &cities, ""}, import);
    for (const fs::path& country : SortedFolders(sources))
    {
        if (country.filename() == "USA")
            continue;
        for (const fs::path& town : SortedFolders(country))
        {
            const fs::path file = town / "source.json";
            ReadLocalMemoryTown(country.filename().string(), ReadWholeFile(file), file.string(),
                                import, cities);
        }
    }
}

std::string Licence(const fs::path& file)
{
    std::string licence = ReadWholeFile(file);
    while (!licence.empty() && (licence.back() == '\n' || licence.back() == ' '))
        licence.pop_back();
    return licence;
}

std::size_t PlaceIndex(const PlaceRef& place)
{
    return static_cast<std::size_t>(std::ranges::find(place.region->places, place.place) -
                                    place.region->places.begin());
}

std::size_t RegionIndex(const RegionInfo* region)
{
    return static_cast<std::size_t>(region - Regions().data());
}

auto PlaceOrder(const RegionInfo* region, std::string_view place)
{
    return std::pair{RegionIndex(region), PlaceIndex(PlaceRef{region, place})};
}

// A paper while it is built, with what only the build needs to know of it.
struct Draft
{
    Paper paper;
    std::vector<std::string> keys;          // WebsiteKey of every address it has
    std::vector<std::string> successorKeys; // the addresses of what continued it
    std::optional<GeoPoint> point;          // where its first source puts its town
    bool joined = false;                    // joined into another paper
};

template <typename T> void AddOnce(std::vector<T>& values, const T& value)
{
    if (std::ranges::find(values, value) == values.end())
        values.push_back(value);
}

class Merger
{
public:
    Merger(BuildSummary& summary, const PartisanDomains& partisan)
        : m_summary(summary), m_partisan(partisan)
    {
    }

    void Add(const Entry& entry)
    {
        if (std::optional<std::string> reason = Dropped(entry))
        {
            ++m_summary.dropped[entry.source][*reason];
            return;
        }
        std::set<std::size_t> matches;
        for (const std::string& key : entry.keys)
        {
            if (auto it = m_byKey.find(key); it != m_byKey.end())
                matches.insert(it->second.begin(), it->second.end());
        }
        // The curated list may name one website under two places (a national paper under its
        // city too); each of its lines stays a paper.
        if (!matches.empty() && entry.source != kCuratedSourceId)
        {
            for (std::size_t index : matches)
                MergeInto(m_drafts[index], entry, index);
            ++m_summary.merged[entry.source];
            return;
        }
        if (!entry.place)
        {
            ++m_summary.leftOut[entry.source][entry.leftOutReason];
            return;
        }
        Draft draft;
        Paper& paper = draft.paper;
        paper.region = entry.place->region;
        paper.place = entry.place->place;
        paper.city = entry.city;
        paper.name = entry.name;
        paper.kind = entry.kind;
        paper.language = entry.language;
        paper.website = entry.website;
        paper.feed = entry.feed;
        paper.sources = {entry.source};
        draft.point = entry.point;
        m_drafts.push_back(std::move(draft));
        Register(entry, m_drafts.size() - 1);
        ++m_summary.papers[entry.source];
    }

    // The papers that one of `keys` belongs to, each once, in the order they were listed.
    std::vector<std::size_t> Find(const std::vector<std::string>& keys) const
    {
        std::set<std::size_t> found;
        for (const std::string& key : keys)
        {
            if (auto it = m_byKey.find(key); it != m_byKey.end())
                found.insert(it->second.begin(), it->second.end());
        }
        return {found.begin(), found.end()};
    }

    std::vector<Draft>& Drafts() { return m_drafts; }

private:
    // Why the entry is no paper's own website, or nothing. The curated list's lines are the
    // publisher's own choice, typed in by hand; only the partisan networks are refused there too.
    std::optional<std::string> Dropped(const Entry& entry) const
    {
        const bool partisan = std::ranges::any_of(entry.keys, [&](const std::string& key)
                                                  { return m_partisan.Lists("http://" + key); });
        if (partisan)
            return "a partisan network's site styled as local news";
        if (entry.source == kCuratedSourceId)
            return std::nullopt;
        return NotOwnSiteReason(entry.website, entry.name);
    }

    void MergeInto(Draft& draft, const Entry& entry, std::size_t index)
    {
        Paper& paper = draft.paper;
        AddOnce(paper.sources, entry.source);
        // The winner's fields stay; what it lacks, a later source may know.
        for (auto [mine, theirs] : {std::pair{&paper.city, &entry.city},
                                    std::pair{&paper.language, &entry.language},
                                    std::pair{&paper.feed, &entry.feed}})
        {
            if (mine->empty())
                *mine = *theirs;
        }
        Register(entry, index);
    }

    void Register(const Entry& entry, std::size_t index)
    {
        for (const std::string& key : entry.keys)
        {
            AddOnce(m_byKey[key], index);
            AddOnce(m_drafts[index].keys, key);
        }
    }

    BuildSummary& m_summary;
    const PartisanDomains& m_partisan;
    std::vector<Draft> m_drafts;
    std::map<std::string, std::vector<std::size_t>> m_byKey;
};

// Attaches each piece of evidence to the papers whose addresses it names.
void AttachEvidence(const std::vector<KeyedEvidence>& evidence, Merger& merger,
                    BuildSummary& summary)
{
    std::vector<Draft>& drafts = merger.Drafts();
    for (const KeyedEvidence& item : evidence)
    {
        const std::vector<std::size_t> found = merger.Find(item.keys);
        if (found.empty())
            continue;
        ++summary.evidence[item.source];
        std::string successor;
        for (std::size_t index : merger.Find(item.successorKeys))
        {
            if (std::ranges::find(found, index) == found.end())
                successor = drafts[index].paper.name;
        }
        for (std::size_t index : found)
        {
            Draft& draft = drafts[index];
            Paper& paper = draft.paper;
            if (item.lists)
                AddOnce(paper.sources, item.source);
            if (paper.feed.empty())
                paper.feed = item.feed;
            for (const std::string& key : item.successorKeys)
                AddOnce(draft.successorKeys, key);
            if (item.alive)
            {
                const SignOfLife& sign = *item.alive;
                const bool known = std::ranges::any_of(paper.alive,
                                                       [&](const SignOfLife& s) {
                                                           return s.date == sign.date &&
                                                                  s.sourceId == sign.sourceId &&
                                                                  s.what == sign.what;
                                                       });
                if (!known)
                    paper.alive.push_back(sign);
            }
            if (item.closure)
            {
                ClosureReport report = *item.closure;
                if (!successor.empty())
                    report.note += (report.note.empty() ? "" : "; ") + ("followed by " + successor);
                const bool known = std::ranges::any_of(
                    paper.closures, [&](const ClosureReport& c)
                    { return c.date == report.date && c.reportedBy == report.reportedBy; });
                if (!known)
                    paper.closures.push_back(std::move(report));
            }
        }
    }
}

// Where the recorded redirects from each address end: WebsiteKey of a website checked to
// WebsiteKey of the final URL, where the final URL is on another host.
std::map<std::string, std::string> Redirects(const std::vector<LinkCheck>& checks)
{
    std::map<std::string, std::string> redirects;
    for (const LinkCheck& check : checks)
    {
        if (check.finalUrl.empty() || WebsiteHost(check.finalUrl) == WebsiteHost(check.website))
            continue;
        const std::optional<std::string> from = WebsiteKey(check.website);
        const std::optional<std::string> to = WebsiteKey(check.finalUrl);
        if (from && to)
            redirects[*from] = *to;
    }
    return redirects;
}

MergeCandidate Candidate(const Draft& draft, const std::map<std::string, std::string>& sourceDates,
                         const std::map<std::string, std::string>& redirects)
{
    MergeCandidate candidate{draft.paper.city,   draft.point, draft.paper.website,
                             draft.keys,         "",          {},
                             draft.successorKeys};
    if (std::optional<std::string> key = WebsiteKey(draft.paper.website))
    {
        // The website's own key first: SamePaper looks there for a home page.
        std::erase(candidate.keys, *key);
        candidate.keys.insert(candidate.keys.begin(), *key);
    }
    const auto consider = [&](const std::string& date)
    {
        if (!date.empty() && (candidate.newest.empty() || IsNewerDate(date, candidate.newest)))
            candidate.newest = date;
    };
    for (const std::string& id : draft.paper.sources)
    {
        if (auto it = sourceDates.find(id); it != sourceDates.end())
            consider(it->second);
    }
    for (const SignOfLife& sign : draft.paper.alive)
        consider(sign.date);
    for (const std::string& key : draft.keys)
    {
        if (auto it = redirects.find(key); it != redirects.end())
            candidate.redirectKeys.push_back(it->second);
    }
    return candidate;
}

// `other` joined into `first` as its older address: its addresses after first's, what first
// lacks filled in, and its evidence added, except the closures of a paper that named one of
// first's addresses as its successor: it closed when the successor began.
void Join(Draft& first, Draft& other)
{
    Paper& paper = first.paper;
    const Paper& older = other.paper;
    if (older.website != paper.website)
        AddOnce(paper.addresses, older.website);
    for (const std::string& address : older.addresses)
    {
        if (address != paper.website)
            AddOnce(paper.addresses, address);
    }
    // A town says more than a county (3DLNews gives counties), whichever address is newer.
    if (paper.city.empty() ||
        (IsAreaName(paper.city) && !older.city.empty() && !IsAreaName(older.city)))
        paper.city = older.city;
    for (auto [mine, theirs] :
         {std::pair{&paper.language, &older.language}, std::pair{&paper.feed, &older.feed}})
    {
        if (mine->empty())
            *mine = *theirs;
    }
    for (const std::string& id : older.sources)
        AddOnce(paper.sources, id);
    for (const SignOfLife& sign : older.alive)
    {
        if (std::ranges::none_of(paper.alive, [&](const SignOfLife& s)
                                 { return s.date == sign.date && s.sourceId == sign.sourceId; }))
        {
            paper.alive.push_back(sign);
        }
    }
    const bool succeeded =
        std::ranges::any_of(other.successorKeys, [&](const std::string& key)
                            { return std::ranges::find(first.keys, key) != first.keys.end(); });
    if (!succeeded)
    {
        for (const ClosureReport& report : older.closures)
        {
            if (std::ranges::none_of(
                    paper.closures, [&](const ClosureReport& c)
                    { return c.date == report.date && c.reportedBy == report.reportedBy; }))
            {
                paper.closures.push_back(report);
            }
        }
    }
    for (const std::string& key : other.keys)
        AddOnce(first.keys, key);
    for (const std::string& key : other.successorKeys)
        AddOnce(first.successorKeys, key);
    other.joined = true;
}

std::string_view ReasonName(MergeReason reason)
{
    switch (reason)
    {
    case MergeReason::SameSite:
        return "pages of one site";
    case MergeReason::Redirect:
        return "a recorded redirect";
    case MergeReason::Successor:
        return "a successor Wikidata names";
    case MergeReason::OlderAddress:
        break;
    }
    return "an address listed only in older sources";
}

// Joins the entries of each place that SamePaper finds to be one paper, the newest address
// first.
void JoinSamePapers(std::vector<Draft>& drafts, const std::vector<Source>& sources,
                    const std::map<std::string, std::string>& redirects, BuildSummary& summary)
{
    std::map<std::string, std::string> sourceDates;
    for (const Source& source : sources)
        sourceDates[source.id] = source.date;
    std::map<std::tuple<const RegionInfo*, std::string_view, Kind, std::string>,
             std::vector<std::size_t>>
        groups;
    for (std::size_t i = 0; i < drafts.size(); ++i)
    {
        const Paper& p = drafts[i].paper;
        groups[{p.region, p.place, p.kind, ComparableName(p.name)}].push_back(i);
    }
    for (const auto& [what, members] : groups)
    {
        if (members.size() < 2)
            continue;
        std::vector<MergeCandidate> candidates;
        for (std::size_t index : members)
            candidates.push_back(Candidate(drafts[index], sourceDates, redirects));
        // Joins pairs that are one paper, in order, unless that would put two entries of
        // different towns that are not one paper together: a county's entry may be the same
        // paper as either of two towns' papers of one name, not of both. Each pair's newer
        // member scores.
        std::vector<std::size_t> cluster(members.size());
        std::iota(cluster.begin(), cluster.end(), std::size_t{0});
        std::vector<int> score(members.size(), 0);
        const auto apart = [&](std::size_t x, std::size_t y) {
            return TownsDiffer(candidates[x], candidates[y]) &&
                   !SamePaper(candidates[x], candidates[y]);
        };
        for (std::size_t a = 0; a < members.size(); ++a)
        {
            for (std::size_t b = a + 1; b < members.size(); ++b)
            {
                const std::optional<MergeDecision> same = SamePaper(candidates[a], candidates[b]);
                if (!same || cluster[a] == cluster[b])
                    continue;
                bool conflict = false;
                for (std::size_t x = 0; x < members.size() && !conflict; ++x)
                {
                    for (std::size_t y = 0; y < members.size() && !conflict; ++y)
                        conflict =
                            cluster[x] == cluster[a] && cluster[y] == cluster[b] && apart(x, y);
                }
                if (conflict)
                    continue;
                ++summary.samePaper[std::string(ReasonName(same->reason))];
                ++score[same->firstIsNewer ? a : b];
                std::ranges::replace(cluster, cluster[b], cluster[a]);
            }
        }
        std::map<std::size_t, std::vector<std::size_t>> clusters;
        for (std::size_t i = 0; i < members.size(); ++i)
            clusters[cluster[i]].push_back(i);
        for (auto& [top, joined] : clusters)
        {
            if (joined.size() < 2)
                continue;
            std::ranges::stable_sort(joined, std::greater<>(),
                                     [&](std::size_t i) { return score[i]; });
            // The name comes from the source read first, as when entries of one website merge;
            // drafts are in the order of reading, the curated list's first.
            const std::size_t first = members[joined.front()];
            const std::string name = drafts[members[std::ranges::min(joined)]].paper.name;
            for (std::size_t i = 1; i < joined.size(); ++i)
                Join(drafts[first], drafts[members[joined[i]]]);
            drafts[first].paper.name = name;
        }
    }
}

void SortPapers(std::vector<Paper>& papers)
{
    std::ranges::stable_sort(papers, [](const Paper& a, const Paper& b)
                      {
                          return std::tuple(PlaceOrder(a.region, a.place), a.city, a.name,
                                            a.website) <
                                 std::tuple(PlaceOrder(b.region, b.place), b.city, b.name,
                                            b.website);
                      });
}

} // namespace

std::vector<Source> SourceRecords(const fs::path& sources)
{
    return {
        {std::string(kCuratedSourceId),
         "Typed in by hand for Tavi's Newspapers by its publisher",
         "typed in by hand", std::string(kCuratedListDate), "CC0 1.0", "", ""},
        {std::string(kLocalMemorySourceId), "Local Memory Project: newspapers by place",
         "Local Memory", "2017", "MIT", "https://github.com/harvard-lil/local-memory",
         Licence(sources / "local-memory" / "LICENSE")},
        {std::string(kWikidataSourceId), "Wikidata: newspapers with an official website",
         "Wikidata", "2023-04", "CC0 1.0", "https://www.wikidata.org/", ""},
        {std::string(kWikidataItemsSourceId),
         "Wikidata: the newspapers' item records, for closures and successors", "Wikidata",
         "2023-04", "CC0 1.0", "https://github.com/patrickswickard/international_newspapers", ""},
        {std::string(kThreeDlNewsSourceId),
         "3DLNews: US local newspapers, Local Memory's lists extended from directories in 2022-24",
         "3DLNews", "2024-12", "MIT", "https://github.com/wm-newslab/3DLNews",
         Licence(sources / "3dlnews" / "LICENSE.txt")},
        {std::string(kNzNewspapersSourceId),
         "Newspapers of New Zealand, from the National Library of New Zealand's metadata",
         "NZ national library", "2026-08", "CC BY 3.0 NZ", "https://www.nznewspapers.org/",
         "Derived from the Publications New Zealand Metadata Dataset by the National Library of "
         "New Zealand, licensed under CC BY 3.0 NZ "
         "(https://creativecommons.org/licenses/by/3.0/nz/), by way of Newspapers of New "
         "Zealand (https://github.com/nznewspapers/nznewspapers)."},
        {std::string(kNewsFeedsSourceId),
         "News feed list of countries, with the feeds that answered its scan of 2026-03-25",
         "news feed list", "2026-03", "MIT", "https://github.com/yavuz/news-feed-list-of-countries",
         ""},
        {std::string(kPartisanSourceId),
         "Tow Center: partisan networks of sites styled as local news, never listed here",
         "Tow Center", "2024-08", "MIT", "", Licence(sources / "partisan-local-news" / "LICENSE")},
    };
}

Catalogue BuildCatalogue(const BuildInputs& inputs, BuildSummary& summary)
{
    const fs::path& root = inputs.sources;
    const fs::path wikidata = root / "wikidata" / "newspapers-with-website.json";
    const fs::path threeDl = root / "3dlnews" / "resources" / "usa_2016_2024_pu5e.json.gz";
    const fs::path feeds = root / "news-feeds";
    const fs::path feedList = feeds / "database" / "news-feed-list-of-countries.json";
    const fs::path answered = feeds / "active-feeds-auto-generated.json";
    const fs::path partisanFile =
        root / "partisan-local-news" / "datasets" / "domains" / "all_domains.csv";

    Catalogue catalogue;
    catalogue.sources = SourceRecords(root);

    Import import;
    CityIndex cities;
    ReadCuratedList(ReadWholeFile(inputs.curated), inputs.curated.string(), import);
    std::vector<Correction> corrections;
    if (!inputs.corrections.empty())
    {
        corrections = ParseCorrections(ReadWholeFile(inputs.corrections),
                                       inputs.corrections.string());
        AddCorrections(corrections, import);
    }
    ReadLocalMemory(root / "local-memory", import, cities);
    ReadWikidata(ReadWholeFile(wikidata), wikidata.string(), cities, import);
    ReadUsStateLists(ReadGzipFile(threeDl), threeDl.string(),
                     {kThreeDlNewsSourceId, nullptr, kCarriedOverFromLocalMemory}, import);
    AddNzTitles(ReadNzTitles(root / "nz-newspapers" / "data" / "papers"), import);
    ReadWikidataItems(root / "wikidata-items" / "wikidata", import);
    ReadNewsFeeds(ReadWholeFile(feedList), feedList.string(), ReadWholeFile(answered),
                  answered.string(), kNewsFeedsScanDate, import);
    const PartisanDomains partisan =
        PartisanDomains::Parse(ReadWholeFile(partisanFile), partisanFile.string());
    const std::vector<LinkCheck> checks =
        inputs.checks.empty() ? std::vector<LinkCheck>{} : LoadChecks(inputs.checks);

    summary = BuildSummary{};
    summary.read = import.read;
    summary.dropped = import.dropped;
    Merger merger(summary, partisan);
    for (const Entry& entry : import.entries)
        merger.Add(entry);
    AttachEvidence(import.evidence, merger, summary);
    JoinSamePapers(merger.Drafts(), catalogue.sources, Redirects(checks), summary);

    for (Draft& draft : merger.Drafts())
    {
        if (!draft.joined)
            catalogue.papers.push_back(std::move(draft.paper));
    }
    if (!corrections.empty())
    {
        catalogue.sources.push_back(CorrectionsSource(corrections));
        ApplyCorrections(corrections, catalogue.papers, summary.dropped);
    }
    for (const Paper& paper : catalogue.papers)
        summary.reportedClosed += DecidePaperStatus(paper, {}).reportedClosed ? 1 : 0;
    SortPapers(catalogue.papers);
    summary.total = catalogue.papers.size();

    for (const TableAlias& alias : PlaceAliases())
    {
        const PlaceRef place = *FindPlace(alias.code, alias.place);
        catalogue.aliases.push_back({place.region, place.place, std::string(alias.alias)});
    }
    std::ranges::sort(catalogue.aliases, {}, [](const PlaceAlias& a)
                      { return std::tuple(PlaceOrder(a.region, a.place), a.alias); });
    for (const TableRule& rule : PlaceRules())
    {
        const PlaceRef place = *FindPlace(rule.code, rule.place);
        catalogue.rules.push_back({place.region, place.place, rule.how, std::string(rule.value),
                                   std::string(rule.note)});
    }
    std::ranges::sort(catalogue.rules, {},
                      [](const PlaceRule& r) { return PlaceOrder(r.region, r.place); });
    for (const TableNote& note : PlaceNotes())
    {
        const PlaceRef place = *FindPlace(note.code, note.place);
        const bool hasPapers =
            std::ranges::any_of(catalogue.papers, [&](const Paper& p)
                                { return p.region == place.region && p.place == place.place; });
        if (hasPapers)
            catalogue.notes.push_back({place.region, place.place, std::string(note.text)});
    }
    std::ranges::sort(catalogue.notes, {},
                      [](const PlaceNote& n) { return PlaceOrder(n.region, n.place); });
    return catalogue;
}

std::string FormatSummary(const BuildSummary& summary)
{
    std::ostringstream out;
    out << summary.total << " papers in the catalogue, " << summary.reportedClosed
        << " of them reported closed by the data sets (before any link check)\n";
    const auto count = [](const std::map<std::string, std::size_t>& map, const std::string& key)
    {
        auto it = map.find(key);
        return it == map.end() ? std::size_t{0} : it->second;
    };
    for (const auto& [source, read] : summary.read)
    {
        out << "  " << source << ": " << read << " read, " << count(summary.papers, source)
            << " papers listed from it, " << count(summary.merged, source)
            << " merged into a paper listed before, " << count(summary.evidence, source)
            << " pieces of evidence about listed papers\n";
    }
    for (const auto& [reason, n] : summary.samePaper)
        out << "  " << n << " pairs of entries found to be one paper: " << reason << "\n";
    for (auto [title, tally] : {std::pair{"dropped", &summary.dropped},
                                std::pair{"left out (could not be placed)", &summary.leftOut}})
    {
        for (const auto& [source, reasons] : *tally)
        {
            std::size_t total = 0;
            for (const auto& [reason, n] : reasons)
                total += n;
            if (total == 0)
                continue;
            out << source << ", " << title << ": " << total << "\n";
            for (const auto& [reason, n] : reasons)
                out << "  " << n << "  " << reason << "\n";
        }
    }
    return out.str();
}

} // namespace tnews::catalogue
