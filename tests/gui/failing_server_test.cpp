// The program against a directory server that fails: nothing listening, answering 500, closing
// the connection, or taking the request and never answering. The window keeps answering, a
// failed load shows the program's own page, and its link tries the same URL again.
#include "challenging_server.h"
#include "gui_support.h"

#include <gtest/gtest.h>
#include <wx/choice.h>

namespace tnews
{
namespace
{

constexpr char kNotAnswering[] = "<title>The directory server is not answering</title>";

class FailingServerTest : public testing::Test
{
protected:
    void Open(const std::string& host)
    {
        form = MakeEngineForm(host, TNEWS_PROGRAM_FOLDER);
        form->Show();
        view = Find<wxWebView>(form, "WebBrowser1");
        ASSERT_TRUE(WaitFor([&] { return !view->IsBusy(); }));
        Queue([this] { SendMenu(form, kMenuUSA); });
    }
    void TearDown() override
    {
        EndRun();
        HandleEvents(std::chrono::milliseconds(50));
    }
    // Menu commands and choices as the event loop delivers them, after what the engine queued.
    void Queue(std::function<void()> work) { form->CallAfter(std::move(work)); }
    void QueueChoice(int position)
    {
        Queue([this, position] { Choose(form, position); });
    }
    Form1* form = nullptr;
    wxWebView* view = nullptr;
};

TEST_F(FailingServerTest, ServerThatFailsOrStalls)
{
    ChallengingServer server;
    Open(server.Host());
    const struct
    {
        ChallengingServer::Mode mode;
        const char* page; // what the pane shows; nullptr: still waiting
    } failures[] = {
        {ChallengingServer::Mode::Status500, "<title>Failure</title>"}, // the server's own page
        {ChallengingServer::Mode::Close, kNotAnswering},
        {ChallengingServer::Mode::Stall, nullptr},
    };
    for (const auto& failure : failures)
    {
        SCOPED_TRACE(static_cast<int>(failure.mode));
        server.SetMode(failure.mode);
        const std::size_t before = server.Requests().size();
        QueueChoice(45);
        ASSERT_TRUE(WaitFor([&] { return server.Requests().size() > before; }));
        if (failure.page)
        {
            EXPECT_TRUE(WaitForPageSource(view, failure.page)) << PageSource(view);
        }
        // The window answers at once while the pane waits or fails.
        for (const auto& [menu, entries] : {std::pair{kMenuCanada, 13u}, {kMenuUSA, 53u}})
        {
            Queue([this, menu] { SendMenu(form, menu); });
            EXPECT_TRUE(WaitFor([&]
                                { return Find<wxChoice>(form, "Combo1")->GetCount() == entries; },
                                std::chrono::seconds(2)))
                << menu;
        }

        // Later the server answers again, and so does the next choice; a load that the newer
        // one cancelled has not failed.
        server.SetMode(ChallengingServer::Mode::Answer);
        QueueChoice(44);
        EXPECT_TRUE(WaitForPageSource(view, "<title>Listing</title>")) << PageSource(view);
        HandleEvents(std::chrono::milliseconds(300));
        EXPECT_NE(PageSource(view).find("<title>Listing</title>"), std::string::npos)
            << PageSource(view);
        EXPECT_EQ(server.Requests().back().line,
                  "GET /software/news/tnewsudb.php?region=usa&state=Tennessee HTTP/1.1");
    }
}

TEST_F(FailingServerTest, NoServerGetsAPageThatTriesTheSameUrlAgain)
{
    // A port with nothing behind it, which a server takes over later.
    const int port = ChallengingServer().Port();
    const std::string host = "127.0.0.1:" + std::to_string(port);
    Open(host);
    QueueChoice(4); // Arkansas
    ASSERT_TRUE(WaitForPageSource(view, kNotAnswering)) << PageSource(view);
    const std::string page = PageSource(view);
    for (const std::string& words : std::vector<std::string>{
             "Connection refused", "directory server at <strong>" + host + "</strong>",
             "scripts/run", "tnews-server",
             "href=\"http://tnewsuser:qsel47t2vyb8rdo@" + host +
                 "/software/news/tnewsudb.php?region=usa&amp;state=Arkansas\""})
        EXPECT_NE(page.find(words), std::string::npos) << words << "\n" << page;

    ChallengingServer server(port);
    view->RunScript("document.querySelector('a').click()");
    EXPECT_TRUE(WaitForPageSource(view, "<title>Listing</title>")) << PageSource(view);
    EXPECT_EQ(server.Requests().back().line,
              "GET /software/news/tnewsudb.php?region=usa&state=Arkansas HTTP/1.1");
}

} // namespace
} // namespace tnews
