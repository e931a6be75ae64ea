// The main window on the platform's real web engine, against a loopback server that demands
// Basic authentication, as the directory server does.
#include "challenging_server.h"
#include "gui_support.h"

#include "browser/error_pages.h"
#include "browser/utf8.h"

#include <gtest/gtest.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/log.h>
#include <wx/modalhook.h>
#include <wx/textctrl.h>
#include <wx/webview.h>

#include <filesystem>
#include <fstream>
#include <optional>

namespace tnews
{
namespace
{

namespace fs = std::filesystem;

using Received = ChallengingServer::Received;

class WebViewTest : public testing::Test
{
protected:
    void SetUp() override
    {
        // A program folder whose name needs escaping in a URL in every way it can.
        folder = fs::temp_directory_path() / fs::u8path("tnews a#b%c S\xC3\xA9n\xC3\xA9gal");
        fs::create_directories(folder);
        std::ofstream(folder / "start.html") << "<!DOCTYPE html><title>Start page</title><p>start";

        form = MakeEngineForm(server.Host(), folder.string(), // UTF-8 bytes here
                              [this](const std::string& url)
                              {
                                  launched.push_back(url);
                                  return browserStarts;
                              });
        form->Show();
        view = Find<wxWebView>(form, "WebBrowser1");
        ASSERT_TRUE(view);
    }
    void TearDown() override
    {
        form->Destroy();
        HandleEvents(std::chrono::milliseconds(50));
        fs::remove_all(folder);
    }

    bool WaitForTitle(const char* title)
    {
        return WaitFor([&] { return !view->IsBusy() && view->GetCurrentTitle() == title; });
    }
    bool WaitForRequests(std::size_t count)
    {
        return WaitFor([&] { return server.ReceivedSoFar().size() >= count; });
    }

