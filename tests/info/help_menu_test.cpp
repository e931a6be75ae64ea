#include "info/help_menu.h"

#include "directory/region_selection.h"
#include "tests/support/recording_pane.h"

#include <gtest/gtest.h>

namespace tnews
{
namespace
{

using Calls = std::vector<std::string>;

// A program folder as the platform writes it, and the platform's separator.
#ifdef _WIN32
const std::string kFolder = "C:\\tnews", kSeparator = "\\";
#else
const std::string kFolder = "/opt/tnews", kSeparator = "/";
#endif

TEST(HelpMenuTest, HelpPageComesFromTheProgramFolder)
{
    RecordingPane pane;
    ShowHelpPage(pane, kFolder);
    ShowHelpPage(pane, kFolder + kSeparator); // the separator is added all the same
    EXPECT_EQ(pane.calls, (Calls{"Navigate " + kFolder + kSeparator + "help.htm",
                                 "Navigate " + kFolder + kSeparator + kSeparator + "help.htm"}));
}

TEST(HelpMenuTest, UpdatesSendsThePlainVersionWithTheUpdatePassword)
{
    RecordingPane pane;
    CheckForUpdates(pane, "h:1");
    EXPECT_EQ(
        pane.calls,
        Calls{"Navigate http://tnewsuser:hup39zk5wcaj7fen@h:1/updates/tnewss.php?version=6.1.3"});
}

TEST(HelpMenuTest, WebsiteOpensElsewhereAndLeavesThePaneAlone)
{
    RecordingPane pane;
    OpenPublisherWebsite(pane, "h:1");
    OpenPublisherWebsite(pane, "h:1");
    EXPECT_EQ(pane.calls, Calls(2, "Navigate http://h:1/ null _blank"));
}

TEST(HelpMenuTest, DirectoryStillWorksAfterHelpAndUpdates)
{
    RecordingPane pane;
    RegionSelection selection(pane.AsPaneCalls(), "/opt/tnews/start.html", "h:1");
    selection.Start();
    selection.ChooseRegion("u");
    ShowHelpPage(pane, "/opt/tnews");
    CheckForUpdates(pane, "h:1");
    pane.calls.clear();
    selection.ChooseEntry(45);
    selection.EditKeywords("rodeo");
    selection.Search();
    const std::string base = "Navigate http://tnewsuser:qsel47t2vyb8rdo@h:1/software/news/";
    EXPECT_EQ(pane.calls, (Calls{base + "tnewsudb.php?region=usa&state=Texas",
                                 base + "tnewsudb.php?region=usa&skwords=rodeo"}));
}

} // namespace
} // namespace tnews
