// Pages compressed once, the coding a request's Accept-Encoding chooses, and the entity tags
// If-None-Match names.
#include "server/encoded_page.h"
#include "test_server.h"

#include <gtest/gtest.h>

namespace tnews::server
{
namespace
{

TEST(EncodedPageTest, GzipFormRoundTripsAndEachFormHasItsOwnTag)
{
    std::string page;
    for (int i = 0; i < 200; ++i)
        page += "<li><a href=\"https://paper" + std::to_string(i) + ".example/\">Paper</a></li>\n";
    const SharedEncodedPage encoded = EncodePage(page);
    ASSERT_TRUE(encoded->gzip);
    EXPECT_EQ(testing::Gunzip(*encoded->gzip), page);
    EXPECT_NE(encoded->Etag(Coding::Gzip), encoded->Etag(Coding::Identity));
    // Replicas of one build give a page the same tag; another page gets another.
    EXPECT_EQ(PlainPage(page)->etag, encoded->etag);
    EXPECT_NE(PlainPage(page + " ")->etag, encoded->etag);
    // Too small to gain: only the page itself, whatever is asked for.
    const SharedEncodedPage tiny = EncodePage("x");
    EXPECT_EQ(*tiny->Bytes(Coding::Gzip), "x");
    EXPECT_EQ(tiny->Etag(Coding::Gzip), tiny->etag);
}

TEST(EncodedPageTest, AcceptEncodingChoosesByQValue)
{
    const std::pair<const char*, Coding> cases[] = {
        {"", Coding::Identity},
        {"gzip, deflate", Coding::Gzip},
        {"X-GZip", Coding::Gzip},
        {"br;q=1.0, gzip ; Q=0.8, *;q=0.1", Coding::Gzip},
        {"gzip;q=1, identity;q=1", Coding::Gzip},
        {"gzip;q=0.001", Coding::Gzip}, // identity, unnamed, comes after it
        {"*", Coding::Gzip},
        {"gzip;q=0.000", Coding::Identity},
        {"gzip;q=0.5, identity", Coding::Identity},
        {"*;q=0", Coding::Identity}, // nothing acceptable: the page as it is
        {"deflate, br", Coding::Identity},
        // Malformed elements count for nothing.
        {"gzip;q=1.5", Coding::Identity},
        {"gzip;q=0.1234", Coding::Identity},
        {"gzip;level=9", Coding::Identity},
        {",, gzip;q=.5 ,", Coding::Identity},
    };
    for (const auto& [field, coding] : cases)
    {
        EXPECT_EQ(ChooseCoding(field, true), coding) << field;
        EXPECT_EQ(ChooseCoding(field, false), Coding::Identity) << field;
    }
}

TEST(EncodedPageTest, IfNoneMatchNamesTagsByWeakComparison)
{
    const std::string tag = "\"0001-abc\"";
    const std::pair<const char*, bool> cases[] = {
        {"W/\"0001-abc\"", true},
        {"\"a,b\",,  \"0001-abc\" ,", true},
        {" * ", true},
        {"", false},
        {"\"0001-ab\"", false},
        {"0001-abc", false},
        {"\"x\" \"0001-abc\"", false},
        {"*, \"0001-abc\"", false},
    };
    for (const auto& [field, names] : cases)
        EXPECT_EQ(NoneMatchNames(field, tag), names) << field;
}

} // namespace
} // namespace tnews::server
