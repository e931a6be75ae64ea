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
const std::string kStart = "/opt/tnews/start.html";
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
        wxCommandEvent event(wxEVT_CHOICE, combo->GetId());
        event.SetEventObject(combo);
        event.SetInt(position);
        combo->ProcessWindowEvent(event);
    }
    void Click(wxButton* button)
    {
        wxCommandEvent event(wxEVT_BUTTON, button->GetId());
        event.SetEventObject(button);
        button->ProcessWindowEvent(event);
    }
    // Real input from the display server, as a user's mouse and keyboard give it.
    void ClickInto(wxWindow* window)
    {
        wxUIActionSimulator input;
        input.MouseMove(window->GetScreenRect().GetLeftTop() + wxPoint(8, 6));
        input.MouseClick();
        HandleEvents();
    }
    void Type(const char* keys)
    {
        wxUIActionSimulator input;
        input.Text(keys);
        HandleEvents();
    }
    void PressEnter()
    {
        wxUIActionSimulator input;
        input.Char(WXK_RETURN);
        HandleEvents();
    }
    wxRect DipRect(wxWindow* window)
    {
        return wxRect(window->ToDIP(window->GetPosition()), window->ToDIP(window->GetSize()));
    }

    Form1* form = nullptr;
    RecordingPane* pane = nullptr;
    wxChoice* combo = nullptr;
    wxTextCtrl* text = nullptr;
    wxButton* search = nullptr;
};

TEST_F(Form1Test, StartsWithTheStartPageAndNoRegion)
{
    EXPECT_EQ(pane->calls, (Calls{"Top 335", "Navigate2 " + kStart, "Navigate " + kStart}));
    EXPECT_EQ(form->GetTitle(), "Tavi's Newspapers");
    ASSERT_EQ(combo->GetCount(), 1u);
    EXPECT_EQ(combo->GetString(0), "Select Region Above");
    EXPECT_EQ(combo->GetSelection(), 0);
    EXPECT_EQ(text->GetValue(), "Enter Keywords");
    EXPECT_FALSE(text->IsEnabled());
    EXPECT_FALSE(search->IsEnabled());
    EXPECT_EQ(form->RegionCode(), "");
}

TEST_F(Form1Test, ControlsHaveTheirDesignedPlacesAndCaptions)
{
    // Twips at 15 to the pixel: Combo1 0,0 2680x315; Text1 2720,10 2760x285; KSearch 5530,0
    // 1050x305; the roll buttons 300 square at 6600 and 6960; the pane 0,335 7335x2295.
    const std::pair<const char*, wxRect> layout[] = {
        {"Combo1", {0, 0, 179, 21}},    {"Text1", {181, 1, 184, 19}},
        {"KSearch", {369, 0, 70, 20}},  {"RollUp", {440, 0, 20, 20}},
        {"RollDown", {464, 0, 20, 20}}, {"WebBrowser1", {0, 22, 489, 153}},
    };
    for (const auto& [name, rect] : layout)
    {
        wxWindow* control = wxWindow::FindWindowByName(name, form);
        ASSERT_TRUE(control) << name;
        EXPECT_EQ(DipRect(control), rect) << name;
    }
    EXPECT_EQ(form->ToDIP(form->GetClientSize()), wxSize(488, 175));
    EXPECT_EQ(search->GetLabel(), "Search");
    EXPECT_EQ(Find<wxButton>(form, "RollUp")->GetLabel(), wxString(wxUniChar(0x21E7)));
    EXPECT_EQ(Find<wxButton>(form, "RollDown")->GetLabel(), wxString(wxUniChar(0x21E9)));

    // Tab order: the pane, Search, the keyword box, the drop-down, the roll buttons.
    wxArrayString order;
    for (wxWindow* child : form->FindWindowByName("Form1Client")->GetChildren())
        order.Add(child->GetName());
    EXPECT_EQ(wxJoin(order, ' '), "WebBrowser1 KSearch Text1 Combo1 RollUp RollDown");
}

