// Every route of the real server answering well-formed requests from the program.
#include "directory/catalogue.h"
#include "directory/query_encoding.h"
#include "directory/server_urls.h"
#include "test_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace tnews::server
{
namespace
{

using testing::BasicAuth;
using testing::Contains;
using testing::Fetch;
using testing::TestServer;
using testing::WireTarget;

struct PageCase
{
    const char* code;
    const char* place; // or the typed keywords
    std::vector<std::string_view> fragments; // in this order
};

TEST(HttpRoutesTest, ListingPagesGroupByCityWithKindsChecksAndRules)
{
    const TestServer server;
    const PageCase cases[] = {
        {"u",
         "Texas",
         {"<h1 id=\"top\">Texas newspapers <span class=\"note\">(8)</span></h1>",
          "8 papers in 4 cities; 2 links failed the last check (\u2717).", "<h2>Austin</h2>",
          "<a href=\"https://austin.example/?a=1&amp;b=it&#39;s\" target=\"_blank\" "
          "rel=\"noopener noreferrer\">Austin &lt;Gazette&gt; &amp; &quot;Quoted&quot; "
          "O&#39;Brien</a>",
          "The Daily Texan</a> <span class=\"note\">\u2014 college paper</span></li>",
          "<h2>Dallas</h2>", "<h2>El Paso</h2>",
          "El Diario</a> <span class=\"note\">\u2014 newspaper, Spanish</span> <span "
          "class=\"failed\">\u2717 link failed on 2026-12-05: timed out &lt;after&gt; 20 s</span>",
          "<h2>Houston</h2>", "Houston Chronicle</a> <span class=\"note\">\u2014 newspaper, English",
          "La Voz", "<h2>City not given</h2>", "Texas Tribune"}},
        {"c", "Quebec", {"<h2>\xC3\x8Eles-de-la-Madeleine</h2>", "<h2>Montr\xC3\xA9" "al</h2>"}},
        {"i", "Georgia", {"Georgian Times"}},
        {"i",
         "Crotia",
         {"<h1 id=\"top\">Crotia newspapers <span class=\"note\">(1)</span></h1>",
          "<p class=\"rule\">Crotia is how the program&#39;s list spells Croatia; these are "
          "Croatia&#39;s papers.</p>",
          "<h2>Zagreb</h2>", "Ve\u010Dernji list</a>"}},
        {"i",
         "Farsi",
         {"<p class=\"rule\">Farsi is a language", "2 papers in 2 countries.", "<h2>Iran</h2>",
          "Hamshahri</a> <span class=\"note\">\u2014 Tehran \u00B7 newspaper, Persian</span>",
          "<h2>United Kingdom</h2>", "Kayhan London</a>"}},
        {"i",
         "Kurdistan",
         {"<h1 id=\"top\">Kurdistan newspapers</h1>",
          "<p class=\"rule\">No source lists papers for Kurdistan &lt;yet&gt; &amp; &quot;so&quot; "
          "on.</p>\n</body>"}},
        {"u", "Wyoming", {"No Wyoming newspapers are listed yet."}},
    };
    for (const PageCase& c : cases)
    {
        const RegionInfo& region = *FindRegion(c.code);
        const auto position = std::ranges::find(region.places, c.place) - region.places.begin();
        const std::string target = WireTarget(
            *ListingUrl(c.code, static_cast<std::int16_t>(position + 1), server.Host()));
        SCOPED_TRACE(target);
        const httplib::Response response =
            Fetch(server, target, BasicAuth(kUserName, kListingPassword));
        EXPECT_EQ(response.status, 200);
        testing::ExpectHtmlHeaders(response);
        testing::ExpectInOrder(response.body, c.fragments);
        for (std::string_view raw : {"<Gazette>", "<yet>", "<after>"})
            EXPECT_FALSE(Contains(response.body, raw));
    }
}

TEST(HttpRoutesTest, KeywordSearchCoversTheWholeRegion)
{
    const TestServer server;
    const PageCase cases[] = {
        {"i",
         "SENEGAL",
         {"<h1>All International newspapers matching \u201C<span class=\"typed\">SENEGAL</span>"
          "\u201D</h1>",
          "2 matches in the whole region, by name, city, country and the country&#39;s other "
          "names.",
          "Le Soleil</a> <span class=\"note\">\u2014 Dakar, S\xC3\xA9n\xC3\xA9gal \u00B7 newspaper, "
          "French</span>",
          "Sud Quotidien</a>"}},
        {"u",
         "houston",
         {"3 matches", "Houston Chronicle</a>", "Houston Press</a> <span class=\"note\">\u2014 "
          "Houston, Texas \u00B7 newspaper</span> <span class=\"failed\">", "La Voz</a>"}},
        {"u", "senegal", {"No USA newspaper has all of these words; searched the whole region"}},
        {"c", "   ", {"Type a word"}},
        {"c", "\xD8\x9F", {"Type a word"}},
    };
    for (const PageCase& c : cases)
    {
        const std::string target = WireTarget(*KeywordSearchUrl(c.code, c.place, server.Host()));
        SCOPED_TRACE(target);
        const httplib::Response response =
            Fetch(server, target, BasicAuth(kUserName, kListingPassword));
        EXPECT_EQ(response.status, 200);
        testing::ExpectHtmlHeaders(response);
        testing::ExpectInOrder(response.body, c.fragments);
        EXPECT_FALSE(Contains(response.body, "class=\"pages\"")) << "one page only";
    }
}

// The href of the link marked rel="`rel`" in `page`, unescaped; "" when there is none.
std::string LinkOf(const std::string& page, std::string_view rel)
{
    const std::string mark = "rel=\"" + std::string(rel) + "\" href=\"";
    const std::size_t start = page.find(mark);
    if (start == std::string::npos)
        return {};
    const std::size_t from = start + mark.size();
    std::string href = page.substr(from, page.find('"', from) - from);
    for (std::size_t amp; (amp = href.find("&amp;")) != std::string::npos;)
        href.replace(amp, 5, "&");
    return href;
}

TEST(HttpRoutesTest, KeywordSearchPagesThroughAllMatchesWithRelativeLinks)
{
    std::string text = "source\tcurated\tHand\tCC0 1.0\t\t\n";
    for (int i = 0; i < 120; ++i)
    {
        text += "paper\tu\tOhio\tToledo\tOhio Paper " + std::to_string(100 + i) +
                "\tnewspaper\t\thttps://p.example/\t\tcurated\n";
    }
    const TestServer server(SiteData{catalogue::ParseCatalogue(text, "generated"), {}, ExportSlots()});
    const std::string script = "/software/news/tnewsudb.php";
    // Typed text that a careless link would bend: "&", "#", "+", blanks.
    std::string target = script + "?region=usa&skwords=" + EncodeQueryValue(" Toledo & #ohio + ");
    const std::pair<std::string_view, std::string_view> pages[] = {
        {"120 matches in the whole region, by name, city, state and the state&#39;s other names; "
         "1\u201350 shown.",
         "page 1 of 3"},
        {"51\u2013100 shown", "page 2 of 3"},
        {"101\u2013120 shown", "page 3 of 3"},
    };
    for (std::size_t i = 0; i < std::size(pages); ++i)
    {
        SCOPED_TRACE(target);
        const httplib::Response response =
            Fetch(server, target, BasicAuth(kUserName, kListingPassword));
        ASSERT_EQ(response.status, 200) << response.body;
        testing::ExpectInOrder(response.body, {pages[i].first, pages[i].second});
        EXPECT_TRUE(Contains(response.body, "Ohio Paper " + std::to_string(100 + 50 * i) + "</a>"));
        EXPECT_EQ(LinkOf(response.body, "prev").empty(), i == 0);
        const std::string next = LinkOf(response.body, "next");
        ASSERT_EQ(next.empty(), i + 1 == std::size(pages));
        if (!next.empty())
        {
            EXPECT_EQ(next, "?region=usa&skwords=%20Toledo%20%26%20%23ohio%20%2B%20&page=" +
                                std::to_string(i + 2));
            target = script + next; // as the engine resolves it against the page's address
        }
    }
}

TEST(HttpRoutesTest, UpdateScriptComparesWithLatest)
{
    const TestServer server(testing::TestServerOptions{.latest = Version{6, 2, 0}});
    const std::pair<const char*, bool> cases[] = {
        {"6.2.0", true},  {"6.2.1", true},  {"32767.32767.32767", true},
        {"6.1.99", false}, {"0.0.0", false}, {"00006.00001.00009", false},
    };
    for (const auto& [version, current] : cases)
    {
        SCOPED_TRACE(version);
        const httplib::Response response =
            Fetch(server, std::string("/updates/tnewss.php?version=") + version,
                  BasicAuth(kUserName, kUpdatePassword));
        EXPECT_EQ(response.status, 200);
        EXPECT_EQ(Contains(response.body, "current version"), current) << response.body;
        EXPECT_EQ(Contains(response.body, "6.2.0 is available"), !current);
        EXPECT_EQ(Contains(response.body, "href=\"http://" + server.Host() + "/\""), !current);
    }
    // The program's own update URL, against a server whose latest is this build.
    const TestServer same;
    const httplib::Response own =
        Fetch(same, WireTarget(UpdateQueryUrl(Major, Minor, Revision, same.Host())),
              BasicAuth(kUserName, kUpdatePassword));
    EXPECT_TRUE(Contains(own.body, "is the current version.")) << own.body;
}

TEST(HttpRoutesTest, PublisherPageShowsCountsSourcesNoticesAndExports)
{
    const TestServer server;
    const httplib::Response response =
        Fetch(server, WireTarget(PublisherWebsiteUrl(server.Host())));
    EXPECT_EQ(response.status, 200);
    testing::ExpectHtmlHeaders(response);
    testing::ExpectInOrder(
        response.body,
        {"Tavi Orlund", "<td>Canadian</td><td>3</td><td>0</td><td>2 of 12</td>",
         "<td>USA</td><td>12</td><td>1</td><td>4 of 52</td>",
         "<td>International</td><td>9</td><td>0</td><td>7 of 164</td>", "24 papers in all.",
         "<tr><td>Tavi&#39;s curated list</td><td>CC0 1.0</td><td>8</td></tr>",
         "<tr><td><a href=\"https://local-memory.example/data?a=1&amp;b=2\" rel=\"noopener "
         "noreferrer\">Local Memory &lt;Project&gt;</a></td><td>MIT</td><td>12</td></tr>",
         "<p class=\"notice\">Copyright (c) 2017 &quot;Local&quot; &lt;Memory&gt; &amp; Co\n\n"
         "Permission is hereby granted",
         "3 websites were checked, the latest on 2026-12-07; 2 failed",
         "<a href=\"/exports/newspapers.csv\">newspapers.csv</a>, <a "
         "href=\"/exports/newspapers.json\">newspapers.json</a>"});
    for (std::string_view secret : {kListingPassword, kUpdatePassword, kUserName})
        EXPECT_FALSE(Contains(response.body, secret)) << secret;
}

TEST(HttpRoutesTest, ExportsNeedNoCredentials)
{
    const TestServer server;
    const TestServer bare(
        SiteData{catalogue::LoadCatalogue(testing::FixtureCataloguePath()), {}, ExportSlots()});
    const std::pair<const char*, const char*> files[] = {
        {"newspapers.csv", "text/csv; charset=utf-8"},
        {"newspapers.json", "application/json"},
    };
    for (const auto& [name, type] : files)
    {
        SCOPED_TRACE(name);
        const httplib::Response response = Fetch(server, std::string("/exports/") + name);
        EXPECT_EQ(response.status, 200);
        EXPECT_EQ(response.get_header_value("Content-Type"), type);
        EXPECT_EQ(response.get_header_value("Content-Disposition"),
                  std::string("attachment; filename=\"") + name + "\"");
        EXPECT_EQ(response.get_header_value("X-Content-Type-Options"), "nosniff");
        std::ifstream in(testing::FixtureCataloguePath().parent_path() / name, std::ios::binary);
        EXPECT_EQ(response.body, std::string(std::istreambuf_iterator<char>(in), {}));
        // A server whose catalogue came without exports says so.
        EXPECT_EQ(Fetch(bare, std::string("/exports/") + name).status, 404);
    }
    EXPECT_TRUE(Contains(Fetch(bare, "/").body, "offers no download")) << "publisher page";
    EXPECT_EQ(Fetch(server, "/exports/catalogue.tsv").status, 404) << "only the exports";
}

TEST(HttpRoutesTest, PortInUseIsNotShared)
{
    const TestServer server;
    EXPECT_THROW(TestServer(testing::TestServerOptions{.port = server.Port()}), std::runtime_error);
}

} // namespace
} // namespace tnews::server
