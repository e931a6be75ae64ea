// The keyword search over a region: ranking, other names of places, and threads at once.
#include "server/search_store.h"
#include "server/site_data.h"
#include "test_server.h"

#include <gtest/gtest.h>

#include <atomic>
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
          "The Daily Texan"}},
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

} // namespace
} // namespace tnews::server
