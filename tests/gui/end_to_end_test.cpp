// The real program's window on the real web engine against the real directory server, serving
// the catalogue the build writes: each road of the menus and the top row.
#include "gui_test_app.h"

#include "test_server.h"

#include <gtest/gtest.h>
#include <wx/textctrl.h>

namespace tnews
{
namespace
{

using server::testing::RealCataloguePath;
using server::testing::TestServer;
using server::testing::TestServerOptions;
using EndToEndTest = EngineTest;

TEST_F(EndToEndTest, EveryRoadReachesItsPage)
{
    TestServer server{TestServerOptions{.catalogue = RealCataloguePath()}};
    std::vector<std::string> launched;
    Open(server.Host(), TNEWS_PROGRAM_FOLDER,
         [&launched](const std::string& url) { return launched.push_back(url), true; });

    SendMenu(form, kMenuUSA);
    Choose(form, 45); // Texas
    EXPECT_TRUE(WaitForPageSource(view, "Houston Chronicle")) << PageSource(view);
    // A paper reported closed: at the end of its place, its old address never a link.
    Choose(form, 10); // Florida
    EXPECT_TRUE(WaitForPageSource(view, "<h2 id=\"closed\">Reported closed</h2>"))
        << PageSource(view);
    const std::string florida = PageSource(view);
    EXPECT_NE(
        florida.find("<li>Tampa Tribune <span class=\"note\">\u2014 Tampa \u00B7 closed 2016"),
        std::string::npos)
        << florida;
    EXPECT_EQ(florida.find("href=\"http://www.tampatrib.com/\""), std::string::npos) << florida;
    Find<wxTextCtrl>(form, "Text1")->SetValue("dallas");
    form->KSearch_Click();
    EXPECT_TRUE(WaitForPageSource(view, "The Dallas Morning News")) << PageSource(view);
    SendMenu(form, kMenuUpdates);
    EXPECT_TRUE(WaitForPageSource(view, "current version")) << PageSource(view);
    SendMenu(form, kMenuHelp);
    EXPECT_TRUE(WaitForPageSource(view, "Tavi's Newspapers Help"));
    SendMenu(form, kMenuTaviOrlund);
    EXPECT_EQ(launched, std::vector<std::string>{"http://" + server.Host() + "/"});
    form->About_Click();
    EXPECT_TRUE(WaitFor([] { return wxWindow::FindWindowByName("AboutTN") != nullptr; }));
}

} // namespace
} // namespace tnews