TEST_F(Form1Test, FixedFrameOnTopWithMenusAndNoShortcuts)
{
    const long style = form->GetWindowStyleFlag();
    EXPECT_TRUE(style & wxSTAY_ON_TOP);
    EXPECT_TRUE(style & wxMINIMIZE_BOX);
    EXPECT_TRUE(style & wxCLOSE_BOX);
    EXPECT_FALSE(style & wxMAXIMIZE_BOX);
    EXPECT_FALSE(style & wxRESIZE_BORDER);
    EXPECT_TRUE(form->GetIcons().GetIconOfExactSize(16).IsOk());
    EXPECT_TRUE(form->GetIcons().GetIconOfExactSize(32).IsOk());

    wxMenuBar* bar = form->GetMenuBar();
    ASSERT_EQ(bar->GetMenuCount(), 3u);
    wxArrayString lines;
    for (size_t m = 0; m < bar->GetMenuCount(); ++m)
    {
        lines.Add(bar->GetMenuLabel(m));
        for (wxMenuItem* item : bar->GetMenu(m)->GetMenuItems())
        {
            lines.Add("  " + (item->IsSeparator() ? wxString("-") : item->GetItemLabel()));
            EXPECT_FALSE(item->GetAccel()) << item->GetItemLabel();
            EXPECT_TRUE(item->IsEnabled());
        }
    }
    EXPECT_EQ(wxJoin(lines, '|'), "&File|  E&xit|&Region|  &Canadian Newspapers|"
                                  "  &USA Newspapers|  &International Newspapers|&Help|  &Help|"
                                  "  -|  &Updates|  &Tavi Orlund Website|  -|  &About");
}

TEST_F(Form1Test, SitsAtTheTopRightOfTheScreen)
{
    const wxRect screen = wxDisplay(wxDisplay::GetFromWindow(form)).GetGeometry();
    const wxRect outer = form->GetScreenRect();
    EXPECT_EQ(outer.y, screen.y);
    // 950 twips between the window's right edge and the screen's.
    EXPECT_EQ(form->ToDIP(screen.GetRight() - outer.GetRight()), 63);
    // The outer frame adds the window manager's frame and the menu bar to the client area.
    EXPECT_GT(outer.height, form->GetClientSize().y + form->GetMenuBar()->GetSize().y);
}

TEST_F(Form1Test, RollsUpToTheTopRowAndDownToTheWholePane)
{
    const wxRect before = form->GetScreenRect();
    const wxWindow* paneWindow = wxWindow::FindWindowByName("WebBrowser1", form);
    const int menuAndFrame = before.height - form->GetClientSize().y;
    for (int i = 0; i < 2; ++i)
    {
        form->RollUp_Click();
        ASSERT_TRUE(WaitFor([&] { return form->ToDIP(form->GetClientSize().y) == 21; }));
    }
    wxRect rolled = form->GetScreenRect();
    EXPECT_EQ(rolled.GetTopLeft(), before.GetTopLeft());
    EXPECT_EQ(rolled.width, before.width);
    EXPECT_EQ(rolled.height, menuAndFrame + form->GetClientSize().y);
    // Only the top row is left in view; the pane lies below the bottom edge.
    EXPECT_GE(form->GetClientSize().y, combo->GetRect().GetBottom() + 1);
    EXPECT_GE(paneWindow->GetPosition().y, form->GetClientSize().y);

    for (int i = 0; i < 2; ++i)
    {
        form->RollDown_Click();
        ASSERT_TRUE(WaitFor([&] { return form->ToDIP(form->GetClientSize().y) == 175; }));
    }
    EXPECT_EQ(form->GetScreenRect(), before);
    EXPECT_EQ(combo->GetCount(), 1u);
    EXPECT_EQ(text->GetValue(), "Enter Keywords");
    EXPECT_EQ(pane->calls.size(), 3u); // nothing navigated
}

