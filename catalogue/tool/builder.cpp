#include "builder.h"

#include "catalogue/file_lines.h"
#include "corrections_file.h"
#include "curated_list.h"
#include "local_memory.h"
#include "wikidata.h"

#include <algorithm>
#include <set>
#include <sstream>

namespace tnews::catalogue
{
namespace
{

namespace fs = std::filesystem;

// Folders in byte order, so that the order of reading doesn't depend on the file system.
std::vector<fs::path> SortedFolders(const fs::path& folder)
{
    std::vector<fs::path> folders;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
    {
        if (entry.is_directory())
            folders.push_back(entry.path());
    }
    if (error)
        throw CatalogueError(folder.string() + ": can't list the folder: " + error.message());
    std::ranges::sort(folders);
    return folders;
}

void ReadLocalMemory(const fs::path& root, Import& import, CityIndex& cities)
{
    const fs::path sources = root / "LocalMemoryProject" / "Sources";
    const fs::path usa = sources / "USA" / "usa.json";
    ReadLocalMemoryUsa(ReadWholeFile(usa), usa.string(), import, cities);
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

class Merger
{
public:
    explicit Merger(BuildSummary& summary) : m_summary(summary) {}

    void Add(const Entry& entry)
    {
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
                MergeInto(m_papers[index], entry, index);
            ++m_summary.merged[entry.source];
            return;
        }
        if (!entry.place)
        {
            ++m_summary.leftOut[entry.source][entry.leftOutReason];
            return;
        }
        Paper paper;
        paper.region = entry.place->region;
        paper.place = entry.place->place;
        paper.city = entry.city;
        paper.name = entry.name;
        paper.kind = entry.kind;
        paper.language = entry.language;
        paper.website = entry.website;
        paper.feed = entry.feed;
        paper.sources = {entry.source};
        m_papers.push_back(std::move(paper));
        Register(entry, m_papers.size() - 1);
        ++m_summary.papers[entry.source];
    }

    std::vector<Paper> Take() { return std::move(m_papers); }

private:
    void MergeInto(Paper& paper, const Entry& entry, std::size_t index)
    {
        if (std::ranges::find(paper.sources, entry.source) == paper.sources.end())
            paper.sources.push_back(entry.source);
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
            std::vector<std::size_t>& papers = m_byKey[key];
            if (std::ranges::find(papers, index) == papers.end())
                papers.push_back(index);
        }
    }

    BuildSummary& m_summary;
    std::vector<Paper> m_papers;
    std::map<std::string, std::vector<std::size_t>> m_byKey;
};

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

std::vector<Source> SourceRecords(const fs::path& localMemoryLicence)
{
    std::string licence = ReadWholeFile(localMemoryLicence);
    while (!licence.empty() && (licence.back() == '\n' || licence.back() == ' '))
        licence.pop_back();
    return {
        {std::string(kCuratedSourceId), "Typed in by hand for Tavi's Newspapers", "CC0 1.0", "",
         ""},
        {std::string(kLocalMemorySourceId), "Local Memory Project, newspapers by place (2017)",
         "MIT", "https://github.com/harvard-lil/local-memory", licence},
        {std::string(kWikidataSourceId), "Wikidata, newspapers with an official website (2023-04)",
         "CC0 1.0", "https://www.wikidata.org/", ""},
    };
}

Catalogue BuildCatalogue(const BuildInputs& inputs, BuildSummary& summary)
{
    const fs::path localMemory = inputs.sources / "local-memory";
    const fs::path wikidata = inputs.sources / "wikidata" / "newspapers-with-website.json";

    Import import;
    CityIndex cities;
    ReadCuratedList(ReadWholeFile(inputs.curated), inputs.curated.string(), import);
    std::vector<Correction> corrections;
    if (!inputs.corrections.empty())
    {
        corrections = ParseCorrections(ReadWholeFile(inputs.corrections),
                                       inputs.corrections.string());
        AddCorrectedPapers(corrections, import);
    }
    ReadLocalMemory(localMemory, import, cities);
    ReadWikidata(ReadWholeFile(wikidata), wikidata.string(), cities, import);

    summary = BuildSummary{};
    summary.read = import.read;
    summary.dropped = import.dropped;
    Merger merger(summary);
    for (const Entry& entry : import.entries)
        merger.Add(entry);

    Catalogue catalogue;
    catalogue.sources = SourceRecords(localMemory / "LICENSE");
    catalogue.papers = merger.Take();
    if (!corrections.empty())
    {
        catalogue.sources.push_back(CorrectionsSource());
        ApplyCorrections(corrections, catalogue.papers, summary.dropped);
    }
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
    return catalogue;
}

std::string FormatSummary(const BuildSummary& summary)
{
    std::ostringstream out;
    out << summary.total << " papers in the catalogue\n";
    for (const auto& [source, read] : summary.read)
    {
        const auto count = [&](const std::map<std::string, std::size_t>& map)
        {
            auto it = map.find(source);
            return it == map.end() ? std::size_t{0} : it->second;
        };
        out << "  " << source << ": " << read << " read, " << count(summary.papers)
            << " papers listed from it, " << count(summary.merged)
            << " merged into a paper listed before\n";
    }
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
