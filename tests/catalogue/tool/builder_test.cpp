#include "catalogue/tool/builder.h"
#include "catalogue/tool/commands.h"
#include "fixture_sources.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace tnews::catalogue
{
namespace
{

using testing::Slurp;
using testing::TempFolder;
using testing::WriteFile;
using testing::WriteFixture;

std::string Describe(const Paper& p)
{
    std::string sources;
    for (const std::string& s : p.sources)
        sources += (sources.empty() ? "" : ",") + s;
    return std::string(p.region->code) + "/" + std::string(p.place) + "|" + p.city + "|" + p.name +
           "|" + std::string(KindName(p.kind)) + "|" + p.language + "|" + p.website + "|" + p.feed +
           "|" + sources;
}

int RunTool(const std::vector<std::string>& args, std::string& err)
{
    std::ostringstream out, errors;
    const int status = RunCommand(args, out, errors);
    err = errors.str();
    return status;
}

TEST(BuilderTest, MergesDuplicatesLetsCuratedWinAndDropsWhatIsNoPaper)
{
    TempFolder folder;
    WriteFixture(folder.Path());
    BuildSummary summary;
    const Catalogue catalogue =
        BuildCatalogue({folder.Path() / "curated.tsv", folder.Path() / "sources"}, summary);

    std::vector<std::string> papers;
    for (const Paper& paper : catalogue.papers)
        papers.push_back(Describe(paper));
    const std::vector<std::string> expected = {
        "c/Yukon Territories|Whitehorse|Whitehorse Star|newspaper||http://www.whitehorsestar.com/||"
        "local-memory",
        "u/National|Austin|The Texas Tribune|newspaper||https://www.texastribune.org/||"
        "curated,local-memory",
        "u/Texas|Austin|The Austin Chronicle|newspaper|English|https://www.austinchronicle.com/||"
        "wikidata",
        "u/Texas|Austin|The Daily Texan|college||https://thedailytexan.com/|"
        "https://thedailytexan.com/feed|local-memory",
        "u/Texas|Austin|The Texas Tribune|newspaper||https://www.texastribune.org/||"
        "curated,local-memory",
        "u/Texas|Waco|Waco Tribune|newspaper||http://wacotrib.com/||local-memory",
        "i/Banglades|Dhaka|Prothom Alo|newspaper||http://www.prothomalo.com/||local-memory",
        "i/Banglades|Dhaka|The Daily Star|newspaper||https://www.thedailystar.net/||"
        "curated,local-memory",
        "i/France|Paris|Le Monde|newspaper|English, French|https://www.lemonde.fr/||wikidata",
        "i/Iran|Tehran|Shargh|newspaper|Persian|https://www.sharghdaily.com/||curated,wikidata",
        "i/UK Scotland||The Herald|newspaper|English|https://www.heraldscotland.com/||wikidata",
    };
    EXPECT_EQ(papers, expected);

    EXPECT_EQ(summary.merged, (std::map<std::string, std::size_t>{{"local-memory", 2},
                                                                  {"wikidata", 1}}));
    const Tally dropped = {{"local-memory",
                            {{"TV station", 1},
                             {"radio station", 2},
                             {"a social-media page as website", 1}}},
                           {"wikidata", {}}};
    EXPECT_EQ(summary.dropped, dropped);
    const Tally leftOut = {
        {"local-memory", {{"a country the list has no entry for: Andorra", 1}}},
        {"wikidata",
         {{"US paper whose place of publication names no single state", 1},
          {"no name in English", 1}}}};
    EXPECT_EQ(summary.leftOut, leftOut);
    EXPECT_EQ(catalogue.sources[1].attribution, "MIT License\n\nCopyright (c) 2017 Fixture Group");
    EXPECT_EQ(catalogue.rules.size(), PlaceRules().size());
    EXPECT_EQ(catalogue.aliases.size(), PlaceAliases().size());
}

TEST(BuilderTest, SameInputsGiveTheSameBytes)
{
    TempFolder folder;
    WriteFixture(folder.Path());
    const std::filesystem::path first = folder.Path() / "first.tsv";
    const std::filesystem::path second = folder.Path() / "second.tsv";
    std::string err;
    for (const auto& output : {first, second})
    {
        ASSERT_EQ(RunTool({"build", "--output", output.string(), "--curated",
                       (folder.Path() / "curated.tsv").string(), "--sources",
                       (folder.Path() / "sources").string()},
                      err),
                  0)
            << err;
    }
    EXPECT_EQ(Slurp(first), Slurp(second));
    EXPECT_NO_THROW(LoadCatalogue(first));
}

TEST(BuilderTest, BadInputStopsTheBuildAndKeepsThePreviousCatalogue)
{
    struct Case
    {
        std::string file; // relative to the fixture's folder
        std::string text; // its new contents; empty: removed
        std::string message;
    };
    const std::string usa = "sources/local-memory/LocalMemoryProject/Sources/USA/usa.json";
    const std::string wikidata = "sources/wikidata/newspapers-with-website.json";
    const std::string town = "sources/local-memory/LocalMemoryProject/Sources/Canada/Whitehorse/"
                             "source.json";
    const Case cases[] = {
        {"curated.tsv", "# x\nu\tTexas\tFour Fields\thttps://four.example/\n",
         "curated.tsv:2: expected 5 or 6 tab-separated fields, found 4"},
        {"curated.tsv", "i\tCrotia\tGlas Istre\tPula\thttps://www.glasistre.hr/\n",
         "curated.tsv:1: \"Crotia\" lists no papers of its own"},
        {"curated.tsv", "u\tTexas\tCut\tAustin\thttps://cut.example/", "curated.tsv:1: the last line"},
        {usa, "{\"TX\": {\"newspaper\": [\n{\"name\": \"Cut sh", "usa.json:2: not valid JSON"},
        {usa, "{\"TX\": {\"newspaper\": [{\"name\": \"N\", \"city-county-name\": \"\", "
              "\"website\": 7}]}}\n",
         "usa.json: state TX, newspaper 1: \"website\" is not a string"},
        {town, "{\"newspaper\": \"none\"}", "source.json: the document: \"newspaper\" is not an array"},
        {wikidata, "{\"head\": {}}", "newspapers-with-website.json: the document: \"results\" is "
                                     "missing"},
        {wikidata, "", "newspapers-with-website.json: can't open"},
    };
    for (const Case& c : cases)
    {
        TempFolder folder;
        WriteFixture(folder.Path());
        const std::filesystem::path output = folder.Path() / "catalogue.tsv";
        const std::vector<std::string> args = {"build",
                                               "--output",
                                               output.string(),
                                               "--curated",
                                               (folder.Path() / "curated.tsv").string(),
                                               "--sources",
                                               (folder.Path() / "sources").string()};
        std::string err;
        ASSERT_EQ(RunTool(args, err), 0) << err;
        const std::string before = Slurp(output);
        if (c.text.empty())
            std::filesystem::remove(folder.Path() / c.file);
        else
            WriteFile(folder.Path() / c.file, c.text);

        EXPECT_EQ(RunTool(args, err), 1) << c.file << ": " << c.text;
        EXPECT_NE(err.find(c.message), std::string::npos) << "input: " << c.text << "\ngot: " << err;
        EXPECT_EQ(Slurp(output), before) << c.file;
        std::size_t files = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path()))
            ++files;
        EXPECT_EQ(files, 3u) << "a temporary file was left behind";
    }
}

} // namespace
} // namespace tnews::catalogue
