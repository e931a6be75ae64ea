// The real server refusing what the program never sends: wrong credentials, bad parameters,
// hostile keywords. Each gets a clear 4xx page that echoes what it got as text only (malformed
// HTTP: hostile_clients_test.cpp).
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

const std::string kListing = "/software/news/tnewsudb.php?region=usa&";
const std::string kUpdate = "/updates/tnewss.php";

void ExpectChallenge(const httplib::Response& response)
{
    EXPECT_EQ(response.status, 401);
    EXPECT_EQ(response.get_header_value("WWW-Authenticate").rfind("Basic realm=\"", 0), 0u);
    testing::ExpectHtmlHeaders(response);
    EXPECT_TRUE(Contains(response.body, "Authorization required"));
}

TEST(HttpErrorsTest, WrongCredentialsGetChallenged)
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

struct BadRequestCase
{
    std::string target;
    int status;
    std::string fragment; // in the page, already escaped
};

TEST(HttpErrorsTest, BadParametersAndPathsSayWhatIsWrong)
{
    const TestServer server;
    const BadRequestCase cases[] = {
        {"/software/news/tnewscdb.php?region=usa&province=Quebec", 400, "\u201Cusa\u201D"},
        {"/software/news/tnewsudb.php?state=Texas", 400, "\u201Cregion=usa\u201D is missing"},
        {kListing + "province=Quebec", 400, "\u201Cstate\u201D or \u201Cskwords\u201D"},
        {kListing + "state=Texas&skwords=x", 400, "not both"},
        {kListing + "region=canada&state=Texas", 400, "given more than once"},
        {kListing + "state=texas", 404, "\u201Ctexas\u201D"},
        {kListing + "state=Texas%20", 404, "\u201CTexas \u201D"},
        {"/software/news/tnewsidb.php?region=international&country=Quebec", 404, "country"},
        {kListing + "state=%3Cb%3E%22", 404, "&lt;b&gt;&quot;"},
        {"/software/news/tnewsudb.php?region=%3Cscript%3E&state=Texas", 400, "&lt;script&gt;"},
        {kListing + "skwords=houston&page=0", 400, "\u201C0\u201D is not a page number"},
        {kListing + "skwords=houston&page=01", 400, "\u201C01\u201D"},
        {kListing + "skwords=houston&page=1000000", 400, "\u201C1000000\u201D"},
        {kListing + "skwords=houston&page=%3Cb%3E", 400, "\u201C&lt;b&gt;\u201D"},
        {kListing + "skwords=houston&page=2", 400,
         "There is no page 2 of this search; its 3 matches fill 1 page."},
        {kListing + "skwords=senegal&page=2", 400, "its 0 matches fill 1 page."},
        {kListing + "state=Texas&page=1", 400, "belongs to a keyword search"},
        {kUpdate, 400, "\u201Cversion=A.B.C\u201D is missing"},
        {kUpdate + "?version=6.1", 400, "\u201C6.1\u201D is malformed"},
        {kUpdate + "?version=6.1.3.4", 400, "\u201C6.1.3.4\u201D"},
        {kUpdate + "?version=6..3", 400, "\u201C6..3\u201D"},
        {kUpdate + "?version=%2B6.1.3", 400, "\u201C+6.1.3\u201D"},
        {kUpdate + "?version=32768.0.0", 400, "\u201C32768.0.0\u201D"},
        {kUpdate + "?version=000001.0.0", 400, "\u201C000001.0.0\u201D"},
        {kUpdate + "?version=%3Cb%3E", 400, "\u201C&lt;b&gt;\u201D"},
        {kUpdate + "?version=6.1.3&version=6.1.4", 400, "given more than once"},
        {"/software/news/TNEWSUDB.PHP?region=usa&state=Texas", 404, "TNEWSUDB.PHP"},
        {"/software/news/tnewsudb.php/?region=usa&state=Texas", 404, "tnewsudb.php/"},
        {"/updates/tnewss.php/x", 404, "There is no page"},
        {"/%3Cscript%3E", 404, "/&lt;script&gt;"},
    };
    for (const BadRequestCase& c : cases)
    {
        SCOPED_TRACE(c.target);
        const bool update = c.target.starts_with(kUpdate + "?") || c.target == kUpdate;
        const httplib::Response response =
            Fetch(server, c.target, BasicAuth(kUserName, update ? kUpdatePassword : kListingPassword));
        EXPECT_EQ(response.status, c.status);
        testing::ExpectHtmlHeaders(response);
        EXPECT_TRUE(Contains(response.body, c.fragment)) << c.fragment << "\n" << response.body;
        EXPECT_FALSE(Contains(response.body, "<script>"));
    }
}

TEST(HttpErrorsTest, HostileKeywordsAreOnlyText)
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

} // namespace
} // namespace tnews::server
