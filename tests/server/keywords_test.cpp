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
    std::vector<std::string> words;
    bool lastIsPrefix;
    const char* match; // "" for none
};

TEST(KeywordsTest, SplitsAsTheIndexDoes)
{
    const KeywordSplitter splitter;
    const SplitCase cases[] = {
        {"houston", {"houston"}, true, "\"houston\"*"},
        // The Arabic question mark is punctuation to the tokenizer: no word, not an empty one.
        {"houston \xD8\x9F", {"houston"}, false, "\"houston\""},
        {"\xD8\x9F", {}, false, ""},
        {"MONTR\u00C9AL", {"montreal"}, true, "\"montreal\"*"},
        {"  New York  ", {"new", "york"}, false, "\"new\" AND \"york\""},
        {"fish&chips", {"fish", "chips"}, true, "\"fish\" AND \"chips\"*"},
        {"\"quoted\" <tag>", {"quoted", "tag"}, false, "\"quoted\" AND \"tag\""},
        {"name:houston", {"name", "houston"}, true, "\"name\" AND \"houston\"*"},
        {"houston OR dakar",
         {"houston", "or", "dakar"},
         true,
         "\"houston\" AND \"or\" AND \"dakar\"*"},
        {"\xC2\xAB \xE2\x80\x94 -- !? \xE2\x82\xAC", {}, false, ""},
        {"\xFF\xC3(", {}, false, ""},
        {std::string("hou\0ston", 8), {"hou", "ston"}, true, "\"hou\" AND \"ston\"*"},
        {"\xE6\x9D\xB1\xE4\xBA\xAC \xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0",
         {"\xE6\x9D\xB1\xE4\xBA\xAC", "\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0"},
         true,
         "\"\xE6\x9D\xB1\xE4\xBA\xAC\" AND \"\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0\"*"},
    };
    for (const SplitCase& c : cases)
    {
        SCOPED_TRACE(c.typed);
        const Keywords keywords = splitter.Split(c.typed);
        EXPECT_EQ(keywords.words, c.words);
        EXPECT_EQ(keywords.lastIsPrefix, c.lastIsPrefix);
        EXPECT_EQ(MatchExpression(keywords).value_or(""), c.match);
    }
}

} // namespace
} // namespace tnews::server
