// The real server's answers as caches and compressing clients see them: gzip by Accept-Encoding,
// entity tags and 304, Cache-Control by route, and a search stopped at its budget.
#include "directory/server_urls.h"
#include "test_server.h"

#include <gtest/gtest.h>

namespace tnews::server
{
namespace
{

using testing::BasicAuth;
using testing::TestServer;

struct RouteCase
{
    std::string target;
    httplib::Headers auth;
    int status;
    std::string cacheControl;
    bool gzip; // kept compressed
};

httplib::Response Get(const TestServer& server, const RouteCase& c, httplib::Headers more)
{
    httplib::Client client = server.Client();
    client.set_decompress(false); // the bytes as sent
    more.insert(c.auth.begin(), c.auth.end());
    const httplib::Result result = client.Get(c.target, more);
    if (!result)
    {
        ADD_FAILURE() << httplib::to_string(result.error());
        return {};
    }
    return *result;
}

TEST(HttpCachingTest, PagesComeGzippedWhenAskedWithTagsAndACachePolicyPerRoute)
{
    const TestServer server;
    const httplib::Headers listing = BasicAuth(kUserName, kListingPassword);
    const std::string texas = "/software/news/tnewsudb.php?region=usa&state=Texas";
    const RouteCase cases[] = {
        {"/", {}, 200, "public, max-age=300", true},
        // The fixture's export is too small to gain from gzip.
        {"/exports/newspapers.json", {}, 200, "public, max-age=300", false},
        {texas, listing, 200, "private, max-age=60", true},
        {"/software/news/tnewsudb.php?region=usa&skwords=houston", listing, 200,
         "private, max-age=60", true},
        {"/updates/tnewss.php?version=6.1.3", BasicAuth(kUserName, kUpdatePassword), 200,
         "private, max-age=60", false},
        {texas, {}, 401, "no-store", false},
        {"/software/news/tnewsudb.php?region=usa&state=Mars", listing, 404, "no-store", false},
    };
    for (const RouteCase& c : cases)
    {
        SCOPED_TRACE(c.target);
        const httplib::Response plain = Get(server, c, {{"Accept-Encoding", "identity"}});
        const httplib::Response gzipped = Get(server, c, {{"Accept-Encoding", "gzip, deflate"}});
        for (const httplib::Response* response : {&plain, &gzipped})
        {
            EXPECT_EQ(response->status, c.status);
            EXPECT_EQ(response->get_header_value("Cache-Control"), c.cacheControl);
            EXPECT_EQ(response->get_header_value("Vary"), c.gzip ? "Accept-Encoding" : "");
        }
        EXPECT_EQ(gzipped.get_header_value("Content-Encoding"), c.gzip ? "gzip" : "");
        EXPECT_EQ(c.gzip ? testing::Gunzip(gzipped.body) : gzipped.body, plain.body);
        const std::string tag = gzipped.get_header_value("ETag");
        EXPECT_EQ(tag != plain.get_header_value("ETag"), c.gzip) << tag;

        // A client that has the page gets 304 with the fields a cache updates, and no body; a
        // tag of the other coding gets the page, and an error page is never a 304. (The client
        // reads a 304 without Content-Length up to the end of the connection.)
        const auto conditional = [&](const char* coding)
        {
            return Get(server, c,
                       {{"Accept-Encoding", coding},
                        {"If-None-Match", "\"x\", " + tag},
                        {"Connection", "close"}});
        };
        const httplib::Response again = conditional("gzip");
        EXPECT_EQ(again.status, c.status == 200 ? 304 : c.status);
        if (again.status == 304)
        {
            EXPECT_EQ(again.body, "");
            EXPECT_EQ(again.get_header_value("ETag"), tag);
            EXPECT_EQ(again.get_header_value("Cache-Control"), c.cacheControl);
            EXPECT_FALSE(again.has_header("Content-Type") || again.has_header("Content-Encoding"));
        }
        EXPECT_EQ(conditional("identity").status, c.gzip ? c.status : again.status);
    }
}

TEST(HttpCachingTest, SearchPastItsBudgetIs503AndSaysWhyInTheLog)
{
    const Site site(testing::OhioSite(std::vector<std::string>(50, "Toledo")), Version{6, 1, 3},
                    SiteOptions{.searchBudget = std::chrono::nanoseconds(0)});
    Request request;
    request.method = "GET";
    request.path = "/software/news/tnewsudb.php";
    request.query = {{"region", "usa"}, {"skwords", "toledo"}};
    request.authorization = BasicAuth(kUserName, kListingPassword).begin()->second;
    const Response response = site.Handle(request);
    EXPECT_EQ(response.status, 503);
    EXPECT_EQ(response.Header("Cache-Control"), "no-store");
    EXPECT_TRUE(testing::Contains(*response.body, "took the server too long")) << *response.body;
    EXPECT_EQ(response.problem, "search stopped at its budget of 0 ms of processor time");
    // A listing needs no search and is answered as ever.
    request.query = {{"region", "usa"}, {"state", "Ohio"}};
    EXPECT_EQ(site.Handle(request).status, 200);
}

} // namespace
} // namespace tnews::server
