// The real server's routes beyond its pages (http_pages_test.cpp): credentials, hostile
// keywords, paging links, the exports and the update check of this very build.
#include "directory/catalogue.h"
#include "directory/query_encoding.h"
#include "directory/server_urls.h"
#include "server/html.h"
#include "test_server.h"

#include <gtest/gtest.h>

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

const std::string kListing = "/software/news/tnewsudb.php?region=usa&";
const std::string kUpdate = "/updates/tnewss.php";

void ExpectChallenge(const httplib::Response& response)
{
    EXPECT_EQ(response.status, 401);
    EXPECT_EQ(response.get_header_value("WWW-Authenticate").rfind("Basic realm=\"", 0), 0u);
    testing::ExpectHtmlHeaders(response);
    EXPECT_TRUE(Contains(response.body, "Authorization required"));
}

TEST(HttpRoutesTest, WrongCredentialsGetChallenged)
{
    const TestServer server;
    const std::pair<std::string, std::string_view> scripts[] = {
        {kListing + "state=Texas", kListingPassword},
        {kUpdate + "?version=6.1.3", kUpdatePassword},
    };
    for (const auto& [target, password] : scripts)
    {
        const std::string right(password);
        const std::string other(password == kListingPassword ? kUpdatePassword : kListingPassword);
        const std::pair<const char*, httplib::Headers> cases[] = {
            {"no header", {}},
            {"the other script's password", BasicAuth(kUserName, other)},
            {"last letter wrong", BasicAuth(kUserName, right.substr(0, right.size() - 1) + "x")},
            {"longer", BasicAuth(kUserName, right + "x")},
            {"shorter", BasicAuth(kUserName, right.substr(1))},
            {"empty password", BasicAuth(kUserName, "")},
            {"user in capitals", BasicAuth("TNEWSUSER", right)},
            {"no colon", {{"Authorization", "Basic dG5ld3N1c2Vy"}}},
            {"bad base64", {{"Authorization", "Basic !!!!"}}},
            {"other scheme", {{"Authorization", "Bearer " + right}}},
            {"plain text", {{"Authorization", "Basic tnewsuser:" + right}}},
            {"two headers", {*BasicAuth(kUserName, right).begin(), *BasicAuth(kUserName, right).begin()}},
        };
        for (const auto& [what, headers] : cases)
        {
            SCOPED_TRACE(target + ": " + what);
            ExpectChallenge(Fetch(server, target, headers));
        }
        // The scheme is case-insensitive and may be followed by several blanks.
        const std::string token = BasicAuth(kUserName, right).begin()->second.substr(6);
        EXPECT_EQ(Fetch(server, target, {{"Authorization", "bAsIc  " + token}}).status, 200);
    }
    // Credentials come first: a client without them learns nothing about its parameters.
    ExpectChallenge(Fetch(server, "/software/news/tnewsudb.php?region=mars&state=Nowhere"));
    ExpectChallenge(Fetch(server, kUpdate + "?version=x"));
}

TEST(HttpRoutesTest, HostileKeywordsAreOnlyText)
{
    const TestServer server;
    const httplib::Headers auth = BasicAuth(kUserName, kListingPassword);
    const std::pair<std::string, bool> cases[] = {
        // typed, finds the Houston Chronicle as a plain word search would
        {"<script>alert(1)</script>", false},
        {"'; DROP TABLE papers; --", false},
        {"NEAR(houston chronicle)", false},
        {"houston OR dakar", false},
        {"{name city}: houston", false},
        {std::string("hou\0ston", 8), false},
        {"\xFF\xC3(", false},
        {std::string(255, ' ') + "a", false},
        // arrive exactly as typed, though they mean something in a query
        {"fish&chips C# a+b 100% a=b;c/d?e tab\there", false},
        {"  Montr\xC3\xA9" "al %u00E9  ", false},
        {"houston*", true},
        {"-houston", true},
        {"houston\"", true},
    };
    for (const auto& [typed, findsHouston] : cases)
    {
        const std::string target =
            testing::WireTarget(*KeywordSearchUrl("u", typed, server.Host()));
        SCOPED_TRACE(target);
        const httplib::Response response = Fetch(server, target, auth);
        EXPECT_EQ(response.status, 200);
        EXPECT_TRUE(
            Contains(response.body, "<span class=\"typed\">" + EscapeHtml(typed) + "</span>"))
            << response.body;
        EXPECT_FALSE(Contains(response.body, "<script>"));
        EXPECT_EQ(Contains(response.body, "Houston Chronicle</a>"), findsHouston);
    }
    const httplib::Response tooLong = Fetch(
        server, testing::WireTarget(*KeywordSearchUrl("u", std::string(257, 'x'), server.Host())),
        auth);
    EXPECT_EQ(tooLong.status, 400);
    EXPECT_TRUE(Contains(tooLong.body, "too long")) << tooLong.body;
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

TEST(HttpRoutesTest, ThisBuildIsTheCurrentVersion)
{
    const TestServer server;
    const httplib::Response own =
        Fetch(server, WireTarget(UpdateQueryUrl(Major, Minor, Revision, server.Host())),
              BasicAuth(kUserName, kUpdatePassword));
    EXPECT_TRUE(Contains(own.body, "is the current version.")) << own.body;
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
