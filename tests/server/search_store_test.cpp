#include "server/keywords.h"
#include "server/search_store.h"

#include <gtest/gtest.h>

#include <optional>

namespace tnews::server
{
namespace
{

using namespace std::string_view_literals;

struct MatchCase
{
    std::string_view typed;
    std::optional<std::string> expression;
};

TEST(KeywordsTest, EveryWordBecomesAQuotedFtsString)
{
    const MatchCase cases[] = {
        {"", std::nullopt},
        {"  \t ", std::nullopt},
        {"-- * ?", std::nullopt},
        {"\xC2\xAB \xE2\x80\x94 \xF0\x9F\x93\xB0", std::nullopt}, // « — 📰
        {"\xFF\xFE", std::nullopt},
        {"Texas", "\"Texas\"*"},
        {"  New   York  ", "\"New\" AND \"York\"*"},
        {"say \"hi\"", "\"say\" AND \"\"\"hi\"\"\""},
        {"C#", "\"C#\""},
        {"a\0b"sv, "\"a\" AND \"b\"*"},
        {"NEAR(a b)", "\"NEAR(a\" AND \"b)\""},
        {"' OR 1=1 --", "\"OR\" AND \"1=1\"*"},
        {"name:Houston ^x", "\"name:Houston\" AND \"^x\"*"},
        {"S\xC3\xA9n\xC3\xA9gal", "\"S\xC3\xA9n\xC3\xA9gal\"*"},
    };
    for (const MatchCase& c : cases)
    {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(MatchExpression(c.typed), c.expression);
    }
}

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

TEST(SearchStoreTest, LimitKeepsTheTotal)
{
    std::string text;
    for (int i = 0; i < 60; ++i)
        text += "u\tTexas\tPaper " + std::to_string(i) + "\tAustin\thttps://p.example/\n";
    const std::vector<Newspaper> papers = ParseNewspapers(text, "generated");
    const SearchStore store(papers);
    const SearchResult result = store.Search(*FindRegion("u"), *MatchExpression("paper"), 50);
    EXPECT_EQ(result.newspapers.size(), 50u);
    EXPECT_EQ(result.total, 60u);
}

} // namespace
} // namespace tnews::server
