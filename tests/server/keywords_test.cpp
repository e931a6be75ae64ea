// The keywords as the search index's own tokenizer splits them.
#include "server/keywords.h"

#include <gtest/gtest.h>

namespace tnews::server
{
namespace
{

struct SplitCase
{
    std::string typed;
    std::vector<std::string> words; // a prefix ends in "*"
    const char* match;              // "" for none
};

TEST(KeywordsTest, SplitsAsTheIndexDoes)
{
    const KeywordSplitter splitter;
    const SplitCase cases[] = {
        {"houston", {"houston*"}, "\"houston\"*"},
        // The Arabic question mark is punctuation to the tokenizer: no word, not an empty one.
        {"houston \xD8\x9F", {"houston"}, "\"houston\""},
        {"\xD8\x9F", {}, ""},
        {"MONTR\u00C9AL", {"montreal*"}, "\"montreal\"*"},
        {"  New York  ", {"new", "york"}, "\"new\" AND \"york\""},
        // A star ends a prefix anywhere; alone, or before a blank, it is punctuation.
        {"hous* chron", {"hous*", "chron*"}, "\"hous\"* AND \"chron\"*"},
        {"hous** new york ", {"hous*", "new", "york"}, "\"hous\"* AND \"new\" AND \"york\""},
        {"* hous *x", {"hous", "x*"}, "\"hous\" AND \"x\"*"},
        {"fish&chips", {"fish", "chips*"}, "\"fish\" AND \"chips\"*"},
        {"\"quoted\" <tag>", {"quoted", "tag"}, "\"quoted\" AND \"tag\""},
        {"name:houston", {"name", "houston*"}, "\"name\" AND \"houston\"*"},
        {"houston OR dakar", {"houston", "or", "dakar*"}, "\"houston\" AND \"or\" AND \"dakar\"*"},
        {"\xC2\xAB \xE2\x80\x94 -- !? \xE2\x82\xAC", {}, ""},
        {"\xFF\xC3(", {}, ""},
        {std::string("hou\0ston", 8), {"hou", "ston*"}, "\"hou\" AND \"ston\"*"},
        {"\xE6\x9D\xB1\xE4\xBA\xAC \xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0",
         {"\xE6\x9D\xB1\xE4\xBA\xAC", "\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0*"},
         "\"\xE6\x9D\xB1\xE4\xBA\xAC\" AND \"\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0\"*"},
    };
    for (const SplitCase& c : cases)
    {
        SCOPED_TRACE(c.typed);
        const Keywords keywords = splitter.Split(c.typed);
        std::vector<std::string> words;
        for (const Keyword& keyword : keywords)
            words.push_back(keyword.text + (keyword.prefix ? "*" : ""));
        EXPECT_EQ(words, c.words);
        EXPECT_EQ(MatchExpression(keywords).value_or(""), c.match);
    }
}

} // namespace
} // namespace tnews::server