    ChallengingServer server;
    fs::path folder;
    Form1* form = nullptr;
    wxWebView* view = nullptr;
    std::vector<std::string> launched;
    bool browserStarts = true;
};

TEST_F(WebViewTest, ListingAndSearchReachTheServerWithCredentials)
{
    ASSERT_TRUE(WaitForTitle("Start page")) << ToUtf8(view->GetCurrentURL());

    SendMenu(form, kMenuUSA);
    auto* combo = Find<wxChoice>(form, "Combo1");
    combo->SetSelection(45);
    wxCommandEvent choice(wxEVT_CHOICE, combo->GetId());
    choice.SetInt(45);
    combo->ProcessWindowEvent(choice);
    ASSERT_TRUE(WaitForRequests(1));
    ASSERT_TRUE(WaitForTitle("Listing"));

    // What a user could type that a URL would otherwise bend: "&", "#", "+", "%", blanks at
    // both ends, letters beyond ASCII.
    const std::string typed = "  fish&chips C# a+b 100% S\xC3\xA9n\xC3\xA9gal  ";
    Find<wxTextCtrl>(form, "Text1")->SetValue(FromUtf8(typed));
    form->KSearch_Click();
    ASSERT_TRUE(WaitForRequests(2));

    const std::vector<Received> received = server.ReceivedSoFar();
    const std::string credentials = "Basic dG5ld3N1c2VyOnFzZWw0N3QydnliOHJkbw=="; // listing
    EXPECT_EQ(received[0].path, "/software/news/tnewsudb.php");
    EXPECT_EQ(received[0].params,
              (std::multimap<std::string, std::string>{{"region", "usa"}, {"state", "Texas"}}));
    EXPECT_EQ(received[0].authorization, credentials);
    EXPECT_EQ(received[1].path, "/software/news/tnewsudb.php");
    EXPECT_EQ(received[1].params,
              (std::multimap<std::string, std::string>{{"region", "usa"}, {"skwords", typed}}));
    EXPECT_EQ(received[1].authorization, credentials);
}

TEST_F(WebViewTest, PagesElsewhereOpenInTheDefaultBrowser)
{
    server.SetPage("<!DOCTYPE html><title>Links</title>"
                   "<a id=away href='http://example.invalid/paper'>away</a>"
                   "<a id=blank target=_blank href='http://example.invalid/new'>new</a>"
                   "<a id=home href='/software/news/other'>home</a>");
    form->Updates_Click();
    ASSERT_TRUE(WaitForTitle("Links"));

    view->RunScript("document.getElementById('away').click()");
    view->RunScript("document.getElementById('blank').click()");
    ASSERT_TRUE(WaitFor([&] { return launched.size() >= 2; }));
    EXPECT_EQ(launched, (std::vector<std::string>{"http://example.invalid/paper",
                                                  "http://example.invalid/new"}));
    EXPECT_EQ(view->GetCurrentTitle(), "Links"); // the pane kept its page

    // A link within the directory server stays in the pane.
    server.SetPage("<!DOCTYPE html><title>Other</title>");
    view->RunScript("document.getElementById('home').click()");
    EXPECT_TRUE(WaitForTitle("Other"));
    EXPECT_EQ(launched.size(), 2u);

    form->TaviOrlund_Click();
    EXPECT_EQ(launched.back(), "http://" + server.Host() + "/");
    EXPECT_EQ(view->GetCurrentTitle(), "Other");
}

// Records what wx would show as messages, and every dialog that would wait for a click.
class MessageRecorder : public wxLog, public wxModalDialogHook
{
public:
    MessageRecorder() : m_previous(wxLog::SetActiveTarget(this)) { Register(); }
    ~MessageRecorder() override
    {
        Unregister();
        wxLog::SetActiveTarget(m_previous);
    }
    std::vector<std::string> messages;

protected:
    void DoLogTextAtLevel(wxLogLevel, const wxString& text) override
    {
        messages.push_back(ToUtf8(text));
    }
    int Enter(wxDialog* dialog) override
    {
        messages.push_back("dialog " + ToUtf8(dialog->GetTitle()));
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}

private:
    wxLog* m_previous;
};

TEST_F(WebViewTest, WithoutABrowserThePaneGivesTheAddressAndTheWayBack)
{
    const std::string paper = "http://example.invalid/paper?a=1&b=2";
    server.SetPage("<!DOCTYPE html><title>Listing</title><a href=\"" + EscapeHtml(paper) +
                   "\">paper</a>");
    form->Updates_Click();
    ASSERT_TRUE(WaitForTitle("Listing"));

    MessageRecorder recorder;
    browserStarts = false;
    view->RunScript("document.querySelector('a').click()");
    ASSERT_TRUE(WaitForTitle("No web browser is set up"));
    const std::string page = PageSource(view);
    EXPECT_NE(page.find("<p class=\"address\">" + EscapeHtml(paper) + "</p>"), std::string::npos)
        << page;
    // The way back is the page the program asked for, credentials and all.
    const std::string updates =
        "http://tnewsuser:hup39zk5wcaj7fen@" + server.Host() + "/updates/tnewss.php?version=6.1.3";
    EXPECT_NE(page.find("<a href=\"" + updates + "\">"), std::string::npos) << page;
    const std::size_t before = server.ReceivedSoFar().size();
    view->RunScript("document.querySelector('a').click()");
    EXPECT_TRUE(WaitForTitle("Listing"));
    EXPECT_EQ(server.ReceivedSoFar().size(), before + 1);

    // The system's launcher on a system without a browser says nothing of its own.
    const char* variables[] = {"PATH", "XDG_DATA_DIRS", "XDG_DATA_HOME", "BROWSER"};
    std::vector<std::optional<std::string>> saved;
    const fs::path empty = folder / "nothing";
    fs::create_directories(empty);
    for (const char* variable : variables)
    {
        const char* value = std::getenv(variable);
        saved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
        setenv(variable, empty.c_str(), 1);
    }
    EXPECT_FALSE(SystemDefaultBrowser()("http://example.invalid/"));
    for (std::size_t i = 0; i < saved.size(); ++i)
        saved[i] ? setenv(variables[i], saved[i]->c_str(), 1) : unsetenv(variables[i]);
    HandleEvents();
    EXPECT_EQ(recorder.messages, std::vector<std::string>{});
}

} // namespace
} // namespace tnews
