// The keyword search over a region: ranking, other names of places, and threads at once.
#include "server/search_store.h"
#include "server/site_data.h"
#include "test_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <set>
#include <thread>

namespace tnews::server
{
namespace
{

// Far more than any search of the fixture takes, even on a loaded machine under sanitizers.
constexpr std::chrono::seconds kBudget{10};

TEST(SearchStoreTest, RanksNameAboveCityAbovePlaceAlsoFromManyThreads)
{
    const catalogue::Catalogue catalogue =
        catalogue::LoadCatalogue(testing::FixtureCataloguePath());
    const SearchStore store(catalogue, Alphabetical());
    const std::tuple<const char*, const char*, std::vector<std::string>> cases[] = {
        // In the name (the curated paper first), then in the city.
        {"u", "houston", {"Houston Chronicle", "Houston Press", "La Voz"}},
        // In the name; then the state's papers: curated, then by sources, then by name.
        {"u",
         "texas",
         {"Texas Tribune", "Houston Chronicle", "The Dallas Morning News",
          "Austin <Gazette> & \"Quoted\" O'Brien", "El Diario", "Houston Press", "La Voz",
          "The Daily Texan", "The Galveston <Post>"}},
        {"u", "new york", {"The New York Times", "Fish & Chips Daily"}},
        {"u", "hous", {"Houston Chronicle", "Houston Press", "La Voz"}},
        {"u", "hous* chron", {"Houston Chronicle"}},
        {"u", "hous chron", {}},
        {"u", "fish&chips", {"Fish & Chips Daily"}},
        {"i", "DAKAR soleil", {"Le Soleil"}},
        {"c", "MONTR\u00C9AL", {"Le Devoir"}},
        {"c", "iles", {"Le Radar"}},
        {"u", "georgia", {"The Atlanta Journal-Constitution"}},
        {"i", "georgia", {"Georgian Times"}},
        // The places' other names: alias records and same-as rules.
        {"i", "bangladesh", {"Prothom Alo", "The Daily Star"}},
        {"i", "bogota", {"El Tiempo"}},
        {"i", "crotia", {"Ve\u010Dernji list"}},
        {"i", "farsi", {"Hamshahri", "Kayhan London"}},
    };
    for (const auto& [code, typed, expected] : cases)
    {
        SCOPED_TRACE(std::string(code) + " " + typed);
        const SearchResult result = store.Search(*FindRegion(code), typed, 0, 50, kBudget);
        EXPECT_TRUE(result.hasWords);
        std::vector<std::string> names;
        for (std::size_t index : result.papers)
            names.push_back(catalogue.papers[index].name);
        EXPECT_EQ(names, expected);
        EXPECT_EQ(result.total, expected.size());
    }
    EXPECT_FALSE(store.Search(*FindRegion("u"), "\xD8\x9F --", 0, 50, kBudget).hasWords);
    EXPECT_FALSE(store.Search(*FindRegion("u"), "Enter Keywords", 0, 50, kBudget).hasWords);
    // A search past its budget is stopped, and the store goes on answering.
    EXPECT_THROW(store.Search(*FindRegion("u"), "houston", 0, 50, std::chrono::nanoseconds(0)),
                 SearchOverBudget);

    // Threads searching at once take connections copied from the first one; they must agree.
    const std::vector<std::size_t> dakar =
        store.Search(*FindRegion("i"), "dakar", 0, 50, kBudget).papers;
    ASSERT_EQ(dakar.size(), 2u);
    std::atomic<int> wrong{0};
    std::vector<std::jthread> threads;
    for (int t = 0; t < 8; ++t)
    {
        threads.emplace_back(
            [&]
            {
                for (int i = 0; i < 50; ++i)
                    wrong +=
                        store.Search(*FindRegion("i"), "dakar", 0, 50, kBudget).papers != dakar;
            });
    }
    threads.clear(); // joins them
    EXPECT_EQ(wrong, 0);
}

// Walks the real catalogue: a place's own name finds every paper its page lists, its own or,
// for a place without any, those its rule shows.
TEST(SearchStoreTest, EveryPlacesNameFindsWhatItsPageLists)
{
    if (!std::filesystem::exists(testing::RealCataloguePath()))
        GTEST_SKIP() << testing::RealCataloguePath() << " does not exist yet";
    const catalogue::Catalogue catalogue = catalogue::LoadCatalogue(testing::RealCataloguePath());
    const SearchStore store(catalogue, Alphabetical());
    std::size_t places = 0;
    for (const RegionInfo& region : Regions())
    {
        for (std::string_view place : region.places)
        {
            const auto rule =
                std::ranges::find_if(catalogue.rules, [&](const catalogue::PlaceRule& r)
                                     { return r.region == &region && r.place == place; });
            std::set<std::size_t> listed;
            for (std::size_t i = 0; i < catalogue.papers.size(); ++i)
            {
                const catalogue::Paper& paper = catalogue.papers[i];
                if (paper.region != &region)
                    continue;
                const bool shown = rule == catalogue.rules.end() ? paper.place == place
                                   : rule->how == catalogue::PlaceRule::How::SameAs
                                       ? paper.place == rule->value
                                       : rule->how == catalogue::PlaceRule::How::Language &&
                                             catalogue::HasLanguage(paper, rule->value);
                if (shown)
                    listed.insert(i);
            }
            const SearchResult found = store.Search(region, place, 0, catalogue.papers.size(), kBudget);
            std::size_t missing = 0;
            for (std::size_t paper : listed)
                missing += std::ranges::find(found.papers, paper) == found.papers.end() ? 1 : 0;
            EXPECT_EQ(missing, 0u) << place << ": " << missing << " of its " << listed.size()
                                   << " papers not found by its name";
            places += listed.empty() ? 0 : 1;
        }
    }
    EXPECT_GT(places, 200u) << "the walk saw too few places";
}

} // namespace
} // namespace tnews::server
