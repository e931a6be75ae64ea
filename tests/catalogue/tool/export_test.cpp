#include "catalogue/tool/builder.h"
#include "catalogue/tool/export.h"
#include "fixture_sources.h"

#include <csv.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace tnews::catalogue
{
namespace
{

using Row = std::vector<std::string>;

// Each export of the fixture's catalogue, with a paper whose name needs every kind of quoting,
// parsed back with its own reader, gives the papers, their latest check, and the licence and
// notices of the sources.
TEST(ExportTest, CsvAndJsonParsedBackGiveThePapersAndCarryTheNotice)
{
    testing::TempFolder folder;
    testing::WriteFixture(folder.Path());
    BuildSummary summary;
    Catalogue catalogue =
        BuildCatalogue({folder.Path() / "curated.tsv", folder.Path() / "sources"}, summary);
    Paper odd = catalogue.papers.front();
    odd.name = "He said \"hi\", then\nleft; caf\xC3\xA9";
    odd.website = "https://odd.example/?a=1,b=2";
    catalogue.papers.push_back(odd);
    const std::vector<LinkCheck> checks = {
        {catalogue.papers[0].website, false, 404, "", "2026-12-01T08:00:00Z", "HTTP 404"}};

    const std::string csv = ExportCsv(catalogue, checks);
    EXPECT_NE(csv.find("# Copyright (c) 2017 Fixture Group\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("by place (2017)): MIT;"), std::string::npos);
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
    EXPECT_EQ(rows[0].front(), "region");
    for (std::size_t i = 1; i < rows.size(); ++i)
    {
        ASSERT_EQ(rows[i].size(), 11u);
        EXPECT_EQ(Row(rows[i].begin(), rows[i].begin() + 9),
                  testing::Fields(catalogue.papers[i - 1]));
    }
    EXPECT_EQ(rows[1][9] + " " + rows[1][10], "2026-12-01T08:00:00Z failed");
    EXPECT_EQ(rows[2][10], "");

    const nlohmann::json document = nlohmann::json::parse(ExportJson(catalogue, checks));
    EXPECT_NE(document["attribution"].get<std::string>().find("Copyright (c) 2017 Fixture Group"),
              std::string::npos);
    EXPECT_NE(document["licence"].get<std::string>().find("by place (2017)): MIT;"),
              std::string::npos);
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
}

} // namespace
} // namespace tnews::catalogue
