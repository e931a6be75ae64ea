// The readers' corrections on the catalogue's side: the reviewed file, the build applying it,
// and the review of the server's store.
#include "catalogue/paper_status.h"
#include "catalogue/tool/builder.h"
#include "catalogue/tool/commands.h"
#include "catalogue/tool/corrections_file.h"
#include "fixture_sources.h"
#include "server/corrections_store.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tnews::catalogue
{
namespace
{

using testing::Slurp;
using testing::TempFolder;
using testing::WriteFile;

constexpr std::string_view kDays = "2026-12-01\t2026-12-07";

const Paper* FindPaper(const Catalogue& catalogue, std::string_view name)
{
    for (const Paper& paper : catalogue.papers)
    {
        if (paper.name == name)
            return &paper;
    }
    return nullptr;
}

TEST(CorrectionsFileTest, BuildAppliesEachActionWithTheCuratedListsPriority)
{
    const TempFolder folder;
    testing::WriteFixture(folder.Path());
    const auto line = [](std::string fields, int report)
    { return fields + "\t" + std::string(kDays) + "\tstore/" + std::to_string(report) + "\n"; };
    WriteFile(folder.Path() / "corrections.tsv",
              CorrectionsFileHeader() +
                  line("add\tu\tTexas\tWaco Herald\tWaco\thttps://wacoherald.example/\t", 1) +
                  line("add\tu\tTexas\tTribune, as a reader named it\tAustin\thttps://texastribune.org\t", 2) +
                  line("move\tu\tTexas\tThe Daily Texan\tAustin\thttps://thedailytexan.com/\t"
                       "https://dailytexanonline.example/",
                       3) +
                  line("place\tu\tOklahoma\tWaco Tribune\tTulsa\thttp://wacotrib.com/\t", 4) +
                  line("remove\ti\tFrance\tLe Monde\tParis\thttps://lemonde.fr\tnot-newspaper", 5) +
                  line("closed\tc\tYukon Territories\tWhitehorse Star\t\thttp://www.whitehorsestar.com/\t2026-12-01", 6) +
                  line("move\tu\tTexas\tNobody\t\thttps://nobody.example/\thttps://n.example/", 7));
    BuildSummary summary;
    const Catalogue catalogue =
        BuildCatalogue({folder.Path() / "curated.tsv", folder.Path() / "sources",
                        folder.Path() / "corrections.tsv"},
                       summary);

    const Paper* added = FindPaper(catalogue, "Waco Herald");
    ASSERT_TRUE(added);
    EXPECT_EQ(testing::Fields(*added),
              (std::vector<std::string>{"usa", "Texas", "Waco", "Waco Herald", "newspaper", "",
                                        "https://wacoherald.example/", "", "corrections"}));
    const Paper* curated = FindPaper(catalogue, "The Texas Tribune");
    ASSERT_TRUE(curated);
    EXPECT_EQ(curated->sources, (std::vector<std::string>{"curated", "corrections", "local-memory"}))
        << "the curated line keeps its name";
    EXPECT_FALSE(FindPaper(catalogue, "Tribune, as a reader named it"));
    EXPECT_EQ(FindPaper(catalogue, "The Daily Texan")->website, "https://dailytexanonline.example/");
    const Paper* moved = FindPaper(catalogue, "Waco Tribune");
    EXPECT_EQ(std::pair(moved->place, moved->city), std::pair(std::string_view("Oklahoma"), std::string("Tulsa")));
    EXPECT_FALSE(FindPaper(catalogue, "Le Monde"));
    const Paper* closed = FindPaper(catalogue, "Whitehorse Star");
    ASSERT_TRUE(closed);
    ASSERT_EQ(closed->closures.size(), 1u);
    EXPECT_EQ(closed->closures[0].date, "2026-12-01");
    EXPECT_EQ(closed->closures[0].reportedBy, "reader report, reviewed 2026-12-07");
    EXPECT_TRUE(DecidePaperStatus(*closed, {}).reportedClosed);
    EXPECT_EQ(summary.dropped["corrections"]["corrections whose website no paper has"], 1u);
    EXPECT_EQ(catalogue.sources.back().id, "corrections");
    EXPECT_EQ(catalogue.sources.back().licence, "CC0 1.0");
    EXPECT_EQ(catalogue.sources.back().date, "2026-12-07") << "its latest review";
    // What the build writes the server loads.
    EXPECT_NO_THROW(ParseCatalogue(FormatCatalogue(catalogue), "built"));
}

TEST(CorrectionsFileTest, RefusesEachMalformedLineNamingIt)
{
    const std::string good = "add\tu\tTexas\tPaper\tAustin\thttps://p.example/\t\t" +
                             std::string(kDays) + "\tstore/1\n";
    const std::pair<std::string, std::string> cases[] = {
        {"edit\tu\tTexas\tPaper\tAustin\thttps://p.example/\t\t2026-12-01\t2026-12-07\ts/2\n",
         "unknown action"},
        {"add\ti\tCrotia\tPaper\tZagreb\thttps://p.example/\t\t2026-12-01\t2026-12-07\ts/2\n",
         "no papers of its own"},
        {"add\tu\tTexas\tPaper\tAustin\tp.example\t\t2026-12-01\t2026-12-07\ts/2\n", "website"},
        {"move\tu\tTexas\tPaper\tAustin\thttps://p.example/\tsoon\t2026-12-01\t2026-12-07\ts/2\n",
         "does not fit"},
        {"add\tu\tTexas\tPaper\tAustin\thttps://p.example/\t\t1 Dec\t2026-12-07\ts/2\n", "days"},
        {"add\tu\tTexas\tPaper\tAustin\thttps://p.example/\t\t2026-12-01\t2026-12-07\tstore/1\n",
         "named before"},
        {"add\tu\tTexas\tPaper\n", "expected 10"},
    };
    for (const auto& [bad, problem] : cases)
    {
        try
        {
            ParseCorrections(good + bad, "corrections.tsv");
            ADD_FAILURE() << "accepted: " << bad;
        }
        catch (const CatalogueError& error)
        {
            EXPECT_NE(std::string(error.what()).find("corrections.tsv:2: "), std::string::npos)
                << error.what();
            EXPECT_NE(std::string(error.what()).find(problem), std::string::npos) << error.what();
        }
    }
}

// The review command over a store the server would have filled.
class CorrectionsReviewTest : public ::testing::Test
{
protected:
    int Run(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"corrections", "--state", folder.Path().string(), "--file",
                                   file.string()});
        out.str("");
        err.str("");
        return RunCommand(args, out, err);
    }
    void Submit(server::Submission submission)
    {
        const std::string key = submission.website + submission.problem;
        ASSERT_EQ(store.Submit(submission, key, "192.0.2.1").outcome,
                  server::Receipt::Outcome::Recorded);
    }

    const TempFolder folder;
    const std::filesystem::path file = folder.Path() / "corrections.tsv";
    server::CorrectionsStore store{folder.Path()};
    std::ostringstream out, err;
};

