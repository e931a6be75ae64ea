// The main window on the platform's real web engine, against a loopback server that demands
// Basic credentials as the directory server does, driven as a user's mouse and keyboard do.
#include "challenging_server.h"
#include "gui_test_app.h"

#include "browser/error_pages.h"
#include "browser/no_engine_pane.h"
#include "directory/html.h"
#include "info/about_box.h"

#include <gtest/gtest.h>
#include <wx/dcclient.h>
#include <wx/display.h>
#include <wx/log.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <filesystem>
#include <fstream>

namespace tnews
{
namespace
{

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
constexpr char kListing[] = "GET /software/news/tnewsudb.php?region=usa&";
constexpr char kListingCredentials[] = "Basic dG5ld3N1c2VyOnFzZWw0N3QydnliOHJkbw==";

class WindowTest : public EngineTest
{
protected:
    void SetUp() override
    {
        // A program folder whose name needs escaping in a URL in every way it can.
        fs::create_directories(folder);
        std::ofstream(folder / "start.html") << "<!DOCTYPE html><p>Find newspapers by place";
        Open(server.Host(), folder.string(), // UTF-8 bytes here
             [this](const std::string& url)
             {
                 launched.push_back(url);
                 return browserStarts;
             });
    }
    void TearDown() override
    {
        EngineTest::TearDown();
        fs::remove_all(folder);
    }
    bool WaitForTitle(const char* title)
    {
        return WaitFor([&] { return !view->IsBusy() && view->GetCurrentTitle() == title; });
    }
    void Click(const char* selector)
    {
        view->RunScript("document.querySelector(\"" + wxString(selector) + "\").click()");
    }
    // The request lines that came with credentials, which are the listing's.
    Strings Answered()
    {
        Strings lines;
        for (const auto& request : server.Requests())
            if (!request.authorization.empty())
            {
                EXPECT_EQ(request.authorization, kListingCredentials) << request.line;
                lines.push_back(request.line);
            }
        return lines;
    }
    ChallengingServer server;
    const fs::path folder =
        fs::temp_directory_path() / fs::u8path("tnews a#b%c S\xC3\xA9n\xC3\xA9gal");
    Strings launched;
    bool browserStarts = true;
};

TEST_F(WindowTest, TypedWordsReachTheServerEncodedWithTheCredentials)
{
    SendMenu(form, kMenuUSA);
    // Real input from the display server, as a user's mouse and keyboard give it.
    wxUIActionSimulator input;
    auto* text = Find<wxTextCtrl>(form, "Text1");
    input.MouseMove(text->GetScreenRect().GetLeftTop() + wxPoint(8, 6));
    input.MouseClick(); // clears the start text
    HandleEvents();
    input.Text("fish&chips");
    input.Char(WXK_RETURN);
    ASSERT_TRUE(WaitForTitle("Listing"));
    // What a user could type that a URL would otherwise bend: "&", "#", "+", "%", blanks at
    // both ends, letters beyond ASCII.
    text->SetValue(FromUtf8("  fish&chips C# a+b 100% S\xC3\xA9n\xC3\xA9gal  "));
    form->KSearch_Click();
    ASSERT_TRUE(WaitFor([&] { return Answered().size() >= 2; }));
    EXPECT_EQ(Answered(), (Strings{std::string(kListing) + "skwords=fish%26chips HTTP/1.1",
                                   std::string(kListing) +
                                       "skwords=%20%20fish%26chips%20C%23%20a%2Bb%20100%25%20"
                                       "S%C3%A9n%C3%A9gal%20%20 HTTP/1.1"}));
    // Ctrl+Q, as the help says, ends the run like File, Exit.
    form->Raise();
    ASSERT_TRUE(WaitFor([&] { return form->IsActive(); }));
    input.Char('q', wxMOD_CONTROL);
    EXPECT_TRUE(WaitFor([] { return wxTopLevelWindows.IsEmpty(); }));
}

TEST_F(WindowTest, RollsUpToTheTopRowAndDownToTheWholePane)
{
    const wxRect before = form->GetScreenRect();
    form->RollUp_Click();
    form->RollUp_Click();
    ASSERT_TRUE(WaitFor([&] { return form->GetClientSize().y < view->GetPosition().y; }));
    EXPECT_GT(form->GetClientSize().y, Find<wxWindow>(form, "Combo1")->GetRect().GetBottom());
    EXPECT_EQ(form->GetScreenRect().GetTopLeft(), before.GetTopLeft());
    form->RollDown_Click();
    form->RollDown_Click();
    EXPECT_TRUE(WaitFor([&] { return form->GetScreenRect() == before; }));
}

// Records every message wx would show, as a message box or otherwise.
struct MessageRecorder : wxLog
{
    wxLog* previous = wxLog::SetActiveTarget(this);
    wxString messages;
    ~MessageRecorder() override { wxLog::SetActiveTarget(previous); }
    void DoLogTextAtLevel(wxLogLevel, const wxString& text) override { messages += text; }
};

TEST_F(WindowTest, PagesElsewhereGoToTheDefaultBrowserOrSayWhereTheyAre)
{
    const std::string paper = "http://example.invalid/paper?a=1&b=2";
    server.SetPage("<!DOCTYPE html><title>Links</title>"
                   "<a id=away href='http://example.invalid/paper?a=1&b=2'>away</a>"
                   "<a id=blank target=_blank href='http://example.invalid/new'>new</a>");
    form->Updates_Click();
    ASSERT_TRUE(WaitForTitle("Links"));
    Click("#away");
    Click("#blank");
    ASSERT_TRUE(WaitFor([&] { return launched.size() >= 2; }));
    EXPECT_EQ(launched, (Strings{paper, "http://example.invalid/new"}));
    EXPECT_EQ(view->GetCurrentTitle(), "Links"); // the pane kept its page

    // Without a browser the pane gives the address, and the way back (a link within the directory
    // server, so it stays in the pane) is the page the program asked for, credentials and all.
    MessageRecorder recorder;
    browserStarts = false;
    Click("#away");
    ASSERT_TRUE(WaitForTitle("No web browser is set up"));
    const std::string page = PageSource(view);
    const std::string updates = "/updates/tnewss.php?version=6.1.3";
    for (const std::string& words :
         {"<p class=\"address\">" + EscapeHtml(paper) + "</p>",
          "<a href=\"http://tnewsuser:hup39zk5wcaj7fen@" + server.Host() + updates})
        EXPECT_NE(page.find(words), std::string::npos) << words << "\n" << page;
    Click("a");
    ASSERT_TRUE(WaitForTitle("Links"));
    EXPECT_EQ(server.Requests().back().line, "GET " + updates + " HTTP/1.1");

    // The system's own launcher, on a system without a browser, says nothing of its own.
    const std::string path = std::getenv("PATH");
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    const std::string data = dataDirs ? dataDirs : "";
    setenv("PATH", folder.c_str(), 1);
    setenv("XDG_DATA_DIRS", folder.c_str(), 1);
    EXPECT_FALSE(SystemDefaultBrowser()("http://example.invalid/"));
    setenv("PATH", path.c_str(), 1);
    dataDirs ? setenv("XDG_DATA_DIRS", data.c_str(), 1) : unsetenv("XDG_DATA_DIRS");
    HandleEvents();
    EXPECT_EQ(ToUtf8(recorder.messages), "");
}

TEST_F(WindowTest, AboutBoxIsOneUnownedCentredBoxWhoseTextsFit)
{
    const auto open = [&]
    {
        form->About_Click();
        auto* about = dynamic_cast<AboutTN*>(wxWindow::FindWindowByName("AboutTN"));
        EXPECT_TRUE(about && WaitFor([&] { return about->IsShownOnScreen(); }));
        HandleEvents();
        return about;
    };
    AboutTN* about = open();
    ASSERT_TRUE(about);
    EXPECT_FALSE(about->GetParent());
    const wxRect screen = wxDisplay(wxDisplay::GetFromWindow(about)).GetClientArea();
    const wxPoint offset =
        about->GetPosition() - screen.GetPosition() - (screen.GetSize() - about->GetSize()) / 2;
    EXPECT_LE(std::abs(offset.x) + std::abs(offset.y), 4) << "not centred";
    for (const char* name : {"Title", "appversion", "appos", "Label1"})
    {
        auto* label = static_cast<wxStaticText*>(about->FindWindow(name));
        wxClientDC dc(label);
        dc.SetFont(label->GetFont());
        const wxSize size = dc.GetMultiLineTextExtent(label->GetLabel());
        EXPECT_TRUE(size.x <= label->GetSize().x && size.y <= label->GetSize().y) << name;
    }

    // Hidden with Ok, the same box comes back where the user left it, and only once.
    about->Move(about->GetPosition() + wxPoint(25, -25));
    const wxPoint moved = about->GetPosition();
    about->Command1_Click();
    EXPECT_FALSE(about->IsShown());
    EXPECT_EQ(open(), about);
    EXPECT_EQ(open(), about);
    EXPECT_EQ(about->GetPosition(), moved);
    // Closing the main window ends the run, the box hidden or not.
    about->Hide();
    form->Close();
    EXPECT_TRUE(WaitFor([] { return wxTopLevelWindows.IsEmpty(); }));
}

// Where the platform's web engine can't be started, the pane says so in its place and the rest
// of the window works.
using NoEngineTest = EngineTest;
TEST_F(NoEngineTest, PaneSaysSoAndTheWindowStillWorks)
{
    Strings launched;
    Form1Options options{.programFolder = "/opt/tnews",
                         .host = "h:1",
                         .makePane = [&launched](wxWindow* parent, const TwipsRect& bounds)
                         {
                             return std::make_unique<NoEnginePane>(
                                 parent, bounds,
                                 [&launched](const std::string& url)
                                 { return launched.push_back(url), true; });
                         }};
    form = new Form1(std::move(options));
    form->Show();
    ASSERT_TRUE(WaitFor([&] { return form->IsShownOnScreen(); }));
    auto* pane = Find<wxWindow>(form, "WebBrowser1");
    auto* message = dynamic_cast<wxStaticText*>(pane->GetChildren().front());
    ASSERT_TRUE(message);
    EXPECT_EQ(ToUtf8(message->GetLabel()).rfind("Pages can't be shown here", 0), 0u);
    EXPECT_TRUE(wxRect(pane->GetClientSize()).Contains(message->GetRect())) << "cut off";
    SendMenu(form, kMenuHelp);
    SendMenu(form, kMenuUSA);
    EXPECT_EQ(Find<wxChoice>(form, "Combo1")->GetCount(), 53u);
    SendMenu(form, kMenuTaviOrlund);
    EXPECT_EQ(launched, Strings{"http://h:1/"});
}

} // namespace
} // namespace tnews
