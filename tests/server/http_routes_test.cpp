// Every route of the real server answering well-formed requests from the program.
#include "directory/catalogue.h"
#include "directory/server_urls.h"
#include "server/html.h"
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
using testing::WireTarget;

struct ListingCase
{
    const char* code;
    std::int16_t position;
    std::vector<std::string_view> fragments; // must appear in this order: the file's order
};

TEST(HttpRoutesTest, ListingPagesShowEscapedLinksOpeningOutside)
{
    const TestServer server;
    const ListingCase cases[] = {
        {"u",
         45,
         {"<h1>Texas newspapers",
          "Houston Chronicle</a> <span class=\"city\">\u2014 Houston</span>",
          "The Dallas Morning News",
          "<a href=\"https://austin.example/?a=1&amp;b=it&#39;s\" target=\"_blank\" "
          "rel=\"noopener noreferrer\">Austin &lt;Gazette&gt; &amp; &quot;Quoted&quot; "
          "O&#39;Brien</a>"}},
        {"u", 9, {"http://post.example/", "The Washington Post"}},
        {"u", 11, {"The Atlanta Journal-Constitution"}},
        {"i", 52, {"Georgian Times"}},
        {"c", 8, {"<h1>Prince Edward Island newspapers", "The Guardian"}},
        {"i", 126, {"<h1>S\xC3\xA9n\xC3\xA9gal newspapers", "Le Soleil", "Sud Quotidien"}},
        {"u", 52, {"<h1>Wyoming newspapers</h1>", "No Wyoming newspapers are listed yet."}},
    };
    for (const ListingCase& c : cases)
    {
        const std::string target = WireTarget(*ListingUrl(c.code, c.position, server.Host()));
        SCOPED_TRACE(target);
        const httplib::Response response =
            Fetch(server, target, BasicAuth(kUserName, kListingPassword));
        EXPECT_EQ(response.status, 200);
        testing::ExpectHtmlHeaders(response);
        std::size_t after = 0;
        for (std::string_view fragment : c.fragments)
        {
            const std::size_t at = response.body.find(fragment, after);
            EXPECT_NE(at, std::string::npos) << fragment << "\n" << response.body;
            after = at == std::string::npos ? after : at;
        }
        EXPECT_FALSE(Contains(response.body, "<Gazette>"));
    }
}

TEST(HttpRoutesTest, KeywordSearchGroupsMatchesByPlace)
{
    const TestServer server;
    const httplib::Headers auth = BasicAuth(kUserName, kListingPassword);

    const httplib::Response senegal =
        Fetch(server, WireTarget(*KeywordSearchUrl("i", "SENEGAL", server.Host())), auth);
    EXPECT_EQ(senegal.status, 200);
    testing::ExpectHtmlHeaders(senegal);
    EXPECT_TRUE(Contains(senegal.body, "<h2>S\xC3\xA9n\xC3\xA9gal</h2>")) << senegal.body;
    EXPECT_TRUE(Contains(senegal.body, "Le Soleil</a>"));
    EXPECT_TRUE(Contains(senegal.body, "target=\"_blank\" rel=\"noopener noreferrer\""));

    const httplib::Response times =
        Fetch(server, WireTarget(*KeywordSearchUrl("u", "the", server.Host())), auth);
    for (std::string_view place : {"<h2>Texas</h2>", "<h2>New York</h2>", "<h2>Georgia</h2>"})
        EXPECT_TRUE(Contains(times.body, place)) << place << "\n" << times.body;
    EXPECT_FALSE(Contains(times.body, "Georgian Times")) << "another region's paper";

    for (const char* blank : {"", "   ", "?!"})
    {
        SCOPED_TRACE(blank);
        const httplib::Response ask =
            Fetch(server, WireTarget(*KeywordSearchUrl("c", blank, server.Host())), auth);
        EXPECT_EQ(ask.status, 200);
        EXPECT_TRUE(Contains(ask.body, "Type a word")) << ask.body;
    }
}

TEST(HttpRoutesTest, KeywordSearchNotesWhenMoreMatchThanShown)
{
    std::string text;
    for (int i = 0; i < 60; ++i)
        text += "u\tOhio\tOhio Paper " + std::to_string(i) + "\tToledo\thttps://p.example/\n";
    const TestServer server(ParseNewspapers(text, "generated"));
    const httplib::Response response =
        Fetch(server, WireTarget(*KeywordSearchUrl("u", "toledo", server.Host())),
              BasicAuth(kUserName, kListingPassword));
    EXPECT_EQ(response.status, 200);
    EXPECT_TRUE(Contains(response.body, "Showing the best 50 of 60 matches")) << response.body;
}

