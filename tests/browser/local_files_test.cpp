#include "browser/local_files.h"

#include <gtest/gtest.h>

namespace tnews
{
namespace
{

TEST(LocalFilesTest, ProgramFilesAndTheirUrls)
{
    // A folder's own separator at the end is kept: the file always gets one more.
#ifdef _WIN32
    EXPECT_EQ(ProgramFilePath("C:\\Program Files\\tnews", "help.htm"),
              "C:\\Program Files\\tnews\\help.htm");
    EXPECT_EQ(ProgramFilePath("C:\\", "help.htm"), "C:\\\\help.htm");
#else
    EXPECT_EQ(ProgramFilePath("/opt/tnews", "help.htm"), "/opt/tnews/help.htm");
    EXPECT_EQ(ProgramFilePath("/", "help.htm"), "//help.htm");
#endif
    const std::pair<const char*, const char*> cases[] = {
        {"/opt/tnews/start.html", "file:///opt/tnews/start.html"},
        {"/home/a b/#1/100%/x?.html", "file:///home/a%20b/%231/100%25/x%3F.html"},
        {"/home/Zo\xC3\xAB/\xE6\x96\xB0\xE8\x81\x9E/start.html",
         "file:///home/Zo%C3%AB/%E6%96%B0%E8%81%9E/start.html"},
        {"//start.html", "file:////start.html"},
        {"C:\\Program Files\\tnews\\start.html", "file:///C:/Program%20Files/tnews/start.html"},
        {"\\\\server\\share\\help.htm", "file://server/share/help.htm"},
        {"start.html", ""}, // not a local path: no URL
        {"http://h/x", ""},
        {"", ""},
    };
    for (const auto& [path, url] : cases)
    {
        EXPECT_EQ(IsLocalPath(path), *url != '\0') << path;
        EXPECT_EQ(FileUrl(path), url) << path;
    }
}

} // namespace
} // namespace tnews
