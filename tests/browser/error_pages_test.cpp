#include "browser/error_pages.h"
#include "directory/html.h"

#include <gtest/gtest.h>

namespace tnews
{
namespace
{

TEST(ErrorPagesTest, CredentialsAreLeftOutOfTheShownAddress)
{
    const std::pair<const char*, const char*> cases[] = {
        {"http://u:p@h:1/x?y=1", "http://h:1/x?y=1"},
        {"http://u:p@h", "http://h"},
        {"http://h/a@b", "http://h/a@b"}, // an at sign after the host is the path's own
        {"http://a@b@h/", "http://h/"},
        {"file:///opt/tnews/start.html", "file:///opt/tnews/start.html"},
        {"mailto:editor@example.org", "mailto:editor@example.org"},
    };
    for (const auto& [url, shown] : cases)
        EXPECT_EQ(WithoutCredentials(url), shown) << url;
}

// Every value a page echoes comes back as text, never as markup.
TEST(ErrorPagesTest, EchoedValuesAreEscaped)
{
    const std::string hostile = "\"><script>x</script>";
    const std::string url = "http://tnewsuser:pw@h:1/s.php?region=usa&state=" + hostile;
    const std::string pages[] = {
        ServerNotAnsweringPage(url, "h:1" + hostile, "refused" + hostile),
        NoBrowserPage("http://paper.example/" + hostile, url),
    };
    for (const std::string& page : pages)
    {
        EXPECT_EQ(page.find("<script"), std::string::npos) << page;
        EXPECT_NE(page.find("&quot;&gt;&lt;script&gt;"), std::string::npos) << page;
    }
    // The shown address leaves the credentials out (the links keep them: the GUI tests follow
    // them), and without a way back there is no link.
    EXPECT_NE(pages[0].find(EscapeHtml(WithoutCredentials(url)) + "</span>"), std::string::npos);
    EXPECT_EQ(NoBrowserPage("http://paper.example/", "").find("<a "), std::string::npos);
}

} // namespace
} // namespace tnews
