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

    // The source of the page the pane shows (the server's pages allow no scripts to read it).
    std::string PageText()
    {
        return view->IsBusy() ? std::string() : ToUtf8(view->GetPageSource());
    }
    // Waits until the pane has loaded a page whose source holds `words`.
    bool WaitForText(const char* words)
    {
        return WaitFor([&] { return PageText().find(words) != std::string::npos; });
    }
    void Menu(int id)
    {
        wxCommandEvent event(wxEVT_MENU, id);
        form->ProcessWindowEvent(event);
    }

    TestServer server{TestServerOptions{.catalogue = RealCataloguePath()}};
    Form1* form = nullptr;
    wxWebView* view = nullptr;
};

TEST_F(EndToEndTest, ListingSearchAndUpdatesFromTheServer)
{
    ASSERT_TRUE(WaitForText("Find newspapers by place"));

    Menu(kMenuUSA);
    auto* combo = Find<wxChoice>(form, "Combo1");
    combo->SetSelection(45);
    wxCommandEvent choice(wxEVT_CHOICE, combo->GetId());
    choice.SetInt(45);
    combo->ProcessWindowEvent(choice);
    EXPECT_TRUE(WaitForText("Houston Chronicle")) << PageText();

    Find<wxTextCtrl>(form, "Text1")->SetValue("dallas");
    form->KSearch_Click();
    EXPECT_TRUE(WaitForText("The Dallas Morning News")) << PageText();

    Menu(kMenuUpdates);
    EXPECT_TRUE(WaitForText("current version")) << PageText();

    Menu(kMenuHelp);
    EXPECT_TRUE(WaitForText("Tavi's Newspapers Help"));
}

} // namespace
} // namespace tnews
