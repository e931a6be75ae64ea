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

struct SearchCase
{
    const char* code;
    const char* typed;
    std::vector<std::string> names; // best first
};

std::vector<std::string> Names(const catalogue::Catalogue& catalogue, const SearchResult& result)
{
    std::vector<std::string> names;
    for (std::size_t index : result.papers)
        names.push_back(catalogue.papers[index].name);
    return names;
}

TEST(SearchStoreTest, RanksNameAboveCityAbovePlaceThenLargerPapers)
{
    const catalogue::Catalogue catalogue = catalogue::LoadCatalogue(testing::FixtureCataloguePath());
    const SearchStore store(catalogue, Alphabetical());
    const SearchCase cases[] = {
        // In the name (the curated paper first), then in the city.
        {"u", "houston", {"Houston Chronicle", "Houston Press", "La Voz"}},
        // In the name; then the state's papers: curated, then by sources, then by name.
        {"u", "texas",
         {"Texas Tribune", "Houston Chronicle", "The Dallas Morning News",
          "Austin <Gazette> & \"Quoted\" O'Brien", "El Diario", "Houston Press", "La Voz",
          "The Daily Texan"}},
        {"u", "new york", {"The New York Times", "Fish & Chips Daily"}},
        {"u", "hous", {"Houston Chronicle", "Houston Press", "La Voz"}},
        {"u", "houston \xD8\x9F", {"Houston Chronicle", "Houston Press", "La Voz"}},
        {"u", "fish&chips", {"Fish & Chips Daily"}},
        {"u", "houston OR dakar", {}},
        {"u", "senegal", {}},
        {"i", "senegal", {"Le Soleil", "Sud Quotidien"}},
        {"i", "DAKAR soleil", {"Le Soleil"}},
        {"c", "MONTR\xC3\x89" "AL", {"Le Devoir"}},
        {"c", "iles", {"Le Radar"}},
        {"u", "georgia", {"The Atlanta Journal-Constitution"}},
        {"i", "georgia", {"Georgian Times"}},
        // The places' other names: alias records and same-as rules.
        {"i", "bangladesh", {"Prothom Alo", "The Daily Star"}},
        {"i", "colombia", {"El Tiempo"}},
        {"i", "bogota", {"El Tiempo"}},
        {"i", "crotia", {"Ve\u010Dernji list"}},
    };
    for (const SearchCase& c : cases)
    {
        SCOPED_TRACE(std::string(c.code) + " " + c.typed);
        const SearchResult result = store.Search(*FindRegion(c.code), c.typed, 0, 50);
        EXPECT_TRUE(result.hasWords);
        EXPECT_EQ(Names(catalogue, result), c.names);
        EXPECT_EQ(result.total, c.names.size());
    }
    EXPECT_FALSE(store.Search(*FindRegion("u"), "\xD8\x9F --", 0, 50).hasWords);
}

TEST(SearchStoreTest, PagesThroughEveryMatch)
{
    std::string text = "source\tcurated\tHand\tCC0 1.0\t\t\n";
    for (int i = 0; i < 120; ++i)
    {
        text += "paper\tu\tOhio\tToledo\tPaper " + std::to_string(1000 + i) +
                "\tnewspaper\t\thttps://p.example/\t\tcurated\n";
    }
    const catalogue::Catalogue catalogue = catalogue::ParseCatalogue(text, "generated");
    const SearchStore store(catalogue, Alphabetical());
    const std::pair<std::size_t, std::vector<std::string>> pages[] = {
        {0, {"Paper 1000", "Paper 1049"}},
        {50, {"Paper 1050", "Paper 1099"}},
        {100, {"Paper 1100", "Paper 1119"}},
        {120, {}},
        {500, {}},
    };
    for (const auto& [offset, ends] : pages)
    {
        SCOPED_TRACE(offset);
        const SearchResult result = store.Search(*FindRegion("u"), "toledo", offset, 50);
        EXPECT_EQ(result.total, 120u);
        const std::vector<std::string> names = Names(catalogue, result);
        ASSERT_EQ(names.empty(), ends.empty());
        if (!names.empty())
        {
            EXPECT_EQ((std::vector<std::string>{names.front(), names.back()}), ends);
        }
    }
}

TEST(SearchStoreTest, ConcurrentSearchesAgree)
{
    const catalogue::Catalogue catalogue = catalogue::LoadCatalogue(testing::FixtureCataloguePath());
    const SearchStore store(catalogue, Alphabetical());
    const std::vector<std::size_t> expected =
        store.Search(*FindRegion("i"), "dakar", 0, 50).papers;
    ASSERT_EQ(expected.size(), 2u);
    // Threads searching at once take connections copied from the first one; they must answer
    // exactly as it does.
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 8; ++t)
    {
        threads.emplace_back(
            [&]
            {
                for (int i = 0; i < 50; ++i)
                {
                    if (store.Search(*FindRegion("i"), "dakar", 0, 50).papers != expected)
                        ++wrong;
                }
            });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrong, 0);
}

} // namespace
} // namespace tnews::server
