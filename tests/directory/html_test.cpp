#include "directory/html.h"

#include <gtest/gtest.h>

namespace tnews
{
namespace
{

TEST(HtmlTest, EscapesMarkupAndKeepsPagesValidUtf8)
{
    const std::pair<std::string, std::string> cases[] = {
        {"<a href=\"x\">Tom's & Jerry's</a>",
         "&lt;a href=&quot;x&quot;&gt;Tom&#39;s &amp; Jerry&#39;s&lt;/a&gt;"},
        {"Montr\u00E9al \u2014 \xE6\x9D\xB1\xE4\xBA\xAC\ttab\nline",
         "Montr\u00E9al \u2014 \xE6\x9D\xB1\xE4\xBA\xAC\ttab\nline"},
        {std::string("nul\0cr\r\xC2\x85", 8), "nul\uFFFDcr\uFFFD\uFFFD"},
        {"\xFF\xC3( \xED\xA0\x80", "\uFFFD\uFFFD( \uFFFD\uFFFD\uFFFD"},
    };
    for (const auto& [text, escaped] : cases)
        EXPECT_EQ(EscapeHtml(text), escaped) << text;
    // The document mode is asked for before anything but the charset, or it is not taken.
    const std::string page = HtmlDocument("A <b>", "p{margin:0}", "<p>x</p>\n");
    EXPECT_LT(page.find("<meta http-equiv=\"X-UA-Compatible\" content=\"IE=edge\">"),
              page.find("<meta name=\"viewport\""))
        << page;
    EXPECT_NE(page.find("<title>A &lt;b&gt;</title>"), std::string::npos) << page;
}

} // namespace
} // namespace tnews
