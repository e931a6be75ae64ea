#include "gui_support.h"

#include "info/about_box.h"

#include <gtest/gtest.h>
#include <wx/dcclient.h>
#include <wx/display.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace tnews
{
namespace
{

int AboutBoxCount()
{
    int count = 0;
    for (wxWindow* window : wxTopLevelWindows)
        count += window->GetName() == "AboutTN" && !window->IsBeingDeleted();
    return count;
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
        auto* about = dynamic_cast<AboutTN*>(wxWindow::FindWindowByName("AboutTN"));
        EXPECT_TRUE(about && WaitFor([&] { return about->IsShownOnScreen(); }));
        HandleEvents();
        return about;
    }
    void ExpectCentred(AboutTN* about)
    {
        const wxRect screen = wxDisplay(wxDisplay::GetFromWindow(about)).GetClientArea();
        const wxPoint centred = screen.GetPosition() + (screen.GetSize() - about->GetSize()) / 2;
        EXPECT_NEAR(about->GetPosition().x, centred.x, 2);
        EXPECT_NEAR(about->GetPosition().y, centred.y, 2);
    }

    Form1* form = nullptr;
    RecordingPane* pane = nullptr;
};

TEST_F(AboutBoxTest, OneBoxWithoutOwnerWhoseTextsFit)
{
    AboutTN* about = OpenAbout();
    ASSERT_TRUE(about);
    EXPECT_FALSE(about->GetParent());
    ExpectCentred(about);
    EXPECT_EQ(about->FindWindow("appversion")->GetLabel(), "Version: 6.1.3");
    EXPECT_TRUE(static_cast<wxTextCtrl*>(about->FindWindow("Text1"))
                    ->GetValue()
                    .StartsWith("Tavi's Newspapers and all of its components"));
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

TEST_F(AboutBoxTest, OkHidesCloseUnloadsAndAboutBringsTheBoxBack)
{
    // Hidden with Ok, the same box comes back where the user left it.
    AboutTN* about = OpenAbout();
    about->Move(about->GetPosition() + wxPoint(25, -25));
    const wxPoint moved = about->GetPosition();
    about->Command1_Click();
    EXPECT_FALSE(about->IsShown());
    EXPECT_EQ(OpenAbout(), about);
    EXPECT_EQ(OpenAbout(), about); // a second About only brings it forward
    EXPECT_EQ(AboutBoxCount(), 1);
    EXPECT_EQ(about->GetPosition(), moved);

    // Closed, it is loaded again, centred.
    about->Close();
    ASSERT_TRUE(WaitFor([] { return AboutBoxCount() == 0; }));
    about = OpenAbout();
    ASSERT_TRUE(about);
    ExpectCentred(about);

    // Closing the main window ends the run, the box hidden or not.
    about->Hide();
    form->Close();
    EXPECT_TRUE(WaitFor([] { return wxTopLevelWindows.IsEmpty(); }));
}

} // namespace
} // namespace tnews
