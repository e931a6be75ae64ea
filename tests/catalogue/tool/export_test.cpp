#include "catalogue/tool/builder.h"
#include "catalogue/tool/export.h"
#include "fixture_sources.h"

#include <csv.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>

namespace tnews::catalogue
{
namespace
{

const RegionInfo* RegionByValue(const std::string& value)
{
    for (const RegionInfo& region : Regions())
    {
        if (region.regionValue == value)
            return &region;
    }
    ADD_FAILURE() << "no region " << value;
    return nullptr;
}

std::string_view PlaceOf(const RegionInfo* region, const std::string& place)
{
    return *std::ranges::find(region->places, place);
}

// The fixture's catalogue, with a paper whose name needs every kind of quoting.
Catalogue FixtureCatalogue(const testing::TempFolder& folder)
{
    testing::WriteFixture(folder.Path());
    BuildSummary summary;
    Catalogue catalogue =
        BuildCatalogue({folder.Path() / "curated.tsv", folder.Path() / "sources"}, summary);
    Paper odd = catalogue.papers.front();
    odd.name = "He said \"hi\", then\nleft; caf\xC3\xA9";
    odd.website = "https://odd.example/?a=1,b=2";
    catalogue.papers.push_back(odd);
    return catalogue;
}

struct CsvRows
{
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
};

TEST(ExportTest, CsvParsedBackGivesThePapersAndCarriesTheNotice)
{
    testing::TempFolder folder;
    const Catalogue catalogue = FixtureCatalogue(folder);
    const std::vector<LinkCheck> checks = {
        {catalogue.papers[0].website, false, 404, "", "2026-12-01T08:00:00Z", "HTTP 404"}};
    const std::string csv = ExportCsv(catalogue, checks);
    EXPECT_NE(csv.find("# Copyright (c) 2017 Fixture Group\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("local-memory (Local Memory Project"), std::string::npos);

    std::size_t body = 0;
    while (csv.compare(body, 1, "#") == 0)
        body = csv.find("\r\n", body) + 2;
    csv_parser parser;
    ASSERT_EQ(csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI | CSV_APPEND_NULL), 0);
    CsvRows parsed;
    const auto field = [](void* text, std::size_t size, void* data)
    { static_cast<CsvRows*>(data)->row.emplace_back(static_cast<char*>(text), size); };
    const auto row = [](int, void* data)
    {
        auto* rows = static_cast<CsvRows*>(data);
        rows->rows.push_back(std::move(rows->row));
        rows->row.clear();
    };
    ASSERT_EQ(csv_parse(&parser, csv.data() + body, csv.size() - body, field, row, &parsed),
              csv.size() - body)
        << csv_strerror(csv_error(&parser));
    ASSERT_EQ(csv_fini(&parser, field, row, &parsed), 0);
    csv_free(&parser);

    ASSERT_EQ(parsed.rows.size(), catalogue.papers.size() + 1);
    EXPECT_EQ(parsed.rows[0].front(), "region");
    Catalogue back;
    back.sources = catalogue.sources;
    for (std::size_t i = 1; i < parsed.rows.size(); ++i)
    {
        const std::vector<std::string>& r = parsed.rows[i];
        ASSERT_EQ(r.size(), 11u);
        Paper p;
        p.region = RegionByValue(r[0]);
        p.place = PlaceOf(p.region, r[1]);
        p.city = r[2];
        p.name = r[3];
        p.kind = *ParseKind(r[4]);
        p.language = r[5];
        p.website = r[6];
        p.feed = r[7];
        for (std::size_t start = 0, comma; start <= r[8].size(); start = comma + 1)
        {
            comma = std::min(r[8].find(',', start), r[8].size());
            p.sources.push_back(r[8].substr(start, comma - start));
        }
        back.papers.push_back(p);
    }
    Catalogue papersOnly = catalogue;
    papersOnly.aliases.clear();
    papersOnly.rules.clear();
    EXPECT_EQ(FormatCatalogue(back), FormatCatalogue(papersOnly));
    EXPECT_EQ(parsed.rows[1][9], "2026-12-01T08:00:00Z");
    EXPECT_EQ(parsed.rows[1][10], "failed");
    EXPECT_EQ(parsed.rows[2][10], "");
}

TEST(ExportTest, JsonParsedBackGivesTheWholeCatalogue)
{
    testing::TempFolder folder;
    const Catalogue catalogue = FixtureCatalogue(folder);
    const nlohmann::json document = nlohmann::json::parse(ExportJson(catalogue, {}));
    EXPECT_NE(document["attribution"].get<std::string>().find("Copyright (c) 2017 Fixture Group"),
              std::string::npos);
    EXPECT_NE(document["licence"].get<std::string>().find("MIT"), std::string::npos);

    Catalogue back;
    for (const auto& s : document["sources"])
    {
        back.sources.push_back({s["id"], s["name"], s["licence"], s["url"], s["attribution"]});
    }
    for (const auto& a : document["aliases"])
    {
        const RegionInfo* region = RegionByValue(a["region"]);
        back.aliases.push_back({region, PlaceOf(region, a["place"]), a["alias"]});
    }
    for (const auto& r : document["rules"])
    {
        const RegionInfo* region = RegionByValue(r["region"]);
        const std::string how = r["how"];
        const PlaceRule::How kinds[] = {PlaceRule::How::SameAs, PlaceRule::How::Language,
                                        PlaceRule::How::None};
        const PlaceRule::How* kind =
            std::ranges::find_if(kinds, [&](PlaceRule::How k) { return RuleHowName(k) == how; });
        back.rules.push_back({region, PlaceOf(region, r["place"]), *kind, r["value"], r["note"]});
    }
    for (const auto& n : document["newspapers"])
    {
        Paper p;
        p.region = RegionByValue(n["region"]);
        p.place = PlaceOf(p.region, n["place"]);
        p.city = n["city"];
        p.name = n["name"];
        p.kind = *ParseKind(n["kind"].get<std::string>());
        p.language = n["language"];
        p.website = n["website"];
        p.feed = n["feed"];
        p.sources = n["sources"].get<std::vector<std::string>>();
        back.papers.push_back(p);
    }
    EXPECT_EQ(FormatCatalogue(back), FormatCatalogue(catalogue));
}

} // namespace
} // namespace tnews::catalogue