TEST_F(CorrectionsReviewTest, ListsAcceptsAndRejectsWithoutLosingAWord)
{
    // Fields as a hostile client could store them: the terminal must only print them.
    Submit({"suggestion", "u", "Texas", "Evil\x1B]0;owned\x07 Paper", "https://evil.example/",
            "Austin\xE2\x80\xAE", "", "", "two\nlines \\ and \xC2\x9B""31m"});
    Submit({"report", "u", "Texas", "Houston Press", "https://houstonpress.example/", "Houston",
            "moved", "", ""});
    Submit({"report", "u", "Texas", "La Voz", "https://lavoz.example/", "Houston", "place", "",
            "It is in Oklahoma."});
    Submit({"report", "u", "Texas", "El Diario", "https://diario.example/", "El Paso", "closed",
            "", ""});

    ASSERT_EQ(Run({"list"}), 0) << err.str();
    const std::string listed = out.str();
    for (const char* shown : {"4 open items", "#1 suggestion, Texas (u)",
                              "Evil\\u{1b}]0;owned\\u{7} Paper", "Austin\\u{202e}",
                              "two\\nlines \\\\ and \\u{9b}31m", "#2 report: It moved"})
        EXPECT_NE(listed.find(shown), std::string::npos) << shown << "\n" << listed;
    for (char control : {'\x1B', '\x07'})
        EXPECT_EQ(listed.find(control), std::string::npos);

    EXPECT_EQ(Run({"accept", "1", "--name", "Evil Paper"}), 0) << err.str();
    EXPECT_EQ(Run({"accept", "1"}), 1);
    EXPECT_NE(err.str().find("already accepted"), std::string::npos) << err.str();
    EXPECT_EQ(Run({"accept", "2"}), 2) << "no reader gave the new address";
    EXPECT_EQ(Run({"accept", "2", "--website", "https://houstonpress.example/new"}), 0) << err.str();
    EXPECT_EQ(Run({"accept", "3"}), 2) << "the reviewer must say where";
    EXPECT_EQ(Run({"accept", "3", "--place", "Oklahoma", "--city", "Tulsa"}), 0) << err.str();
    EXPECT_EQ(Run({"reject", "4"}), 2);
    EXPECT_EQ(Run({"reject", "4", "--reason", "It still prints."}), 0) << err.str();
    EXPECT_EQ(Run({"accept", "9"}), 1);

    const std::vector<Correction> written = ParseCorrections(Slurp(file), file.string());
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(std::tuple(written[0].action, written[0].name, written[0].website),
              std::tuple("add", "Evil Paper", "https://evil.example/"));
    EXPECT_EQ(written[1].value, "https://houstonpress.example/new");
    EXPECT_EQ(written[2].place->place, "Oklahoma");
    EXPECT_EQ(written[2].report, store.StoreId() + "/3");
    EXPECT_EQ(store.FindItem(4)->reason, "It still prints.");
    EXPECT_TRUE(store.OpenItems().empty());
}

TEST_F(CorrectionsReviewTest, AnItemWrittenBeforeACrashIsWrittenOnce)
{
    Submit({"report", "u", "Texas", "La Voz", "https://lavoz.example/", "Houston", "gone", "", ""});
    // The file got the line, the store's commit did not: accepting again must not repeat it.
    WriteFile(file, CorrectionsFileHeader() + "remove\tu\tTexas\tLa Voz\tHouston\thttps://lavoz.example/"
                                              "\tgone\t" + std::string(kDays) + "\t" +
                        store.StoreId() + "/1\n");
    ASSERT_EQ(Run({"accept", "1"}), 0) << err.str();
    EXPECT_EQ(ParseCorrections(Slurp(file), file.string()).size(), 1u);
    EXPECT_EQ(store.FindItem(1)->status, "accepted");
}

} // namespace
} // namespace tnews::catalogue
