// The main window where the platform's web engine can't be started, as on a Windows without its
// browser component: the pane says so in its place and the rest of the window works.
#include "gui_support.h"

#include "browser/no_engine_pane.h"

#include <gtest/gtest.h>
#include <wx/choice.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace tnews
{
namespace
{

TEST(NoEngineTest, PaneSaysSoAndTheWindowStillWorks)
{
    std::vector<std::string> launched;
    Form1Options options;
    options.programFolder = "/opt/tnews";
    options.host = "h:1";
    options.makePane = [&launched](wxWindow* parent, const TwipsRect& bounds)
    {
        return std::make_unique<NoEnginePane>(parent, bounds,
                                              [&launched](const std::string& url)
                                              {
                                                  launched.push_back(url);
                                                  return true;
                                              });
    };
    auto* form = new Form1(std::move(options));
    form->Show();
    ASSERT_TRUE(WaitFor([&] { return form->IsShownOnScreen(); }));

    auto* pane = Find<wxWindow>(form, "WebBrowser1");
    ASSERT_TRUE(pane);
    // Where start-up puts the pane: below the drop-down (315 + 20 twips), across the window.
    EXPECT_EQ(pane->ToDIP(pane->GetPosition()), wxPoint(0, 22));
    EXPECT_EQ(pane->ToDIP(pane->GetSize()), wxSize(489, 153));
    ASSERT_EQ(pane->GetChildren().size(), 1u);
    auto* message = dynamic_cast<wxStaticText*>(pane->GetChildren().front());
    ASSERT_TRUE(message);
    EXPECT_EQ(ToUtf8(message->GetLabel()).rfind("Pages can't be shown here", 0), 0u);
    EXPECT_TRUE(wxRect(pane->GetClientSize()).Contains(message->GetRect())) << "cut off";

    SendMenu(form, kMenuHelp);
    SendMenu(form, kMenuUSA);
    EXPECT_EQ(Find<wxChoice>(form, "Combo1")->GetCount(), 53u);
    EXPECT_TRUE(Find<wxTextCtrl>(form, "Text1")->IsEnabled());
    SendMenu(form, kMenuTaviOrlund);
    EXPECT_EQ(launched, std::vector<std::string>{"http://h:1/"});

    EndRun();
    HandleEvents(std::chrono::milliseconds(50));
}

} // namespace
} // namespace tnews
