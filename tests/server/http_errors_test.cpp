// The real server refusing what the program never sends: wrong credentials, bad parameters,
// other methods, hostile keywords and malformed HTTP. Each gets a clear 4xx page.
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

const std::string kListingScripts[] = {
    "/software/news/tnewscdb.php?region=canada&province=Quebec",
    "/software/news/tnewsudb.php?region=usa&state=Texas",
    "/software/news/tnewsidb.php?region=international&country=Georgia",
    "/software/news/tnewsudb.php?region=usa&skwords=houston",
};
const std::string kUpdateScript = "/updates/tnewss.php?version=6.1.3";

struct AuthCase
{
    const char* what;
    httplib::Headers headers;
};

std::vector<AuthCase> BadCredentials(std::string_view rightPassword, std::string_view otherPassword)
{
    const std::string right(rightPassword);
    return {
        {"no header", {}},
        {"other password", BasicAuth(kUserName, otherPassword)},
        {"wrong password", BasicAuth(kUserName, right.substr(0, right.size() - 1) + "x")},
        {"longer password", BasicAuth(kUserName, right + "x")},
        {"shorter password", BasicAuth(kUserName, right.substr(1))},
        {"empty password", BasicAuth(kUserName, "")},
        {"wrong user", BasicAuth("tnewsuse", right)},
        {"user in capitals", BasicAuth("TNEWSUSER", right)},
        {"no colon", {{"Authorization", "Basic dG5ld3N1c2Vy"}}},
        {"bad base64", {{"Authorization", "Basic !!!!"}}},
        {"unpadded base64", {{"Authorization", "Basic dG5ld3N1c2VyOng"}}},
        {"scheme only", {{"Authorization", "Basic"}}},
        {"other scheme", {{"Authorization", "Bearer " + right}}},
        {"plain text", {{"Authorization", "Basic tnewsuser:" + right}}},
        {"two headers",
         {*BasicAuth(kUserName, right).begin(), *BasicAuth(kUserName, right).begin()}},
    };
}

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
    for (const std::string& target : kListingScripts)
    {
        for (const AuthCase& c : BadCredentials(kListingPassword, kUpdatePassword))
        {
            SCOPED_TRACE(target + ": " + c.what);
            ExpectChallenge(Fetch(server, target, c.headers));
        }
        // The scheme is case-insensitive and may be followed by several blanks.
        const std::string token = BasicAuth(kUserName, kListingPassword).begin()->second.substr(6);
        SCOPED_TRACE(target);
        EXPECT_EQ(Fetch(server, target, {{"Authorization", "bAsIc  " + token}}).status, 200);
    }
    for (const AuthCase& c : BadCredentials(kUpdatePassword, kListingPassword))
    {
        SCOPED_TRACE(kUpdateScript + ": " + c.what);
        ExpectChallenge(Fetch(server, kUpdateScript, c.headers));
    }
    // Credentials come first: a client without them learns nothing about its parameters.
    ExpectChallenge(Fetch(server, "/software/news/tnewsudb.php?region=mars&state=Nowhere"));
    ExpectChallenge(Fetch(server, "/updates/tnewss.php?version=x"));
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
    const BadRequestCase listing[] = {
        {"/software/news/tnewscdb.php?region=usa&province=Quebec", 400, "\u201Cusa\u201D"},
        {"/software/news/tnewsudb.php?region=USA&state=Texas", 400, "\u201CUSA\u201D"},
        {"/software/news/tnewsudb.php?state=Texas", 400, "\u201Cregion=usa\u201D is missing"},
        {"/software/news/tnewsudb.php?region=usa", 400, "\u201Cstate\u201D or \u201Cskwords\u201D"},
        {"/software/news/tnewsudb.php?region=usa&province=Quebec", 400, "\u201Cstate\u201D"},
        {"/software/news/tnewsudb.php?region=usa&state=Texas&skwords=x", 400, "not both"},
        {"/software/news/tnewsudb.php?region=usa&region=canada&state=Texas", 400,
         "given more than once"},
        {"/software/news/tnewsudb.php?region=usa&state=Texsa", 404, "\u201CTexsa\u201D"},
        {"/software/news/tnewsudb.php?region=usa&state=texas", 404, "\u201Ctexas\u201D"},
        {"/software/news/tnewsudb.php?region=usa&state=Texas%20", 404, "\u201CTexas \u201D"},
        {"/software/news/tnewsidb.php?region=international&country=Quebec", 404, "country"},
        {"/software/news/tnewsidb.php?region=international&country=Senegal", 404, "Senegal"},
        {"/software/news/tnewsudb.php?region=usa&state=%3Cb%3E%22", 404, "&lt;b&gt;&quot;"},
        {"/software/news/tnewsudb.php?region=%3Cscript%3E&state=Texas", 400, "&lt;script&gt;"},
        {"/software/news/tnewsudb.php?region=usa&skwords=houston&page=0", 400,
         "\u201C0\u201D is not a page number"},
        {"/software/news/tnewsudb.php?region=usa&skwords=houston&page=01", 400, "\u201C01\u201D"},
        {"/software/news/tnewsudb.php?region=usa&skwords=houston&page=-1", 400, "\u201C-1\u201D"},
        {"/software/news/tnewsudb.php?region=usa&skwords=houston&page=%201", 400, "\u201C 1\u201D"},
        {"/software/news/tnewsudb.php?region=usa&skwords=houston&page=", 400, "\u201C\u201D"},
        {"/software/news/tnewsudb.php?region=usa&skwords=houston&page=1000000", 400,
         "\u201C1000000\u201D"},
        {"/software/news/tnewsudb.php?region=usa&skwords=houston&page=%3Cb%3E", 400,
         "\u201C&lt;b&gt;\u201D"},
        {"/software/news/tnewsudb.php?region=usa&skwords=houston&page=2", 400,
         "There is no page 2 of this search; its 3 matches fill 1 page."},
        {"/software/news/tnewsudb.php?region=usa&skwords=senegal&page=2", 400,
         "its 0 matches fill 1 page."},
        {"/software/news/tnewsudb.php?region=usa&skwords=houston&page=1&page=2", 400,
         "given more than once"},
        {"/software/news/tnewsudb.php?region=usa&state=Texas&page=1", 400,
         "belongs to a keyword search"},
    };
    const BadRequestCase update[] = {
        {"/updates/tnewss.php", 400, "\u201Cversion=A.B.C\u201D is missing"},
        {"/updates/tnewss.php?version=", 400, "\u201C\u201D is malformed"},
        {"/updates/tnewss.php?version=6.1", 400, "\u201C6.1\u201D"},
        {"/updates/tnewss.php?version=6.1.3.4", 400, "\u201C6.1.3.4\u201D"},
        {"/updates/tnewss.php?version=6..3", 400, "\u201C6..3\u201D"},
        {"/updates/tnewss.php?version=-6.1.3", 400, "\u201C-6.1.3\u201D"},
        {"/updates/tnewss.php?version=%2B6.1.3", 400, "\u201C+6.1.3\u201D"},
        {"/updates/tnewss.php?version=32768.0.0", 400, "\u201C32768.0.0\u201D"},
        {"/updates/tnewss.php?version=000001.0.0", 400, "\u201C000001.0.0\u201D"},
        {"/updates/tnewss.php?version=6.1.3%20", 400, "\u201C6.1.3 \u201D"},
        {"/updates/tnewss.php?version=6.1.x", 400, "\u201C6.1.x\u201D"},
        {"/updates/tnewss.php?version=%3Cb%3E", 400, "\u201C&lt;b&gt;\u201D"},
        {"/updates/tnewss.php?version=6.1.3&version=6.1.4", 400, "given more than once"},
    };
    const BadRequestCase paths[] = {
        {"/software/news/tnewsxdb.php?region=usa&state=Texas", 404, "tnewsxdb.php"},
        {"/software/news/TNEWSUDB.PHP?region=usa&state=Texas", 404, "TNEWSUDB.PHP"},
        {"/software/news/tnewsudb.php/?region=usa&state=Texas", 404, "tnewsudb.php/"},
        {"/software/news/", 404, "There is no page"},
        {"/updates/tnewss.php/x", 404, "There is no page"},
        {"/index.html", 404, "/index.html"},
        {"/%3Cscript%3E", 404, "/&lt;script&gt;"},
    };
    auto check = [&](const BadRequestCase& c, const httplib::Headers& auth)
    {
        SCOPED_TRACE(c.target);
        const httplib::Response response = Fetch(server, c.target, auth);
        EXPECT_EQ(response.status, c.status);
        testing::ExpectHtmlHeaders(response);
        EXPECT_TRUE(Contains(response.body, c.fragment)) << c.fragment << "\n" << response.body;
        EXPECT_FALSE(Contains(response.body, "<script>"));
    };
    for (const BadRequestCase& c : listing)
        check(c, BasicAuth(kUserName, kListingPassword));
    for (const BadRequestCase& c : update)
        check(c, BasicAuth(kUserName, kUpdatePassword));
    for (const BadRequestCase& c : paths)
        check(c, {});
}

