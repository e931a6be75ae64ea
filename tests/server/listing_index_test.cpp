// A place with many papers gets an index at the top that jumps within the page.
#include "directory/catalogue.h"
#include "test_server.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace tnews::server
{
namespace
{

// The cities of Ohio's papers: `perCity` in each of `cities`, then `withoutCity` without one.
std::vector<std::string> Papers(const std::vector<std::string>& cities, int perCity,
                                int withoutCity)
{
    std::vector<std::string> papers;
    for (const std::string& city : cities)
        papers.insert(papers.end(), static_cast<std::size_t>(perCity), city);
    papers.insert(papers.end(), static_cast<std::size_t>(withoutCity), "");
    return papers;
}

// Every in-page link of `page` has exactly one target.
void ExpectLinksReachTargets(const std::string& page)
{
    std::set<std::string> ids;
    std::vector<std::string> links;
    for (const std::string attribute : {" id=\"", " href=\"#"})
    {
        for (std::size_t at = page.find(attribute); at != std::string::npos;
             at = page.find(attribute, at))
        {
            at += attribute.size();
            const std::string value = page.substr(at, page.find('"', at) - at);
            if (attribute == " href=\"#")
                links.push_back(value);
            else
                EXPECT_TRUE(ids.insert(value).second) << "id used twice: " << value;
        }
    }
    for (const std::string& link : links)
        EXPECT_TRUE(ids.contains(link)) << "no target for #" << link;
}

struct IndexCase
{
    const char* what;
    std::vector<std::string> papers;
    std::vector<std::string> fragments; // in this order
};

TEST(ListingIndexTest, ManyPapersGetAnIndexOfCitiesOrLetters)
{
    const std::vector<std::string> letters = {
        "Zanesville", "Akron",  "Athens",        "Bowling Green", "Canton", "Cleveland",
        "Columbus",   "Dayton", "\xC3\x89lyria", "Findlay",       "Kent",   "Lima",
        "Marion",     "Newark", "Oxford",        "Sandusky",      "Toledo", "Youngstown"};
    const IndexCase cases[] = {
        {"a few papers: no index",
         Papers({"Toledo", "Akron"}, 6, 0),
         {"<h2>Akron</h2>", "<h2>Toledo</h2>"}},
        {"a few cities: the cities",
         Papers({"Toledo", "Akron", "Columbus"}, 5, 1),
         {"<p class=\"index\"><a href=\"#g1\">Akron</a>\n<a href=\"#g2\">Columbus</a>\n"
          "<a href=\"#g3\">Toledo</a>\n<a href=\"#g4\">City not given</a>\n</p>",
          "<h2 id=\"g1\">Akron</h2>", "<h2 id=\"g3\">Toledo</h2>",
          "<h2 id=\"g4\">City not given</h2>"}},
        {"many cities: their letters, accents aside",
         Papers(letters, 1, 2),
         {"<a href=\"#g1\">A</a>\n<a href=\"#g2\">B</a>\n<a href=\"#g3\">C</a>\n"
          "<a href=\"#g4\">D</a>\n<a href=\"#g5\">E</a>\n<a href=\"#g6\">F</a>\n",
          "<a href=\"#g15\">Z</a>\n<a href=\"#g16\">City not given</a>\n</p>",
          "<h2 id=\"g1\">A <a class=\"top\" href=\"#top\">\u2191 index</a></h2>\n<h3>Akron</h3>",
          "<h2 id=\"g5\">E ", "<h3>\xC3\x89lyria</h3>", "<h2 id=\"g6\">F ", "<h3>Zanesville</h3>",
          "<h2 id=\"g16\">City not given <a class=\"top\" href=\"#top\">\u2191 "
          "index</a></h2>\n<ul>"}},
    };
    for (const IndexCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        const testing::TestServer server(testing::OhioSite(c.papers));
        const std::string page =
            testing::Fetch(server, "/software/news/tnewsudb.php?region=usa&state=Ohio",
                           testing::BasicAuth(kUserName, kListingPassword))
                .body;
        testing::ExpectInOrder(page, c.fragments);
        EXPECT_EQ(page.find("class=\"index\"") != std::string::npos, c.fragments.size() > 2);
        ExpectLinksReachTargets(page);
    }
}

} // namespace
} // namespace tnews::server
