#include "server/keywords.h"
#include "server/search_store.h"

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

TEST(SearchStoreTest, MatchesWordsIgnoringCaseAndAccents)
{
    const std::vector<Newspaper> papers =
        LoadNewspapers(TNEWS_SERVER_TEST_DIR "/newspapers_fixture.tsv");
    const SearchStore store(papers);
    const SearchCase cases[] = {
        {"i", "senegal", {"Le Soleil", "Sud Quotidien"}},
        {"i", "DAKAR soleil", {"Le Soleil"}},
        {"c", "montreal", {"Le Devoir"}},
        {"c",
         "MONTR\xC3\x89"
         "AL",
         {"Le Devoir"}},
        {"u", "hous", {"Houston Chronicle"}},
        {"u", "georgia", {"The Atlanta Journal-Constitution"}},
        {"i", "georgia", {"Georgian Times"}},
        {"u", "new york", {"The New York Times", "Fish & Chips Daily"}},
        {"u", "fish&chips", {"Fish & Chips Daily"}},
        {"u", "houston OR dakar", {}},
        {"u", "senegal", {}},
        {"u", "\"", {}},
    };
    for (const SearchCase& c : cases)
    {
        SCOPED_TRACE(std::string(c.code) + " " + c.typed);
        const auto match = MatchExpression(c.typed);
        std::vector<std::string> names;
        if (match)
        {
            const SearchResult result = store.Search(*FindRegion(c.code), *match, 50);
            for (std::size_t index : result.newspapers)
                names.push_back(papers[index].name);
            EXPECT_EQ(result.total, names.size());
        }
        EXPECT_EQ(names, c.names);
    }
}

TEST(SearchStoreTest, ConcurrentSearchesAgree)
{
    const std::vector<Newspaper> papers =
        LoadNewspapers(TNEWS_SERVER_TEST_DIR "/newspapers_fixture.tsv");
    const SearchStore store(papers);
    const std::string match = *MatchExpression("dakar");
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
                    const SearchResult result = store.Search(*FindRegion("i"), match, 50);
                    if (result.newspapers != std::vector<std::size_t>{9, 10})
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