TEST(HttpErrorsTest, OtherMethodsAreNotAllowed)
{
    const TestServer server;
    httplib::Client client = server.Client();
    const httplib::Headers auth = BasicAuth(kUserName, kListingPassword);
    const std::string listing = "/software/news/tnewsudb.php?region=usa&state=Texas";
    for (const std::string& path : {std::string("/"), listing, std::string("/nowhere")})
    {
        const std::pair<const char*, httplib::Result> results[] = {
            {"POST", client.Post(path, auth, "state=Texas", "application/x-www-form-urlencoded")},
            {"PUT", client.Put(path, auth, "x", "text/plain")},
            {"PATCH", client.Patch(path, auth, "x", "text/plain")},
            {"DELETE", client.Delete(path, auth)},
            {"OPTIONS", client.Options(path, auth)},
        };
        for (const auto& [method, result] : results)
        {
            SCOPED_TRACE(std::string(method) + " " + path);
            ASSERT_TRUE(result) << httplib::to_string(result.error());
            EXPECT_EQ(result->status, 405);
            EXPECT_EQ(result->get_header_value("Allow"), "GET, HEAD");
            if (std::string_view(method) != "OPTIONS")
            {
                EXPECT_TRUE(Contains(result->body, "\u201C" + std::string(method) + "\u201D"));
            }
        }
    }
    // The connection survives a refused body: the next request on it is answered normally.
    const httplib::Result after = client.Get(listing, auth);
    ASSERT_TRUE(after) << httplib::to_string(after.error());
    EXPECT_EQ(after->status, 200);
}

