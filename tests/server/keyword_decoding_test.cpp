// What the user types reaches the server intact through the program's URL encoding.
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
using testing::Fetch;
using testing::TestServer;

std::string TypedEcho(const httplib::Response& response)
{
    const std::string open = "<span class=\"typed\">";
    const std::size_t start = response.body.find(open);
    if (start == std::string::npos)
        return "(no echo)";
    const std::size_t end = response.body.find("</span>", start);
    return response.body.substr(start + open.size(), end - start - open.size());
}

TEST(KeywordDecodingTest, ServerSeesExactlyWhatWasTyped)
{
    const TestServer server;
    const httplib::Headers auth = BasicAuth(kUserName, kListingPassword);
    for (const std::string typed :
         {"fish&chips", "C#", "a+b", "  New York  ", "100%", "a=b;c/d?e", "\"quoted\" <tag>",
          "Montr\xC3\xA9"
          "al",
          "tab\there"})
    {
        const std::string target =
            testing::WireTarget(*KeywordSearchUrl("u", typed, server.Host()));
        SCOPED_TRACE(target);
        const httplib::Response response = Fetch(server, target, auth);
        EXPECT_EQ(response.status, 200);
        EXPECT_EQ(TypedEcho(response), EscapeHtml(typed));
    }
    // A literal plus is a blank in a query; only %2B is a plus.
    const std::pair<const char*, const char*> raw[] = {
        {"a+b", "a b"},     {"a%2Bb", "a+b"},     {"a%2bb", "a+b"},
        {"%20a%20", " a "}, {"a%26b", "a&amp;b"},
    };
    for (const auto& [wire, echoed] : raw)
    {
        SCOPED_TRACE(wire);
        const httplib::Response response = Fetch(
            server, std::string("/software/news/tnewsudb.php?region=usa&skwords=") + wire, auth);
        EXPECT_EQ(TypedEcho(response), echoed);
    }
    const httplib::Response fish = Fetch(
        server, testing::WireTarget(*KeywordSearchUrl("u", "fish&chips", server.Host())), auth);
    EXPECT_NE(fish.body.find("Fish &amp; Chips Daily</a>"), std::string::npos) << fish.body;
}

} // namespace
} // namespace tnews::server
