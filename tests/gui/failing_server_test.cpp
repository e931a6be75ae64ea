// The program against a directory server that fails: unreachable, answering 500, closing the
// connection, or taking the request and never answering. The window keeps answering, the pane
// shows what the engine shows, and a later choice works.
#include "gui_support.h"
#include "raw_server.h"

#include "browser/utf8.h"

#include <gtest/gtest.h>
#include <wx/choice.h>
#include <wx/webview.h>

#include <optional>

namespace tnews
{
namespace
{

class FailingServerTest : public testing::Test
{
protected:
    void Open(const std::string& host)
    {
        form = MakeEngineForm(host, TNEWS_PROGRAM_FOLDER);
        form->Show();
        view = Find<wxWebView>(form, "WebBrowser1");
        view->Bind(wxEVT_WEBVIEW_ERROR,
                   [this](wxWebViewEvent& event)
                   {
                       errors.push_back(ToUtf8(event.GetURL()));
                       event.Skip();
                   });
        combo = Find<wxChoice>(form, "Combo1");
        ASSERT_TRUE(WaitFor([&] { return !view->IsBusy(); }));
    }
    void TearDown() override
    {
        if (form)
            form->Destroy();
        HandleEvents(std::chrono::milliseconds(50));
    }

    // A menu command and a choice as the event loop delivers them, after whatever the engine
    // has queued.
    void QueueMenu(int id)
    {
        form->CallAfter(
            [this, id]
            {
                wxCommandEvent menu(wxEVT_MENU, id);
                form->ProcessWindowEvent(menu);
            });
    }
    void QueueChoice(int position)
    {
        form->CallAfter(
            [this, position]
            {
                combo->SetSelection(position);
                wxCommandEvent choice(wxEVT_CHOICE, combo->GetId());
                choice.SetInt(position);
                combo->ProcessWindowEvent(choice);
            });
    }

    // The window answers at once while the pane waits or fails: a region change and a choice
    // go through the event loop and take effect.
    void ExpectTheWindowAnswers()
    {
        QueueMenu(kMenuCanada);
        EXPECT_TRUE(
            WaitFor([&] { return combo->GetCount() == 13; }, std::chrono::milliseconds(2000)));
        QueueMenu(kMenuUSA);
        EXPECT_TRUE(
            WaitFor([&] { return combo->GetCount() == 53; }, std::chrono::milliseconds(2000)));
    }

    Form1* form = nullptr;
    wxWebView* view = nullptr;
    wxChoice* combo = nullptr;
    std::vector<std::string> errors;
};

TEST_F(FailingServerTest, ServerThatFailsOrStalls)
{
    RawServer server;
    Open(server.Host());
    const struct
    {
        RawServer::Mode mode;
        const char* name;
    } failures[] = {
        {RawServer::Mode::Status500, "answers 500"},
        {RawServer::Mode::Close, "closes the connection"},
        {RawServer::Mode::Stall, "never answers"},
    };
    for (const auto& failure : failures)
    {
        SCOPED_TRACE(failure.name);
        server.SetMode(failure.mode);
        const std::size_t before = server.Requests().size();
        QueueMenu(kMenuUSA);
        QueueChoice(45);
        ASSERT_TRUE(WaitFor([&] { return server.Requests().size() > before; }));
        if (failure.mode == RawServer::Mode::Status500)
        {
            EXPECT_TRUE(WaitForPageSource(view, "<title>Failure</title>")); // the server's own page
        }
        if (failure.mode == RawServer::Mode::Close)
        {
            // The engine reports the failure and shows its own error page.
            EXPECT_TRUE(WaitFor([&] { return !errors.empty() && !PageSource(view).empty(); }));
        }
        ExpectTheWindowAnswers();

        // Later, the server answers again, and so does the next choice.
        server.SetMode(RawServer::Mode::Answer);
        QueueChoice(44);
        EXPECT_TRUE(WaitForPageSource(view, "<title>Answer</title>")) << PageSource(view);
        EXPECT_EQ(server.Requests().back(),
                  "GET /software/news/tnewsudb.php?region=usa&state=Tennessee HTTP/1.1");
    }
}

TEST_F(FailingServerTest, UnreachableServer)
{
    // A port with nothing behind it, which a server takes over later.
    int port = 0;
    {
        RawServer probe;
        port = std::stoi(probe.Host().substr(probe.Host().find(':') + 1));
    }
    Open("127.0.0.1:" + std::to_string(port));
    QueueMenu(kMenuUSA);
    QueueChoice(45);
    ASSERT_TRUE(WaitFor([&] { return !errors.empty(); }));
    EXPECT_TRUE(WaitForPageSource(view, "Could not connect"))
        << PageSource(view); // the engine's error page
    ExpectTheWindowAnswers();

    RawServer server(port);
    QueueChoice(44);
    EXPECT_TRUE(WaitForPageSource(view, "<title>Answer</title>")) << PageSource(view);
}

} // namespace
} // namespace tnews
