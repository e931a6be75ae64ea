#include "catalogue/paper_status.h"
#include "catalogue/tool/builder.h"
#include "catalogue/tool/commands.h"
#include "catalogue/tool/export.h"
#include "catalogue/tool/website_key.h"
#include "fixture_sources.h"

#include <csv.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

namespace tnews::catalogue
{
namespace
{

using testing::Slurp;
using testing::TempFolder;
using testing::WriteFile;
using testing::WriteFixture;
using Row = std::vector<std::string>;

// The catalogue built from the fixture in a fresh folder.
Catalogue BuildFixture(BuildSummary& summary)
{
    TempFolder folder;
    WriteFixture(folder.Path());
    return BuildCatalogue({folder.Path() / "curated.tsv", folder.Path() / "sources", {}}, summary);
}

// The paper's fields, then its evidence, and what it adds up to without link checks.
std::string Describe(const Paper& p)
{
    std::string line;
    for (const std::string& field : testing::Fields(p))
        line += (line.empty() ? "" : "|") + field;
    for (const std::string& address : p.addresses)
        line += "|was " + address;
    for (const SignOfLife& sign : p.alive)
        line += "|alive " + sign.date + " " + sign.sourceId + ": " + sign.what;
    for (const ClosureReport& report : p.closures)
        line += "|closed " + report.date + " " + report.reportedBy + ": " + report.note;
    if (DecidePaperStatus(p, {}).reportedClosed)
        line += "|REPORTED CLOSED";
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

// Each source's rules on a small fixture: what is no paper's own site and every partisan
// network's domain dropped, whoever lists it; one website listed once, the curated list
// winning; each source's evidence on its paper; entries that are one paper joined, the newest
// address first, and those that may be two kept apart; the newest evidence deciding.
TEST(BuilderTest, MergesWeighsEvidenceAndDropsWhatIsNoPaper)
{
    BuildSummary summary;
    const Catalogue catalogue = BuildFixture(summary);
    std::vector<std::string> papers;
    for (const Paper& paper : catalogue.papers)
        papers.push_back(Describe(paper));
    const std::string byHand = "|alive 2026-12 curated: listed by the publisher";
    const std::vector<std::string> expected = {
        "canada|Yukon Territories|Whitehorse|Whitehorse Star|newspaper||"
        "http://www.whitehorsestar.com/||local-memory",
        // Local Memory's address (2017) is older than every listing of Wikidata's (2023).
        "canada|Yukon Territories|Whitehorse|Yukon News|newspaper||https://www.yukon-news.com/||"
        "wikidata,local-memory|was http://www.yukonweb.com/community/yukon-news/",
        // 3DLNews' county holds the town, 3DLNews' listing (2024) is newer, and the paper
        // closed in 2016 all the same: a listing is no sign of life.
        "usa|Florida|Tampa|Tampa Tribune|newspaper||http://www.tampatrib.com/||3dlnews,"
        "local-memory|was http://tbo.com/|closed 2016-01-01 Wikidata: dissolved|REPORTED CLOSED",
        "usa|National|Austin|The Texas Tribune|newspaper||https://www.texastribune.org/||"
        "curated,local-memory" +
            byHand,
        "usa|Texas|Austin|The Austin Chronicle|newspaper|English|https://www.austinchronicle.com/||"
        "wikidata",
        "usa|Texas|Austin|The Daily Texan|college||https://thedailytexan.com/|"
        "https://thedailytexan.com/feed|local-memory",
        "usa|Texas|Austin|The Texas Tribune|newspaper||https://www.texastribune.org/||"
        "curated,local-memory" +
            byHand,
        // One name in two towns: two papers.
        "usa|Texas|Galveston|Daily News|newspaper||http://www.galvnews.com/||local-memory",
        "usa|Texas|Hays County|Hays Free Press|newspaper||https://haysfreepress.com/||3dlnews",
        "usa|Texas|Waco|Daily News|newspaper||http://wacodailynews.example/||local-memory",
        "usa|Texas|Waco|Waco Tribune|newspaper||http://wacotrib.com/||local-memory",
        // A feed that answered after the report keeps it live.
        "international|France|Paris|Le Monde|newspaper|English, French|https://www.lemonde.fr/|"
        "https://www.lemonde.fr/rss/en_continu.xml|wikidata,news-feeds|alive 2026-03-25 "
        "news-feeds: feed answered|closed 2020 Wikidata: discontinued",
        "international|Iran|Tehran|Shargh|newspaper|Persian|https://www.sharghdaily.com/||"
        "curated,wikidata" +
            byHand,
        // Every title the library gives this website is no longer published.
        "international|New Zealand|Auckland|Aucklander|newspaper||http://www.theaucklander.co.nz/||"
        "local-memory|closed 2008 National Library of New Zealand: |REPORTED CLOSED",
        "international|New Zealand|Auckland|Filipino Migrant News|newspaper||"
        "http://pinoy.example.nz/||nz-newspapers|alive 2014-05-07 nz-newspapers: current in NZ's "
        "national library",
        "international|New Zealand|Kaitaia|Northland "
        "Age|newspaper||http://www.northlandage.co.nz/||"
        "nz-newspapers|alive 2014-05-07 nz-newspapers: current in NZ's national library",
        "international|UK Scotland||The Herald|newspaper|English|https://www.heraldscotland.com/||"
        "wikidata",
    };
    EXPECT_EQ(papers, expected);

    EXPECT_EQ(summary.merged,
              (std::map<std::string, std::size_t>{{"local-memory", 1}, {"wikidata", 1}}));
    const std::string partisan = "a partisan network's site styled as local news";
    const Tally dropped = {{"3dlnews",
                            {{"TV or radio station", 1},
                             {"a domain-sale or parking page", 1},
                             {partisan, 1},
                             {"carried over from Local Memory's list, which lists it", 1}}},
                           {"curated", {{partisan, 1}}},
                           {"local-memory",
                            {{"TV station", 1},
                             {"radio station", 2},
                             {"a page of a platform that hosts many papers", 1},
                             {"a social-media page as website", 1}}},
                           {"nz-newspapers", {{"no longer published", 2}}},
                           {"wikidata", {}}};
    EXPECT_EQ(summary.dropped, dropped);
    EXPECT_EQ(summary.samePaper,
              (std::map<std::string, std::size_t>{{"an address listed only in older sources", 2}}));
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
        {"sources/3dlnews/resources/usa_2016_2024_pu5e.json.gz", "",
         "usa_2016_2024_pu5e.json.gz: can't open"},
        {"sources/nz-newspapers/data/papers/1017.json", "{\"title\": \"Northland Age\"}\n",
         "1017.json: the title: \"placename\" is missing"},
        {"sources/wikidata-items/wikidata/Q20.json",
         "{\"claims\": {\"P856\": [\"https://www.lemonde.fr/\"], \"P576\": [\"2020\"]}}\n",
         "Q20.json: the item: P576 \"2020\" is not a date"},
        {"sources/partisan-local-news/datasets/domains/all_domains.csv",
         "title,site\nA,a.example\n", "all_domains.csv: the header row has no \"domain\" column"},
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

// Each export of the fixture's catalogue, with a paper whose name needs every kind of quoting,
// parsed back with its own reader, gives the papers, their latest check, their evidence and
// status, and the licence, date and notices of the sources.
TEST(ExportTest, CsvAndJsonParsedBackGiveThePapersAndCarryTheNotice)
{
    BuildSummary summary;
    Catalogue catalogue = BuildFixture(summary);
    Paper odd = catalogue.papers.front();
    odd.name = "He said \"hi\", then\nleft; caf\xC3\xA9";
    odd.website = "https://odd.example/?a=1,b=2";
    catalogue.papers.push_back(odd);
    // Tampa's address now leads to another host: no sign of life of the Tribune's own.
    const std::vector<LinkCheck> checks = {
        {catalogue.papers[0].website, false, 404, "", "2026-12-01T08:00:00Z", "HTTP 404"},
        {catalogue.papers[2].website, true, 200, "https://www.tampabay.com/",
         "2026-12-02T08:00:00Z", ""}};
    const std::string licence = "Local Memory Project: newspapers by place, 2017): MIT;";

    const std::string csv = ExportCsv(catalogue, checks);
    EXPECT_NE(csv.find("# Copyright (c) 2017 Fixture Group\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find(licence), std::string::npos);
    std::size_t body = 0;
    while (csv.compare(body, 1, "#") == 0)
        body = csv.find("\r\n", body) + 2;
    csv_parser parser;
    ASSERT_EQ(csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI | CSV_APPEND_NULL), 0);
    std::pair<std::vector<Row>, Row> parsed;
    const auto field = [](void* text, std::size_t size, void* data)
    { static_cast<decltype(parsed)*>(data)->second.emplace_back(static_cast<char*>(text), size); };
    const auto row = [](int, void* data)
    {
        auto* rows = static_cast<decltype(parsed)*>(data);
        rows->first.push_back(std::exchange(rows->second, {}));
    };
    ASSERT_EQ(csv_parse(&parser, csv.data() + body, csv.size() - body, field, row, &parsed),
              csv.size() - body)
        << csv_strerror(csv_error(&parser));
    ASSERT_EQ(csv_fini(&parser, field, row, &parsed), 0);
    csv_free(&parser);
    const std::vector<Row>& rows = parsed.first;
    ASSERT_EQ(rows.size(), catalogue.papers.size() + 1);
    EXPECT_EQ(rows[0], (Row{"region", "place", "city", "name", "kind", "language", "website",
                            "feed", "sources", "checked_at", "check", "earlier_addresses", "listed",
                            "alive", "closed", "status", "last_seen_alive"}));
    for (std::size_t i = 1; i < rows.size(); ++i)
    {
        ASSERT_EQ(rows[i].size(), 17u);
        EXPECT_EQ(Row(rows[i].begin(), rows[i].begin() + 9),
                  testing::Fields(catalogue.papers[i - 1]));
    }
    EXPECT_EQ(rows[1][9] + " " + rows[1][10], "2026-12-01T08:00:00Z failed");
    EXPECT_EQ(rows[2][10], "");
    EXPECT_EQ(Row(rows[2].begin() + 11, rows[2].end()),
              (Row{"http://www.yukonweb.com/community/yukon-news/",
                   "wikidata 2023-04; local-memory 2017", "", "", "live", ""}));
    EXPECT_EQ(Row(rows[3].begin() + 13, rows[3].end()),
              (Row{"", "2016-01-01 Wikidata: dissolved", "reported closed", ""}));

    const nlohmann::json document = nlohmann::json::parse(ExportJson(catalogue, checks));
    EXPECT_NE(document["attribution"].get<std::string>().find("Copyright (c) 2017 Fixture Group"),
              std::string::npos);
    EXPECT_NE(document["licence"].get<std::string>().find(licence), std::string::npos);
    const nlohmann::json& papers = document["newspapers"];
    ASSERT_EQ(papers.size(), catalogue.papers.size());
    for (std::size_t i = 0; i < papers.size(); ++i)
    {
        Row fields;
        for (const char* key :
             {"region", "place", "city", "name", "kind", "language", "website", "feed"})
            fields.push_back(papers[i][key]);
        fields.push_back("");
        for (const std::string s : papers[i]["sources"])
            fields.back() += (fields.back().empty() ? "" : ",") + s;
        EXPECT_EQ(fields, testing::Fields(catalogue.papers[i]));
    }
    EXPECT_EQ(papers[0]["check"],
              nlohmann::json({{"checked_at", "2026-12-01T08:00:00Z"}, {"ok", false}}));
    EXPECT_FALSE(papers[1].contains("check"));
    EXPECT_EQ(papers[1]["addresses"],
              nlohmann::json({"http://www.yukonweb.com/community/yukon-news/"}));
    EXPECT_EQ(papers[1]["listed"][1],
              nlohmann::json({{"source", "local-memory"}, {"date", "2017"}}));
    EXPECT_EQ(papers[2]["status"], "reported closed");
    EXPECT_EQ(papers[2]["closures"][0]["reported_by"], "Wikidata");
    const auto monde = std::ranges::find(papers, nlohmann::json("Le Monde"),
                                         [](const nlohmann::json& p) { return p["name"]; });
    ASSERT_NE(monde, papers.end());
    EXPECT_EQ((*monde)["status"], "live");
    EXPECT_EQ((*monde)["last_seen_alive"],
              nlohmann::json({{"date", "2026-03-25"}, {"what", "feed answered"}}));
}

TEST(WebsiteKeyTest, SameSiteGivesTheSameKey)
{
    const std::pair<const char*, const char*> cases[] = {
        {"http://www.TheDailyStar.net/", "thedailystar.net"},
        {"https://thedailystar.net:443//", "thedailystar.net"},
        {"http://user@www.example.org/News/#top", "example.org/News"},
        {"http://example.org/?id=5", "example.org?id=5"},
        {"http://wwwexample.org/", "wwwexample.org"},
        {"www.example.org/", nullptr},
        {"ftp://example.org/", nullptr},
        {"http:///path", nullptr},
    };
    for (const auto& [url, key] : cases)
    {
        const std::optional<std::string> got = WebsiteKey(url);
        EXPECT_EQ(got.value_or("(none)"), key ? key : "(none)") << url;
    }
}

TEST(WebsiteKeyTest, SocialMediaPagesAreNoWebsiteOfTheirOwn)
{
    const std::pair<const char*, bool> cases[] = {
        {"https://www.facebook.com/reporternews", true},
        {"http://twitter.com/#!/clearwaternews", true},
        {"https://notfacebook.com/", false},
        {"https://www.facebook.com.example.org/", false},
    };
    for (const auto& [url, social] : cases)
        EXPECT_EQ(IsSocialMediaPage(url), social) << url;
}

} // namespace
} // namespace tnews::catalogue
