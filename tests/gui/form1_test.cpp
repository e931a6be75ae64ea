#include "gui_support.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/display.h>
#include <wx/menu.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

namespace tnews
{
namespace
{

using Calls = std::vector<std::string>;
const std::string kStart = "Navigate /opt/tnews/start.html";
const std::string kBase = "Navigate http://tnewsuser:qsel47t2vyb8rdo@h:1/software/news/";

class Form1Test : public testing::Test
{
protected:
    void SetUp() override
    {
        form = MakeRecordedForm(pane);
        form->Show();
        ASSERT_TRUE(WaitFor([&] { return form->IsShownOnScreen(); }));
        HandleEvents(); // let the window manager frame it
        combo = Find<wxChoice>(form, "Combo1");
        text = Find<wxTextCtrl>(form, "Text1");
        search = Find<wxButton>(form, "KSearch");
        ASSERT_TRUE(combo && text && search);
    }
    void TearDown() override
    {
        EndRun(); // the main window and any About box
        HandleEvents(std::chrono::milliseconds(50));
    }

    void Choose(int position)
    {
        combo->SetSelection(position);
        form->Combo1_Click();
    }
    // Real input from the display server, as a user's mouse and keyboard give it.
    void Input(const std::function<void(wxUIActionSimulator&)>& act)
    {
        wxUIActionSimulator input;
        act(input);
        HandleEvents();
    }
    void ClickInto(wxWindow* window)
    {
        Input(
            [&](wxUIActionSimulator& input)
            {
                input.MouseMove(window->GetScreenRect().GetLeftTop() + wxPoint(8, 6));
                input.MouseClick();
            });
    }