struct UpdateCase
{
    const char* version;
    bool current;
};

TEST(HttpRoutesTest, UpdateScriptComparesWithLatest)
{
    const TestServer server(testing::TestServerOptions{.latest = Version{6, 2, 0}});
    const UpdateCase cases[] = {
        {"6.2.0", true},  {"6.2.1", true},   {"7.0.0", true},  {"32767.32767.32767", true},
        {"6.1.3", false}, {"6.1.99", false}, {"0.0.0", false}, {"00006.00001.00009", false},
    };
    for (const UpdateCase& c : cases)
    {
        SCOPED_TRACE(c.version);
        const httplib::Response response =
            Fetch(server, std::string("/updates/tnewss.php?version=") + c.version,
                  BasicAuth(kUserName, kUpdatePassword));
        EXPECT_EQ(response.status, 200);
        testing::ExpectHtmlHeaders(response);
        EXPECT_EQ(Contains(response.body, "current version"), c.current) << response.body;
        EXPECT_EQ(Contains(response.body, "6.2.0 is available"), !c.current);
        if (!c.current)
        {
            EXPECT_TRUE(Contains(response.body, "href=\"http://" + server.Host() + "/\""))
                << response.body;
        }
    }
    // The program's own update URL, against a server whose latest is this build.
    const TestServer same;
    const httplib::Response own =
        Fetch(same, WireTarget(UpdateQueryUrl(Major, Minor, Revision, same.Host())),
              BasicAuth(kUserName, kUpdatePassword));
    EXPECT_TRUE(Contains(own.body, "is the current version.")) << own.body;
}

TEST(HttpRoutesTest, PublisherPageNeedsNoCredentialsAndShowsNone)
{
    const TestServer server;
    const httplib::Response response =
        Fetch(server, WireTarget(PublisherWebsiteUrl(server.Host())));
    EXPECT_EQ(response.status, 200);
    testing::ExpectHtmlHeaders(response);
    for (std::string_view part :
         {"Tavi Orlund", "alternative to search engines", "<td>USA</td><td>7</td><td>4 of 52</td>",
          "<td>Canadian</td><td>2</td><td>2 of 12</td>",
          "<td>International</td><td>3</td><td>2 of 164</td>"})
    {
        EXPECT_TRUE(Contains(response.body, part)) << part << "\n" << response.body;
    }
    for (std::string_view secret : {kListingPassword, kUpdatePassword, kUserName})
        EXPECT_FALSE(Contains(response.body, secret)) << secret;
}

TEST(HttpRoutesTest, PortInUseIsNotShared)
{
    const TestServer server;
    EXPECT_THROW(TestServer(testing::TestServerOptions{.port = server.Port()}), std::runtime_error);
}

TEST(HttpRoutesTest, AccessLogHasUserButNeverPassword)
{
    const TestServer server;
    const httplib::Response listing =
        Fetch(server, "/software/news/tnewsudb.php?region=usa&state=Texas",
              BasicAuth(kUserName, kListingPassword));
    server.LogLines(1); // each request is logged after its answer; keep the order known
    const httplib::Response denied =
        Fetch(server, "/updates/tnewss.php?version=6.1.3", BasicAuth(kUserName, "guess\"\n"));
    const std::vector<std::string> lines = server.LogLines(2);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("127.0.0.1 - tnewsuser [", 0), 0u) << lines[0];
    EXPECT_TRUE(lines[0].ends_with("] \"GET /software/news/tnewsudb.php?region=usa&state=Texas "
                                   "HTTP/1.1\" 200 " +
                                   std::to_string(listing.body.size())))
        << lines[0];
    EXPECT_EQ(lines[1].rfind("127.0.0.1 - - [", 0), 0u) << lines[1];
    EXPECT_TRUE(lines[1].ends_with("\" 401 " + std::to_string(denied.body.size()))) << lines[1];
    for (const std::string& line : lines)
    {
        EXPECT_FALSE(Contains(line, kListingPassword)) << line;
        EXPECT_FALSE(Contains(line, "guess")) << line;
        EXPECT_FALSE(Contains(line, "Basic")) << line;
    }
}

} // namespace
} // namespace tnews::server
