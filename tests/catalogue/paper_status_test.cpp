// The newest evidence decides whether a paper is live: closure reports against signs of life
// from the data sets and from link checks.
#include "catalogue/paper_status.h"

#include <gtest/gtest.h>

namespace tnews::catalogue
{
namespace
{

LinkCheck Check(bool ok, std::string day, std::string finalUrl = "")
{
    return {"https://www.paper.example/", ok, ok ? 200 : 0, std::move(finalUrl),
            day + "T08:00:00Z",           ""};
}

TEST(PaperStatusTest, ClosureAfterEverySignOfLifeClosesANewerSignKeepsItLive)
{
    struct Case
    {
        std::string what;
        std::vector<SignOfLife> alive;
        std::vector<ClosureReport> closures;
        std::vector<LinkCheck> checks;
        bool closed;
        std::string lastSeen; // date of the newest sign of life; empty for none
    };
    const SignOfLife feed{"2026-03-25", "news-feeds", "feed answered"};
    const ClosureReport wikidata{"2016", "Wikidata", "dissolved"};
    const Case cases[] = {
        {"no report", {feed}, {}, {}, false, "2026-03-25"},
        {"a report and nothing since", {}, {wikidata}, {}, true, ""},
        {"a feed after the report", {feed}, {wikidata}, {}, false, "2026-03-25"},
        {"a sign of life before the report",
         {{"2015-06", "nz", "current"}},
         {wikidata},
         {},
         true,
         "2015-06"},
        // "2016-11" may fall before the day in 2016 the paper closed.
        {"a sign in the report's own year",
         {{"2016-11", "nz", "current"}},
         {wikidata},
         {},
         true,
         "2016-11"},
        {"a vague sign surely after a precise report",
         {{"2023", "nz", "current"}},
         {{"2022-04-22", "Wikidata", ""}},
         {},
         false,
         "2023"},
        {"a later report outweighs an older sign",
         {feed},
         {wikidata, {"2026-06", "reader report, reviewed 2026-07-01", ""}},
         {},
         true,
         "2026-03-25"},
        {"a link check that answered",
         {},
         {wikidata},
         {Check(true, "2026-12-01")},
         false,
         "2026-12-01"},
        {"a link check that failed", {}, {wikidata}, {Check(false, "2026-12-01")}, true, ""},
        {"a redirect within the site",
         {},
         {wikidata},
         {Check(true, "2026-12-01", "https://paper.example/home")},
         false,
         "2026-12-01"},
        // A closed paper's address often leads to its buyer's site or a domain seller.
        {"a redirect to another host",
         {},
         {wikidata},
         {Check(true, "2026-12-01", "https://buyer.example/")},
         true,
         ""},
    };
    for (const Case& c : cases)
    {
        Paper paper;
        paper.website = "https://www.paper.example/";
        paper.alive = c.alive;
        paper.closures = c.closures;
        const PaperStatus status = DecidePaperStatus(paper, c.checks);
        EXPECT_EQ(status.reportedClosed, c.closed) << c.what;
        EXPECT_EQ(status.lastSeen ? status.lastSeen->date : "", c.lastSeen) << c.what;
        EXPECT_EQ(status.closure != nullptr, !c.closures.empty()) << c.what;
        if (status.closure)
        {
            EXPECT_EQ(status.closure, &paper.closures.back()) << c.what << ": not the newest";
        }
    }
}

TEST(PaperStatusTest, DatesAreAsPreciseAsTheirSource)
{
    for (const char* good : {"2026", "2026-03", "2026-03-25", "1793"})
        EXPECT_TRUE(IsEvidenceDate(good)) << good;
    for (const char* bad : {"", "26", "2026-3", "2026-13", "2026-03-32", "2026/03", "2026-03-25T"})
        EXPECT_FALSE(IsEvidenceDate(bad)) << bad;
    EXPECT_TRUE(SurelyAfter("2023", "2022-04-22"));
    EXPECT_FALSE(SurelyAfter("2022-05", "2022"));
    EXPECT_FALSE(SurelyAfter("2022", "2022"));
}

TEST(PaperStatusTest, NewestListingIsTheSourceWithTheLatestDate)
{
    const std::vector<Source> sources = {{"lm", "", "Local Memory", "2017", "", "", ""},
                                         {"3dl", "", "3DLNews", "2024-12", "", "", ""},
                                         {"wd", "", "Wikidata", "2023-04", "", "", ""}};
    Paper paper;
    paper.sources = {"lm", "wd", "3dl", "unknown"};
    EXPECT_EQ(NewestListing(paper, sources)->id, "3dl");
    paper.sources = {"unknown"};
    EXPECT_EQ(NewestListing(paper, sources), nullptr);
}

} // namespace
} // namespace tnews::catalogue
