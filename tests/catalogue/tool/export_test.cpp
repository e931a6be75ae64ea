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

// A paper's fields in the order of the export's columns.
Row Fields(const Paper& p)
{
    std::string sources;
    for (const std::string& s : p.sources)
        sources += (sources.empty() ? "" : ",") + s;
    return {std::string(p.region->regionValue),
            std::string(p.place),
            p.city,
            p.name,
            std::string(KindName(p.kind)),
            p.language,
            p.website,
            p.feed,
            sources};
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
        EXPECT_EQ(Row(rows[i].begin(), rows[i].begin() + 9), Fields(catalogue.papers[i - 1]));
    }
    EXPECT_EQ(rows[1][9], "2026-12-01T08:00:00Z");
    EXPECT_EQ(rows[1][10], "failed");
    EXPECT_EQ(rows[2][10], "");
}

TEST(ExportTest, JsonParsedBackGivesTheWholeCatalogue)
{
    testing::TempFolder folder;
    const Catalogue catalogue = FixtureCatalogue(folder);
    const nlohmann::json document = nlohmann::json::parse(ExportJson(catalogue, {}));
    EXPECT_NE(document["attribution"].get<std::string>().find("Copyright (c) 2017 Fixture Group"),
              std::string::npos);
    EXPECT_NE(document["licence"].get<std::string>().find("MIT"), std::string::npos);

    ASSERT_EQ(document["sources"].size(), catalogue.sources.size());
    for (std::size_t i = 0; i < catalogue.sources.size(); ++i)
    {
        const Source& s = catalogue.sources[i];
        EXPECT_EQ(document["sources"][i], nlohmann::json({{"id", s.id},
                                                          {"name", s.name},
                                                          {"licence", s.licence},
                                                          {"url", s.url},
                                                          {"attribution", s.attribution}}));
    }
    ASSERT_EQ(document["aliases"].size(), catalogue.aliases.size());
    for (std::size_t i = 0; i < catalogue.aliases.size(); ++i)
    {
        const PlaceAlias& a = catalogue.aliases[i];
        EXPECT_EQ(document["aliases"][i],
                  nlohmann::json(
                      {{"region", a.region->regionValue}, {"place", a.place}, {"alias", a.alias}}));
    }
    ASSERT_EQ(document["rules"].size(), catalogue.rules.size());
    for (std::size_t i = 0; i < catalogue.rules.size(); ++i)
    {
        const PlaceRule& r = catalogue.rules[i];
        EXPECT_EQ(document["rules"][i], nlohmann::json({{"region", r.region->regionValue},
                                                        {"place", r.place},
                                                        {"how", RuleHowName(r.how)},
                                                        {"value", r.value},
                                                        {"note", r.note}}));
    }
    ASSERT_EQ(document["newspapers"].size(), catalogue.papers.size());
    for (std::size_t i = 0; i < catalogue.papers.size(); ++i)
    {
        Row fields;
        for (const char* key :
             {"region", "place", "city", "name", "kind", "language", "website", "feed"})
            fields.push_back(document["newspapers"][i][key]);
        std::string sources;
        for (const std::string s : document["newspapers"][i]["sources"])
            sources += (sources.empty() ? "" : ",") + s;
        fields.push_back(sources);
        EXPECT_EQ(fields, Fields(catalogue.papers[i]));
    }
}

} // namespace
} // namespace tnews::catalogue
