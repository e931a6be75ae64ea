// Prints the figures of a catalogue: its size, papers per place for each region (min, median,
// max), the places with fewer than 3 papers, and what the places with a rule show.
//   catalogue_stats catalogue.tsv
#include "catalogue/catalogue_file.h"

#include <algorithm>
#include <iostream>
#include <map>
#include <set>

using namespace tnews;
using namespace tnews::catalogue;

namespace
{

using PlaceKey = std::pair<const RegionInfo*, std::string_view>;

bool HasLanguage(const Paper& paper, const std::string& language)
{
    std::string_view list = paper.language;
    for (std::size_t start = 0; start <= list.size();)
    {
        const std::size_t end = std::min(list.find(", ", start), list.size());
        if (list.substr(start, end - start) == language)
            return true;
        start = end + 2;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::cerr << "usage: catalogue_stats catalogue.tsv\n";
        return 2;
    }
    try
    {
        const Catalogue catalogue = LoadCatalogue(argv[1]);
        std::map<PlaceKey, std::size_t> count;
        std::map<std::string, std::size_t> bySource, byKind;
        std::set<std::string> websites;
        for (const Paper& paper : catalogue.papers)
        {
            ++count[{paper.region, paper.place}];
            ++bySource[paper.sources.front()];
            ++byKind[std::string(KindName(paper.kind))];
            websites.insert(paper.website);
        }
        std::cout << "papers: " << catalogue.papers.size() << " (" << websites.size()
                  << " distinct websites)\n";
        for (const auto& [source, n] : bySource)
            std::cout << "  fields from " << source << ": " << n << "\n";
        for (const auto& [kind, n] : byKind)
            std::cout << "  " << kind << ": " << n << "\n";

        std::map<PlaceKey, const PlaceRule*> rules;
        for (const PlaceRule& rule : catalogue.rules)
            rules[{rule.region, rule.place}] = &rule;
        std::vector<std::string> few;
        std::cout << "\npapers per place (places with a rule aside):\n";
        for (const RegionInfo& region : Regions())
        {
            std::vector<std::size_t> counts;
            for (std::string_view place : region.places)
            {
                if (rules.contains({&region, place}))
                    continue;
                const std::size_t n = count[{&region, place}];
                counts.push_back(n);
                if (n < 3)
                    few.push_back(std::string(region.code) + "/" + std::string(place) + ": " +
                                  std::to_string(n));
            }
            std::ranges::sort(counts);
            std::cout << "  " << region.menuItem << ": " << counts.size() << " places, min "
                      << counts.front() << ", median " << counts[counts.size() / 2] << ", max "
                      << counts.back() << "\n";
        }
        std::cout << "\nplaces with fewer than 3 papers: " << few.size() << "\n";
        for (const std::string& line : few)
            std::cout << "  " << line << "\n";

        std::cout << "\nplaces with a rule, and the papers they show:\n";
        for (const PlaceRule& rule : catalogue.rules)
        {
            std::size_t shown = 0;
            if (rule.how == PlaceRule::How::SameAs)
                shown = count[{rule.region, rule.value}];
            else if (rule.how == PlaceRule::How::Language)
                shown = static_cast<std::size_t>(std::ranges::count_if(
                    catalogue.papers, [&](const Paper& p)
                    { return p.region == rule.region && HasLanguage(p, rule.value); }));
            std::cout << "  " << rule.region->code << "/" << rule.place << ": "
                      << RuleHowName(rule.how) << " " << rule.value << ", " << shown
                      << " papers\n";
        }
        return 0;
    }
    catch (const std::exception& error)
    {
        std::cerr << "catalogue_stats: " << error.what() << "\n";
        return 1;
    }
}
