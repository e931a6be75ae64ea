// The real program's window on the real web engine against the real directory server, serving
// the catalogue that ships with it.
#include "gui_support.h"

#include "browser/utf8.h"
#include "test_server.h"

#include <gtest/gtest.h>
#include <wx/choice.h>
#include <wx/textctrl.h>
#include <wx/webview.h>

namespace tnews
{
namespace
{

using server::testing::RealCataloguePath;
using server::testing::TestServer;
using server::testing::TestServerOptions;

class EndToEndTest : public testing::Test
{
protected:
    void SetUp() override
    {
        form = MakeEngineForm(server.Host(), TNEWS_PROGRAM_FOLDER);
        form->Show();
        view = Find<wxWebView>(form, "WebBrowser1");
        ASSERT_TRUE(view);
    }
    void TearDown() override
    {
        form->Destroy();
        HandleEvents(std::chrono::milliseconds(50));
    }

    TestServer server{TestServerOptions{.catalogue = RealCataloguePath()}};
    Form1* form = nullptr;
    wxWebView* view = nullptr;
};

TEST_F(EndToEndTest, ListingSearchAndUpdatesFromTheServer)
{
    ASSERT_TRUE(WaitForPageSource(view, "Find newspapers by place"));

    SendMenu(form, kMenuUSA);
    auto* combo = Find<wxChoice>(form, "Combo1");
    combo->SetSelection(45);
    wxCommandEvent choice(wxEVT_CHOICE, combo->GetId());
    choice.SetInt(45);
    combo->ProcessWindowEvent(choice);
    EXPECT_TRUE(WaitForPageSource(view, "Houston Chronicle")) << PageSource(view);

    Find<wxTextCtrl>(form, "Text1")->SetValue("dallas");
    form->KSearch_Click();
    EXPECT_TRUE(WaitForPageSource(view, "The Dallas Morning News")) << PageSource(view);

    SendMenu(form, kMenuUpdates);
    EXPECT_TRUE(WaitForPageSource(view, "current version")) << PageSource(view);

    SendMenu(form, kMenuHelp);
    EXPECT_TRUE(WaitForPageSource(view, "Tavi's Newspapers Help"));
}

} // namespace
} // namespace tnews
