#include "catalogue/tool/website_key.h"

#include <gtest/gtest.h>

namespace tnews::catalogue
{
namespace
{

TEST(WebsiteKeyTest, SameSiteGivesTheSameKey)
{
    const std::pair<const char*, const char*> cases[] = {
        {"http://www.TheDailyStar.net/", "thedailystar.net"},
        {"https://thedailystar.net:443//", "thedailystar.net"},
        {"http://user@www.example.org/News/#top", "example.org/News"},
        {"http://example.org/?id=5", "example.org?id=5"},
        {"http://wwwexample.org/", "wwwexample.org"},
        {"www.example.org/", nullptr},
        {"ftp://example.org/", nullptr},
        {"http:///path", nullptr},
    };
    for (const auto& [url, key] : cases)
    {
        const std::optional<std::string> got = WebsiteKey(url);
        EXPECT_EQ(got.value_or("(none)"), key ? key : "(none)") << url;
    }
}

TEST(WebsiteKeyTest, SocialMediaPagesAreNoWebsiteOfTheirOwn)
{
    const std::pair<const char*, bool> cases[] = {
        {"https://www.facebook.com/reporternews", true},
        {"http://twitter.com/#!/clearwaternews", true},
        {"https://notfacebook.com/", false},
        {"https://www.facebook.com.example.org/", false},
    };
    for (const auto& [url, social] : cases)
        EXPECT_EQ(IsSocialMediaPage(url), social) << url;
}

} // namespace
} // namespace tnews::catalogue
