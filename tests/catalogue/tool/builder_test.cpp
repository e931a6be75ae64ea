#include "catalogue/tool/builder.h"
#include "catalogue/tool/commands.h"
#include "fixture_sources.h"

#include <gtest/gtest.h>

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
    std::string line;
    for (const std::string& field : testing::Fields(p))
        line += (line.empty() ? "" : "|") + field;
    return line;
}

// Runs "build" over the fixture in `folder` into `output`; its exit status, its errors in `err`.
int Build(const std::filesystem::path& folder, const std::filesystem::path& output,
          std::string& err)
{
    std::ostringstream out, errors;
    const int status =
        RunCommand({"build", "--output", output.string(), "--curated",
                    (folder / "curated.tsv").string(), "--sources", (folder / "sources").string()},
                   out, errors);
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
        "canada|Yukon Territories|Whitehorse|Whitehorse Star|newspaper||"
        "http://www.whitehorsestar.com/||local-memory",
        "usa|National|Austin|The Texas Tribune|newspaper||https://www.texastribune.org/||"
        "curated,local-memory",
        "usa|Texas|Austin|The Austin Chronicle|newspaper|English|https://www.austinchronicle.com/||"
        "wikidata",
        "usa|Texas|Austin|The Daily Texan|college||https://thedailytexan.com/|"
        "https://thedailytexan.com/feed|local-memory",
        "usa|Texas|Austin|The Texas Tribune|newspaper||https://www.texastribune.org/||"
        "curated,local-memory",
        "usa|Texas|Waco|Waco Tribune|newspaper||http://wacotrib.com/||local-memory",
        "international|Banglades|Dhaka|The Daily Star|newspaper||https://www.thedailystar.net/||"
        "curated,local-memory",
        "international|France|Paris|Le Monde|newspaper|English, French|https://www.lemonde.fr/||"
        "wikidata",
        "international|Iran|Tehran|Shargh|newspaper|Persian|https://www.sharghdaily.com/||"
        "curated,wikidata",
        "international|UK Scotland||The Herald|newspaper|English|https://www.heraldscotland.com/||"
        "wikidata",
    };
    EXPECT_EQ(papers, expected);

    EXPECT_EQ(summary.merged,
              (std::map<std::string, std::size_t>{{"local-memory", 2}, {"wikidata", 1}}));
    const Tally dropped = {
        {"local-memory",
         {{"TV station", 1}, {"radio station", 2}, {"a social-media page as website", 1}}},
        {"wikidata", {}}};
    EXPECT_EQ(summary.dropped, dropped);
    const Tally leftOut = {{"local-memory", {{"a country the list has no entry for: Andorra", 1}}},
                           {"wikidata",
                            {{"US paper whose place of publication names no single state", 1},
                             {"no name in English", 1}}}};
    EXPECT_EQ(summary.leftOut, leftOut);
    EXPECT_EQ(catalogue.rules.size(), PlaceRules().size());
    EXPECT_EQ(catalogue.aliases.size(), PlaceAliases().size());
}

// The same inputs give the same bytes; bad input stops the build and leaves those bytes alone.
TEST(BuilderTest, SameInputsGiveTheSameBytesAndBadInputKeepsThem)
{
    struct Case
    {
        std::string file; // relative to the fixture's folder
        std::string text; // its new contents; empty: removed
        std::string message;
    };
    const std::string usa = "sources/local-memory/LocalMemoryProject/Sources/USA/usa.json";
    const std::string wikidata = "sources/wikidata/newspapers-with-website.json";
    const Case cases[] = {
        {"curated.tsv", "# x\nu\tTexas\tFour Fields\thttps://four.example/\n",
         "curated.tsv:2: expected 5 or 6 tab-separated fields, found 4"},
        {usa, "{\"TX\": {\"newspaper\": [\n{\"name\": \"Cut sh", "usa.json:2: not valid JSON"},
        {usa,
         "{\"TX\": {\"newspaper\": [{\"name\": \"N\", \"city-county-name\": \"\", "
         "\"website\": 7}]}}\n",
         "usa.json: state TX, newspaper 1: \"website\" is not a string"},
        {wikidata, "", "newspapers-with-website.json: can't open"},
    };
    for (const Case& c : cases)
    {
        TempFolder folder;
        WriteFixture(folder.Path());
        const std::filesystem::path output = folder.Path() / "catalogue.tsv";
        std::string err;
        ASSERT_EQ(Build(folder.Path(), output, err), 0) << err;
        const std::string before = Slurp(output);
        ASSERT_EQ(Build(folder.Path(), output, err), 0) << err;
        EXPECT_EQ(Slurp(output), before) << "the same inputs gave other bytes";
        if (c.text.empty())
            std::filesystem::remove(folder.Path() / c.file);
        else
            WriteFile(folder.Path() / c.file, c.text);

        EXPECT_EQ(Build(folder.Path(), output, err), 1) << c.file << ": " << c.text;
        EXPECT_NE(err.find(c.message), std::string::npos)
            << "input: " << c.text << "\ngot: " << err;
        EXPECT_EQ(Slurp(output), before) << c.file;
        const auto files = std::distance(std::filesystem::directory_iterator(folder.Path()), {});
        EXPECT_EQ(files, 3) << "a temporary file was left behind";
    }
}

} // namespace
} // namespace tnews::catalogue
