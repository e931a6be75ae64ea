#include "catalogue/catalogue_file.h"

#include <gtest/gtest.h>

namespace tnews::catalogue
{
namespace
{

const std::string kSources =
    "source\tcurated\tTyped in by hand\tby hand\t2026-12\tCC0 1.0\t\t\n"
    "source\tlm\tLocal Memory\tLocal Memory\t2017\tMIT\thttps://example.org/lm\tCopyright (c)\n";

const std::string kPaper =
    "paper\ti\tBanglades\tDhaka\tThe Daily Star\tnewspaper\tEnglish\thttps://www.thedailystar.net/"
    "\t\tcurated,lm\n";

TEST(CatalogueFileTest, RoundTripKeepsEveryFieldAndGivesTheSameBytes)
{
    const std::string text = kSources +
                             "alias\ti\tBanglades\tBangladesh\n"
                             "rule\ti\tCrotia\tsame-as\tCroatia\tThe list names Croatia twice.\n"
                             "rule\ti\tFarsi\tlanguage\tPersian\tFarsi is a language.\n"
                             "rule\ti\tKurdistan\tnone\t\tNo data.\n"
                             "note\ti\tBanglades\tSpelt as the list does.\n" +
                             kPaper +
                             "address\thttp://old.example/\n"
                             "alive\t2026-03-25\tlm\tfeed answered\n"
                             "closed\t2016\treader report, reviewed 2026-12-01\t\n"
                             "closed\t2016-01\tWikidata\tdissolved\n" +
                             "paper\tu\tTexas\t\tA \\\\ B \\t C\\nD\tcollege\t\thttp://x.edu/\t"
                             "http://x.edu/feed\tlm\n";
    const Catalogue catalogue = ParseCatalogue(text, "c.tsv");
    ASSERT_EQ(catalogue.rules.size(), 3u);
    EXPECT_EQ(catalogue.rules[0].how, PlaceRule::How::SameAs);
    ASSERT_EQ(catalogue.papers.size(), 2u);
    const Paper& college = catalogue.papers[1];
    EXPECT_EQ(college.name, "A \\ B \t C\nD");
    EXPECT_EQ(college.kind, Kind::College);
    EXPECT_EQ(catalogue.papers[0].sources, (std::vector<std::string>{"curated", "lm"}));
    // Evidence records belong to the paper above them.
    EXPECT_EQ(catalogue.papers[0].addresses, (std::vector<std::string>{"http://old.example/"}));
    EXPECT_EQ(catalogue.papers[0].alive.size(), 1u);
    ASSERT_EQ(catalogue.papers[0].closures.size(), 2u);
    EXPECT_EQ(catalogue.papers[0].closures[0].reportedBy, "reader report, reviewed 2026-12-01");
    EXPECT_TRUE(college.closures.empty());
    EXPECT_EQ(catalogue.sources[1].date, "2017");
    ASSERT_EQ(catalogue.notes.size(), 1u);
    // What it reads it writes back byte for byte, after the file's header.
    EXPECT_TRUE(FormatCatalogue(catalogue).ends_with(text)) << FormatCatalogue(catalogue);
}

const std::string kTexasPaper = "paper\tu\tTexas\t\tN\tnewspaper\t\thttp://a.b/\t\tlm\n";
const std::string kCheck = "check\thttps://a.example/\tok\t200\t\t2026-12-01T08:00:00Z\t\n";

// `line` with its field `n` (from 1) set to `value`.
std::string With(std::string line, std::size_t n, const std::string& value)
{
    std::size_t start = 0;
    for (std::size_t i = 1; i < n; ++i)
        start = line.find('\t', start) + 1;
    return line.replace(start, line.find_first_of("\t\n", start) - start, value);
}

// Expects `parse` to refuse `text` with an error that starts with `message`.
template <typename Parse>
void ExpectRefused(Parse parse, const std::string& text, const std::string& message)
{
    try
    {
        parse(text);
        ADD_FAILURE() << "accepted: " << text;
    }
    catch (const CatalogueError& error)
    {
        EXPECT_EQ(std::string(error.what()).rfind(message, 0), 0u)
            << "input: " << text << "\ngot: " << error.what();
    }
}

TEST(CatalogueFileTest, RefusesMalformedLinesNamingFileAndLine)
{
    // Each body follows the two source lines, so it starts at line 3.
    const std::pair<std::string, std::string> cases[] = {
        {"paper\ti\tBanglades\n", "c.tsv:3: a paper record has 10 tab-separated fields, found 3"},
        {"papers\tx\n", "c.tsv:3: unknown record \"papers\""},
        {With(kTexasPaper, 2, "x"), "c.tsv:3: unknown region code \"x\""},
        {With(kTexasPaper, 2, "i"), "c.tsv:3: \"Texas\" is not a country of region i"},
        {With(kTexasPaper, 6, "weekly"), "c.tsv:3: unknown kind \"weekly\""},
        {With(kTexasPaper, 8, "ftp://a.b/"), "c.tsv:3: website \"ftp://a.b/\" is not an"},
        {With(kTexasPaper, 10, "lm,wd"), "c.tsv:3: source \"wd\" is not defined"},
        {With(kTexasPaper, 10, "lm,lm"), "c.tsv:3: source \"lm\" is named twice"},
        {With(kTexasPaper, 5, ""), "c.tsv:3: the paper's name is empty"},
        {With(kTexasPaper, 5, " N"), "c.tsv:3: field 5 has blanks at its start or end"},
        {With(kTexasPaper, 5, "N\\x"), "c.tsv:3: field 5 has an unknown escape \"\\x\""},
        {With(kTexasPaper, 5, "N\\"), "c.tsv:3: field 5 ends in a lone backslash"},
        {With(kTexasPaper, 10, "lm\r"), "c.tsv:3: the line ends in CR"},
        {With(kTexasPaper, 5, "N\xC3"), "c.tsv:3: the line is not valid UTF-8"},
        {kPaper.substr(0, kPaper.size() - 1), "c.tsv:3: the last line has no"},
        {"source\tlm\tAgain\tLM\t2017\tMIT\t\t\n",
         "c.tsv:3: source \"lm\" is already defined on line 2"},
        {"source\tx\tX\tX\t2017-13\tMIT\t\t\n", "c.tsv:3: the source's date \"2017-13\""},
        {"alive\t2026\tlm\tfeed\n" + kPaper,
         "c.tsv:3: the alive record belongs to the paper above it"},
        {kPaper + "alive\t2026\twd\tfeed\n", "c.tsv:4: source \"wd\" is not defined"},
        {kPaper + "closed\t16\tWikidata\t\n", "c.tsv:4: the date \"16\" is not a date"},
        {kPaper + "closed\t2016\t\t\n", "c.tsv:4: who reports it is empty"},
        {kPaper + "address\thttps://www.thedailystar.net/\n", "c.tsv:4: the address"},
        {"note\ti\tCrotia\tn\n" + kPaper, "c.tsv:3: \"Crotia\" has a note but no paper"},
        {"alias\ti\tBanglades\tBanglades\n", "c.tsv:3: the other name is the place's own"},
        {"rule\ti\tCrotia\tsame-as\tCrotia\tn\n", "c.tsv:3: a place can't be the same as itself"},
        {"rule\ti\tFarsi\tlanguage\t\tn\n", "c.tsv:3: a language rule names its language"},
        {"rule\ti\tFarsi\tnone\t\tn\nrule\ti\tFarsi\tnone\t\tn\n",
         "c.tsv:4: \"Farsi\" already has a rule on line 3"},
        {"rule\ti\tBanglades\tnone\t\tn\n" + kPaper,
         "c.tsv:3: \"Banglades\" has a rule but also papers (line 4)"},
        {"rule\ti\tCrotia\tsame-as\tCroatia\tn\nrule\ti\tCroatia\tnone\t\tn\n" + kPaper,
         "c.tsv:3: \"Crotia\" is the same as \"Croatia\", which has a rule itself"},
        {"# only a comment\n\n", "c.tsv: the catalogue has no paper"},
    };
    for (const auto& [body, message] : cases)
        ExpectRefused([](const std::string& t) { ParseCatalogue(t, "c.tsv"); }, kSources + body,
                      message);
}

TEST(ChecksFileTest, ReadsOldAndNewLinesAndKeepsTheLatestOfEachWebsite)
{
    // As files were written before the moved-to field.
    const std::string oldLine =
        "check\thttps://a.example/\tfailed\t0\t\t2026-12-01T08:00:00Z\ttimed out after 20 s\n";
    const LinkCheck parked{
        "https://b.example/",   false,          200, "https://www.hugedomains.com/x",
        "2026-12-02T08:00:00Z", "parking page", "",  true};
    const LinkCheck moved{"https://a.example/",
                          true,
                          200,
                          "https://a-news.example/",
                          "2026-12-03T09:30:59Z",
                          "tab\there",
                          "https://a-news.example/"};
    // The latest check of a website is the one with the latest time, wherever its line stands.
    const std::string text = FormatCheck(moved) + oldLine + FormatCheck(parked);
    const std::vector<LinkCheck> history = ParseCheckHistory(text, "checks.tsv");
    ASSERT_EQ(history.size(), 3u);
    EXPECT_EQ(FormatCheck(history[1]), oldLine.substr(0, oldLine.size() - 1) + "\t\n");
    const std::vector<LinkCheck> latest = ParseChecks(text, "checks.tsv");
    ASSERT_EQ(latest.size(), 2u);
    EXPECT_EQ(FormatCheck(latest[0]), FormatCheck(moved));
    EXPECT_EQ(FormatCheck(latest[1]), FormatCheck(parked));
    EXPECT_EQ(latest[0].detail, "tab\there");
    EXPECT_TRUE(latest[1].parked && !latest[1].ok);
}

TEST(ChecksFileTest, RefusesMalformedLines)
{
    const std::pair<std::string, std::string> cases[] = {
        {"check\thttps://a.example/\tok\t200\n", "k.tsv:2: expected a check record of 8"},
        {With(kCheck, 2, "a.example"), "k.tsv:2: website \"a.example\""},
        {With(kCheck, 3, "fine"), "k.tsv:2: result \"fine\""},
        {With(kCheck, 4, "2000"), "k.tsv:2: http-status \"2000\""},
        {With(kCheck, 5, "nowhere"), "k.tsv:2: final-url \"nowhere\""},
        {With(kCheck, 6, "2026-13-01T08:00:00Z"), "k.tsv:2: checked-at"},
        {With(kCheck, 6, "2026-12-01 08:00:00"), "k.tsv:2: checked-at"},
        {With(kCheck, 6, "2026-02-30T08:00:00Z"), "k.tsv:2: checked-at"},
        {With(kCheck, 7, "\tnowhere"), "k.tsv:2: moved-to \"nowhere\""},
    };
    for (const auto& [line, message] : cases)
        ExpectRefused([](const std::string& t) { ParseChecks(t, "k.tsv"); }, kCheck + line,
                      message);
}

} // namespace
} // namespace tnews::catalogue
