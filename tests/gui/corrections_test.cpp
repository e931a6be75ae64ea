// A reader suggests a newspaper in the real program's pane, by keyboard, to the real directory
// server: the form posts with the credentials, the store holds it, the thank-you page shows.
#include "gui_test_app.h"

#include "fixture_sources.h"
#include "server/corrections_store.h"
#include "test_server.h"

#include <gtest/gtest.h>
#include <wx/uiaction.h>

#include <cstdlib>

namespace tnews
{
namespace
{

using server::testing::RealCataloguePath;
using server::testing::TestServer;
using server::testing::TestServerOptions;
using CorrectionsGuiTest = EngineTest;

// With TNEWS_SCREENSHOTS=DIR, the whole screen as DIR/`name`.png, to be looked at.
void Screenshot(const char* name)
{
    if (const char* folder = std::getenv("TNEWS_SCREENSHOTS"))
    {
        const std::string command =
            "import -window root '" + std::string(folder) + "/" + name + ".png'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
    }
}

TEST_F(CorrectionsGuiTest, ASuggestionTypedInThePaneIsStoredAndThanked)
{
    const catalogue::testing::TempFolder state;
    server::CorrectionsStore store(state.Path());
    TestServer server{TestServerOptions{.catalogue = RealCataloguePath(), .site = {.corrections = &store}}};
    Open(server.Host());
    SendMenu(form, kMenuUSA);
    Choose(form, 45); // Texas
    ASSERT_TRUE(WaitForPageSource(view, "Suggest a newspaper for Texas")) << PageSource(view);

    // Into the page (a click on its heading, as a reader starts), then the keyboard alone: Tab
    // to the first link, which opens the form, whose first field has the focus; Tab between
    // its fields; Enter in the last one sends it.
    form->Raise();
    ASSERT_TRUE(WaitFor([&] { return form->IsActive(); }));
    wxUIActionSimulator input;
    input.MouseMove(view->GetScreenRect().GetTopLeft() + wxPoint(12, 10));
    input.MouseClick();
    HandleEvents();
    input.Char(WXK_TAB);
    input.Char(WXK_RETURN);
    ASSERT_TRUE(WaitForPageSource(view, "id=\"website\"")) << PageSource(view);
    HandleEvents(std::chrono::milliseconds(500));
    input.Text("Waco Herald");
    input.Char(WXK_TAB);
    input.Text("https://wacoherald.example/");
    input.Char(WXK_TAB);
    input.Text("Waco");
    HandleEvents();
    Screenshot("suggest-form");
    input.Char(WXK_RETURN);
    ASSERT_TRUE(WaitForPageSource(view, "Thank you")) << PageSource(view);
    HandleEvents();
    Screenshot("suggest-thanks");

    const std::vector<server::CorrectionItem> items = store.OpenItems();
    ASSERT_EQ(items.size(), 1u);
    const server::StoredSubmission& stored = items.front().submissions.front();
    EXPECT_EQ(std::tuple(stored.name, stored.website, stored.town, stored.place),
              std::tuple("Waco Herald", "https://wacoherald.example/", "Waco", "Texas"));
}

} // namespace
} // namespace tnews
