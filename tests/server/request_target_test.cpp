// The request target as the server reads it: the path and the query pairs, decoded strictly.
#include "server/request_target.h"
#include "test_server.h"

#include <gtest/gtest.h>

namespace tnews::server
{
namespace
{

using Pairs = std::vector<std::pair<std::string, std::string>>;

struct TargetCase
{
    std::string target;
    std::string path; // when well-formed
    Pairs query;
    std::string error; // in the message; "" when the target is well-formed
};

TEST(RequestTargetTest, SplitsAndDecodesStrictly)
{
    const TargetCase cases[] = {
        {"/", "/", {}, ""},
        {"/a%2Cb+c?", "/a,b+c", {}, ""},
        {"/software%2fnews/x?k=v", "", {}, "encoded \u201C/\u201D (%2F)"},
        {"/s?region=usa&state=New%20York", "/s", {{"region", "usa"}, {"state", "New York"}}, ""},
        {"/s?skwords=a=b", "/s", {{"skwords", "a=b"}}, ""},
        {"/s?k=a+b%2Bc", "/s", {{"k", "a b+c"}}, ""},
        {"/s?k=%20%20a%20&k=", "/s", {{"k", "  a "}, {"k", ""}}, ""},
        {"/s?&&k&=v&", "/s", {{"k", ""}, {"", "v"}}, ""},
        {"/s?k=S%C3%A9n%00", "/s", {{"k", std::string("S\xC3\xA9n\0", 5)}}, ""},
        {"/s?k=%26%3D%3F%23", "/s", {{"k", "&=?#"}}, ""},
        {"/s?k=a?b", "/s", {{"k", "a?b"}}, ""},
        {"HTTP://host:80/s?k=v", "/s", {{"k", "v"}}, ""},
        {"http://host?k=v", "/", {{"k", "v"}}, ""},
        {"/s?k=%u00E9", "", {}, "\u201Ck=%u00E9\u201D, a \u201C%\u201D is not followed"},
        {"/s?k=a%2", "", {}, "\u201Ck=a%2\u201D"},
        {"/s?%=v", "", {}, "\u201C%=v\u201D"},
        {"/a%g0?k=v", "", {}, "the path \u201C/a%g0\u201D"},
        {"*", "", {}, "\u201C*\u201D is not a path"},
        {"/s?k=" + std::string(200, '%'), "", {}, "\u2026\u201D"},
    };
    for (const TargetCase& c : cases)
    {
        SCOPED_TRACE(c.target);
        const RequestTarget parsed = ParseRequestTarget(c.target);
        if (c.error.empty())
        {
            EXPECT_EQ(parsed.path, c.path);
        }
        EXPECT_EQ(parsed.query, c.query);
        EXPECT_EQ(parsed.error.empty(), c.error.empty()) << parsed.error;
        EXPECT_TRUE(testing::Contains(parsed.error, c.error)) << parsed.error;
    }
}

} // namespace
} // namespace tnews::server