TEST(HttpErrorsTest, HostileKeywordsAreOnlyText)
{
    const TestServer server;
    const httplib::Headers auth = BasicAuth(kUserName, kListingPassword);
    const std::pair<std::string, bool> cases[] = {
        // typed, finds the Houston Chronicle as a plain word search would
        {"<script>alert(1)</script>", false},
        {"\"", false},
        {"' OR 1=1 --", false},
        {"'; DROP TABLE papers; --", false},
        {"NEAR(houston chronicle)", false},
        {"houston OR dakar", false},
        {"name:houston", false},
        {"{name city}: houston", false},
        {"houston AND", false},
        {std::string("hou\0ston", 8), false},
        {"\xFF\xC3(", false},
        {std::string(256, 'a'), false},
        {std::string(255, ' ') + "a", false},
        {"houston*", true},
        {"^houston", true},
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
        testing::ExpectHtmlHeaders(response);
        EXPECT_TRUE(
            Contains(response.body, "<span class=\"typed\">" + EscapeHtml(typed) + "</span>"))
            << response.body;
        EXPECT_FALSE(Contains(response.body, "<script>"));
        EXPECT_EQ(Contains(response.body, "Houston Chronicle</a>"), findsHouston);
    }
    for (std::size_t length : {257u, 4000u})
    {
        const httplib::Response response = Fetch(
            server,
            testing::WireTarget(*KeywordSearchUrl("u", std::string(length, 'x'), server.Host())),
            auth);
        EXPECT_EQ(response.status, 400) << length;
        EXPECT_TRUE(Contains(response.body, "too long")) << response.body;
    }
}

TEST(HttpErrorsTest, MalformedHttpGetsAPage)
{
    const TestServer server;
    const std::pair<std::string, std::string> cases[] = {
        {"GARBAGE\r\n\r\n", "HTTP/1.1 400 "},
        {"GET / HTTP/9.9\r\nHost: x\r\n\r\n", "HTTP/1.1 400 "},
        {"TRACE / HTTP/1.1\r\nHost: x\r\n\r\n", "HTTP/1.1 405 "},
        {"POST / HTTP/1.1\r\nHost: x\r\n\r\n", "HTTP/1.1 405 "},
        {"GET /" + std::string(9000, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n", "HTTP/1.1 414 "},
        {"POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 100000\r\n\r\n" + std::string(100000, 'x'),
         "HTTP/1.1 413 "},
    };
    for (const auto& [request, statusLine] : cases)
    {
        SCOPED_TRACE(request.substr(0, 60));
        const std::string answer = testing::RawExchange(server.Port(), request);
        EXPECT_EQ(answer.rfind(statusLine, 0), 0u) << answer;
        EXPECT_TRUE(Contains(answer, "Content-Security-Policy: default-src 'none'")) << answer;
        EXPECT_TRUE(Contains(answer, "<html lang=\"en\">")) << answer;
    }
}

} // namespace
} // namespace tnews::server