TEST_F(Form1Test, RegionMenuFillsTheDropDownAndEnablesSearch)
{
    pane->calls.clear();
    SendMenu(form, kMenuCanada);
    EXPECT_EQ(combo->GetCount(), 13u);
    EXPECT_EQ(combo->GetSelection(), 0);
    EXPECT_EQ(combo->GetString(8), "Prince Edward Island");
    EXPECT_TRUE(text->IsEnabled());
    EXPECT_TRUE(search->IsEnabled());
    EXPECT_EQ(form->RegionCode(), "c");

    Choose(2);
    SendMenu(form, kMenuInternationalNewspapers);
    EXPECT_EQ(combo->GetCount(), 165u);
    EXPECT_EQ(combo->GetString(126), wxString::FromUTF8("S\xC3\xA9n\xC3\xA9gal"));
    Choose(164);
    SendMenu(form, kMenuUSA);
    Choose(45);
    Choose(0);
    EXPECT_EQ(
        pane->calls,
        (Calls{"Navigate " + kStart, kBase + "tnewscdb.php?region=canada&province=British Columbia",
               "Navigate " + kStart, kBase + "tnewsidb.php?region=international&country=Zimbabwe",
               "Navigate " + kStart, kBase + "tnewsudb.php?region=usa&state=Texas",
               "Navigate " + kStart}));
}

TEST_F(Form1Test, KeywordBoxSearchesWithEnterAndTheButton)
{
    SendMenu(form, kMenuUSA);
    pane->calls.clear();

    ClickInto(text); // clears the start text
    EXPECT_EQ(text->GetValue(), "");
    Type("fish&chips");
    PressEnter();
    EXPECT_EQ(text->GetValue(), "fish&chips");
    ClickInto(text); // to move the caret: the keywords stay
    EXPECT_EQ(text->GetValue(), "fish&chips");
    Click(search);
    EXPECT_EQ(pane->calls, Calls(2, kBase + "tnewsudb.php?region=usa&skwords=fish%26chips"));

    // The same text goes to the region chosen next.
    SendMenu(form, kMenuCanada);
    pane->calls.clear();
    Click(search);
    EXPECT_EQ(pane->calls, Calls{kBase + "tnewscdb.php?region=canada&skwords=fish%26chips"});
}

TEST_F(Form1Test, HelpMenuUsesThePane)
{
    SendMenu(form, kMenuUSA);
    pane->calls.clear();
    SendMenu(form, kMenuHelp);
    SendMenu(form, kMenuUpdates);
    SendMenu(form, kMenuTaviOrlund);
    EXPECT_EQ(
        pane->calls,
        (Calls{"Navigate /opt/tnews/help.htm",
               "Navigate http://tnewsuser:hup39zk5wcaj7fen@h:1/updates/tnewss.php?version=6.1.3",
               "Navigate http://h:1/ null _blank"}));
    EXPECT_EQ(combo->GetCount(), 53u);
}

TEST_F(Form1Test, AccessKeysOpenTheMenusAndChooseItems)
{
    form->Raise();
    ASSERT_TRUE(WaitFor([&] { return form->IsActive(); }));
    wxUIActionSimulator input;
    input.Char('r', wxMOD_ALT);
    HandleEvents();
    input.Char('u');
    EXPECT_TRUE(WaitFor([&] { return combo->GetCount() == 53; }));

    input.Char('h', wxMOD_ALT);
    HandleEvents();
    input.Char('a');
    EXPECT_TRUE(WaitFor([] { return wxWindow::FindWindowByName("AboutTN") != nullptr; }));
}

TEST_F(Form1Test, ExitAndCloseEndTheRun)
{
    SendMenu(form, wxID_EXIT);
    EXPECT_TRUE(WaitFor([] { return !wxWindow::FindWindowByName("Form1"); }));

    RecordingPane* second = nullptr;
    Form1* other = MakeRecordedForm(second);
    other->Show();
    other->Close();
    EXPECT_TRUE(WaitFor([] { return !wxWindow::FindWindowByName("Form1"); }));
}

} // namespace
} // namespace tnews
