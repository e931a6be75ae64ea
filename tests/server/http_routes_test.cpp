// The real server's routes beyond its pages (http_pages_test.cpp): paging links, the exports and
// a port already taken.
#include "catalogue/file_lines.h"
#include "directory/catalogue.h"
#include "directory/query_encoding.h"
#include "test_server.h"

#include <gtest/gtest.h>

namespace tnews::server
{
namespace
{

using testing::BasicAuth;
using testing::Contains;
using testing::Fetch;
using testing::TestServer;

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
    const TestServer server(testing::OhioSite(std::vector<std::string>(120, "Toledo")));
    const std::string script = "/software/news/tnewsudb.php";
    // Typed text that a careless link would bend: "&", "#", "+", blanks.
    std::string target = script + "?region=usa&skwords=" + EncodeQueryValue(" Toledo & #ohio + ");
    const std::pair<const char*, const char*> pages[] = {
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
        EXPECT_TRUE(Contains(response.body, "Paper " + std::to_string(100 + 50 * i) + "</a>"));
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
        EXPECT_EQ(response.body,
                  catalogue::ReadWholeFile(testing::FixtureCataloguePath().parent_path() / name));
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