    Form1* form = nullptr;
    RecordingPane* pane = nullptr;
    wxChoice* combo = nullptr;
    wxTextCtrl* text = nullptr;
    wxButton* search = nullptr;
};

TEST_F(Form1Test, StartsWithTheStartPageAndNoRegion)
{
    EXPECT_EQ(pane->calls, (Calls{"Top 335", "Navigate2 /opt/tnews/start.html", kStart}));
    EXPECT_EQ(form->GetTitle(), "Tavi's Newspapers");
    ASSERT_EQ(combo->GetCount(), 1u);
    EXPECT_EQ(combo->GetString(0), "Select Region Above");
    EXPECT_EQ(combo->GetSelection(), 0);
    EXPECT_EQ(text->GetValue(), "Enter Keywords");
    EXPECT_FALSE(text->IsEnabled());
    EXPECT_FALSE(search->IsEnabled());
}

TEST_F(Form1Test, ControlsMenusAndPlaceAsDesigned)
{
    // Twips at 15 to the pixel: Combo1 0,0 2680x315; Text1 2720,10 2760x285; KSearch 5530,0
    // 1050x305; the roll buttons 300 square at 6600 and 6960; the pane 0,335 7335x2295.
    const std::pair<const char*, wxRect> layout[] = {
        {"Combo1", {0, 0, 179, 21}},    {"Text1", {181, 1, 184, 19}},
        {"KSearch", {369, 0, 70, 20}},  {"RollUp", {440, 0, 20, 20}},
        {"RollDown", {464, 0, 20, 20}}, {"WebBrowser1", {0, 22, 489, 153}},
    };
    wxArrayString order;
    for (wxWindow* child : form->FindWindowByName("Form1Client")->GetChildren())
        order.Add(child->GetName());
    EXPECT_EQ(wxJoin(order, ' '), "WebBrowser1 KSearch Text1 Combo1 RollUp RollDown"); // tabs
    for (const auto& [name, rect] : layout)
    {
        wxWindow* control = wxWindow::FindWindowByName(name, form);
        ASSERT_TRUE(control) << name;
        EXPECT_EQ(
            wxRect(control->ToDIP(control->GetPosition()), control->ToDIP(control->GetSize())),
            rect)
            << name;
    }
    EXPECT_EQ(form->ToDIP(form->GetClientSize()), wxSize(488, 175));

    wxArrayString menus;
    for (size_t m = 0; m < form->GetMenuBar()->GetMenuCount(); ++m)
    {
        menus.Add(form->GetMenuBar()->GetMenuLabel(m));
        for (wxMenuItem* item : form->GetMenuBar()->GetMenu(m)->GetMenuItems())
            menus.Add(item->IsSeparator() ? wxString("-") : item->GetItemLabel());
    }
    EXPECT_EQ(wxJoin(menus, '|'), "&File|E&xit|&Region|&Canadian Newspapers|&USA Newspapers|"
                                  "&International Newspapers|&Help|&Help|-|&Updates|"
                                  "&Tavi Orlund Website|-|&About");

    // At the top of the screen, 950 twips from its right edge, frame and all.
    const wxRect screen = wxDisplay(wxDisplay::GetFromWindow(form)).GetGeometry();
    const wxRect outer = form->GetScreenRect();
    EXPECT_EQ(outer.y, screen.y);
    EXPECT_EQ(form->ToDIP(screen.GetRight() - outer.GetRight()), 63);
}

TEST_F(Form1Test, RollsUpToTheTopRowAndDownToTheWholePane)
{
    const wxRect before = form->GetScreenRect();
    for (int i = 0; i < 2; ++i)
        form->RollUp_Click();
    ASSERT_TRUE(WaitFor([&] { return form->ToDIP(form->GetClientSize().y) == 21; }));
    const wxRect rolled = form->GetScreenRect();
    EXPECT_EQ(rolled.GetTopLeft(), before.GetTopLeft());
    EXPECT_EQ(rolled.width, before.width);
    EXPECT_GE(wxWindow::FindWindowByName("WebBrowser1", form)->GetPosition().y,
              form->GetClientSize().y); // the pane lies below the bottom edge

    for (int i = 0; i < 2; ++i)
        form->RollDown_Click();
    ASSERT_TRUE(WaitFor([&] { return form->ToDIP(form->GetClientSize().y) == 175; }));
    EXPECT_EQ(form->GetScreenRect(), before);
    EXPECT_EQ(pane->calls.size(), 3u); // nothing navigated
}

TEST_F(Form1Test, RegionMenuFillsTheDropDownAndEnablesSearch)
{
    pane->calls.clear();
    SendMenu(form, kMenuCanada);
    EXPECT_EQ(combo->GetCount(), 13u);
    EXPECT_EQ(combo->GetSelection(), 0);
    EXPECT_TRUE(text->IsEnabled());
    EXPECT_TRUE(search->IsEnabled());
    Choose(2);
    SendMenu(form, kMenuInternationalNewspapers);
    EXPECT_EQ(combo->GetString(126), wxString::FromUTF8("S\xC3\xA9n\xC3\xA9gal"));
    Choose(164);
    SendMenu(form, kMenuUSA);
    Choose(45);
    Choose(0);
    SendMenu(form, kMenuHelp);
    SendMenu(form, kMenuUpdates);
    SendMenu(form, kMenuTaviOrlund);
    EXPECT_EQ(
        pane->calls,
        (Calls{kStart, kBase + "tnewscdb.php?region=canada&province=British Columbia", kStart,
               kBase + "tnewsidb.php?region=international&country=Zimbabwe", kStart,
               kBase + "tnewsudb.php?region=usa&state=Texas", kStart,
               "Navigate /opt/tnews/help.htm",
               "Navigate http://tnewsuser:hup39zk5wcaj7fen@h:1/updates/tnewss.php?version=6.1.3",
               "Navigate http://h:1/ null _blank"}));
    EXPECT_EQ(combo->GetCount(), 53u);
}

TEST_F(Form1Test, KeywordBoxSearchesWithEnterAndTheButton)
{
    SendMenu(form, kMenuUSA);
    pane->calls.clear();
    ClickInto(text); // clears the start text
    EXPECT_EQ(text->GetValue(), "");
    Input([](wxUIActionSimulator& input) { input.Text("fish&chips"); });
    Input([](wxUIActionSimulator& input) { input.Char(WXK_RETURN); });
    ClickInto(text); // to move the caret: the keywords stay
    EXPECT_EQ(text->GetValue(), "fish&chips");
    form->KSearch_Click();
    EXPECT_EQ(pane->calls, Calls(2, kBase + "tnewsudb.php?region=usa&skwords=fish%26chips"));
}

TEST_F(Form1Test, KeysOpenTheMenusChooseItemsAndEndTheRun)
{
    form->Raise();
    ASSERT_TRUE(WaitFor([&] { return form->IsActive(); }));
    Input([](wxUIActionSimulator& input) { input.Char('r', wxMOD_ALT); });
    Input([](wxUIActionSimulator& input) { input.Char('u'); });
    EXPECT_TRUE(WaitFor([&] { return combo->GetCount() == 53; }));
    Input([](wxUIActionSimulator& input) { input.Char('h', wxMOD_ALT); });
    Input([](wxUIActionSimulator& input) { input.Char('a'); });
    EXPECT_TRUE(WaitFor([] { return wxWindow::FindWindowByName("AboutTN") != nullptr; }));

    // Ctrl+Q, as the help says, and the window's close button end the run like File, Exit.
    form->Raise();
    ASSERT_TRUE(WaitFor([&] { return form->IsActive(); }));
    Input([](wxUIActionSimulator& input) { input.Char('q', wxMOD_CONTROL); });
    EXPECT_TRUE(WaitFor([] { return wxTopLevelWindows.IsEmpty(); }));
    RecordingPane* second = nullptr;
    MakeRecordedForm(second)->Close();
    EXPECT_TRUE(WaitFor([] { return wxTopLevelWindows.IsEmpty(); }));
}

} // namespace
} // namespace tnews
