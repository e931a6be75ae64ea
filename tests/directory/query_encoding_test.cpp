#include "directory/query_encoding.h"

#include <gtest/gtest.h>

namespace tnews
{
namespace
{

TEST(QueryEncodingTest, EncodesEverythingButUnreservedBytes)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"AZaz09-._~", "AZaz09-._~"},
        {"fish&chips", "fish%26chips"},
        {"C#", "C%23"},
        {"a+b", "a%2Bb"},
        {"100%", "100%25"},
        {"  New York  ", "%20%20New%20York%20%20"},
        {"S\xC3\xA9n\xC3\xA9gal", "S%C3%A9n%C3%A9gal"},
        {std::string("a\0b", 3), "a%00b"},
        {"\xFF\x80", "%FF%80"},
    };
    for (const auto& [text, encoded] : cases)
    {
        EXPECT_EQ(EncodeQueryValue(text), encoded) << text;
        EXPECT_EQ(DecodeQueryValue(encoded), text) << encoded;
    }
}

TEST(QueryEncodingTest, DecodingRefusesBrokenEscapes)
{
    EXPECT_EQ(DecodeQueryValue("a+b%2b"), "a b+");
    EXPECT_EQ(DecodePercentEncoded("a+b%2b"), "a+b+");
    for (const char* broken : {"%", "%4", "a%zz", "%G0", "abc%2"})
    {
        EXPECT_FALSE(DecodeQueryValue(broken)) << broken;
        EXPECT_FALSE(DecodePercentEncoded(broken)) << broken;
    }
}

} // namespace
} // namespace tnews
