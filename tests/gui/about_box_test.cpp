#include "gui_support.h"

#include "info/about_box.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/display.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace tnews
{
namespace
{

AboutTN* TheAboutBox()
{
    return dynamic_cast<AboutTN*>(wxWindow::FindWindowByName("AboutTN"));
}

int AboutBoxCount()
{
    int count = 0;
    for (wxWindow* window : wxTopLevelWindows)
        count += window->GetName() == "AboutTN" && !window->IsBeingDeleted();
    return count;
}

wxPoint ScreenCentreFor(wxWindow* window)
{
    const wxRect screen = wxDisplay(wxDisplay::GetFromWindow(window)).GetClientArea();
    return screen.GetPosition() + (screen.GetSize() - window->GetSize()) / 2;
}

class AboutBoxTest : public testing::Test
{
protected:
    void SetUp() override
    {
        form = MakeRecordedForm(pane);
        form->Show();
        ASSERT_TRUE(WaitFor([&] { return form->IsShownOnScreen(); }));
    }
    void TearDown() override
    {
        EndRun();
        HandleEvents(std::chrono::milliseconds(100));
    }
    AboutTN* OpenAbout()
    {
        form->About_Click();
        AboutTN* about = TheAboutBox();
        EXPECT_TRUE(about && WaitFor([&] { return about->IsShownOnScreen(); }));
        HandleEvents();
        return about;
    }

    Form1* form = nullptr;
    RecordingPane* pane = nullptr;
};

TEST_F(AboutBoxTest, OneBoxCentredWithTheVersion)
{
    AboutTN* about = OpenAbout();
    ASSERT_TRUE(about);
    EXPECT_EQ(about->GetTitle(), "About Tavi's Newspapers");
    EXPECT_EQ(about->FindWindow("appversion")->GetLabel(), "Version: 6.1.3");
    EXPECT_EQ(about->FindWindow("appos")->GetLabel(), "Windows 9x/ME/NT4/2000");
    EXPECT_EQ(about->FindWindow("Command1")->GetLabel(), "&Ok");
    EXPECT_EQ(about->ToDIP(about->GetClientSize()), wxSize(356, 164));
    EXPECT_TRUE(about->HasFlag(wxFRAME_NO_TASKBAR));
    EXPECT_TRUE(about->HasFlag(wxFRAME_TOOL_WINDOW));
    EXPECT_FALSE(about->HasFlag(wxRESIZE_BORDER | wxMINIMIZE_BOX | wxMAXIMIZE_BOX));
    EXPECT_FALSE(about->GetParent());
    EXPECT_NEAR(about->GetPosition().x, ScreenCentreFor(about).x, 2);
    EXPECT_NEAR(about->GetPosition().y, ScreenCentreFor(about).y, 2);
    const wxString notice = static_cast<wxTextCtrl*>(about->FindWindow("Text1"))->GetValue();
    EXPECT_TRUE(notice.StartsWith("Tavi's Newspapers and all of its components"));

    // A second About brings the same box forward without loading it again: it stays where
    // the user moved it.
    about->Move(about->GetPosition() + wxPoint(-40, 30));
    const wxPoint moved = about->GetPosition();
    EXPECT_EQ(OpenAbout(), about);
    EXPECT_EQ(AboutBoxCount(), 1);
    EXPECT_EQ(about->GetPosition(), moved);
    EXPECT_TRUE(form->IsShown()); // the main window is untouched
}

TEST_F(AboutBoxTest, OkHidesAndAboutShowsTheSameBoxAgain)
{
    AboutTN* about = OpenAbout();
    about->Move(about->GetPosition() + wxPoint(25, -25));
    const wxPoint moved = about->GetPosition();
    auto* ok = static_cast<wxButton*>(about->FindWindow("Command1"));
    wxCommandEvent click(wxEVT_BUTTON, ok->GetId());
    click.SetEventObject(ok);
    ok->ProcessWindowEvent(click);
    EXPECT_FALSE(about->IsShown());

    EXPECT_EQ(OpenAbout(), about);
    EXPECT_EQ(about->GetPosition(), moved);
    EXPECT_EQ(about->FindWindow("appversion")->GetLabel(), "Version: 6.1.3");
}

TEST_F(AboutBoxTest, CloseUnloadsAndAboutLoadsItAgainCentred)
{
    AboutTN* about = OpenAbout();
    about->Move(about->GetPosition() + wxPoint(60, 60));
    about->Close();
    ASSERT_TRUE(WaitFor([] { return AboutBoxCount() == 0; }));

    about = OpenAbout();
    ASSERT_TRUE(about);
    EXPECT_NEAR(about->GetPosition().x, ScreenCentreFor(about).x, 2);
    EXPECT_NEAR(about->GetPosition().y, ScreenCentreFor(about).y, 2);
    EXPECT_EQ(about->FindWindow("appversion")->GetLabel(), "Version: 6.1.3");
}

TEST_F(AboutBoxTest, ClosingTheMainWindowEndsTheRunWithTheBoxHidden)
{
    AboutTN* about = OpenAbout();
    about->Hide();
    form->Close();
    EXPECT_TRUE(WaitFor([] { return wxTopLevelWindows.IsEmpty(); }));
}

TEST_F(AboutBoxTest, TextsFitTheirDesignedBoxes)
{
    AboutTN* about = OpenAbout();
    for (const char* name : {"Title", "appversion", "appos", "Label1"})
    {
        auto* label = static_cast<wxStaticText*>(about->FindWindow(name));
        wxClientDC dc(label);
        dc.SetFont(label->GetFont());
        wxCoord width = 0, height = 0;
        dc.GetMultiLineTextExtent(label->GetLabel(), &width, &height);
        EXPECT_LE(width, label->GetSize().x) << name;
        EXPECT_LE(height, label->GetSize().y) << name;
    }
}

} // namespace
} // namespace tnews
