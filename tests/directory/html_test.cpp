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
        {"Montr\u00E9al \u2014 \xE6\x9D\xB1\xE4\xBA\xAC",
         "Montr\u00E9al \u2014 \xE6\x9D\xB1\xE4\xBA\xAC"},
        {"tab\tand\nline", "tab\tand\nline"},
        {std::string("nul\0cr\r", 7), "nul\uFFFDcr\uFFFD"},
        {"\xC2\x85 C1", "\uFFFD C1"},
        {"\xFF\xC3(", "\uFFFD\uFFFD("},
        {"\xED\xA0\x80 surrogate", "\uFFFD\uFFFD\uFFFD surrogate"},
    };
    for (const auto& [text, escaped] : cases)
        EXPECT_EQ(EscapeHtml(text), escaped) << text;
}

TEST(HtmlTest, DocumentAsksForTheNewestModeBeforeAnythingElse)
{
    const std::string page = HtmlDocument("A <b> & c", "p{margin:0}", "<p>x</p>\n");
    const std::size_t mode = page.find("<meta http-equiv=\"X-UA-Compatible\" content=\"IE=edge\">");
    ASSERT_NE(mode, std::string::npos) << page;
    EXPECT_LT(mode, page.find("<meta name=\"viewport\"")) << page;
    EXPECT_NE(page.find("<title>A &lt;b&gt; &amp; c</title>"), std::string::npos) << page;
    EXPECT_TRUE(page.starts_with("<!DOCTYPE html>\n")) << page;
    EXPECT_TRUE(
        page.ends_with("<style>p{margin:0}</style>\n</head>\n<body>\n<p>x</p>\n</body>\n</html>\n"))
        << page;
}

} // namespace
} // namespace tnews
