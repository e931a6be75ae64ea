// The program against a directory server that fails: nothing listening, answering 500, or
// taking the request and never answering. The window keeps answering, a
// failed load shows the program's own page, and its link tries the same URL again.
#include "challenging_server.h"
#include "gui_test_app.h"

#include <gtest/gtest.h>
#include <wx/choice.h>

namespace tnews
{
namespace
{

using namespace std::string_literals;
constexpr char kNotAnswering[] = "<title>The directory server is not answering</title>";
constexpr char kListing[] = "<title>Listing</title>";

class FailingServerTest : public EngineTest
{
protected:
    void OpenUsa(const std::string& host)
    {
        Open(host);
        Queue([this] { SendMenu(form, kMenuUSA); });
    }
    // Menu commands and choices as the event loop delivers them, after what the engine queued.
    void Queue(std::function<void()> work) { form->CallAfter(std::move(work)); }
    void QueueChoice(int position)
    {
        Queue([this, position] { Choose(form, position); });
    }
};

TEST_F(FailingServerTest, ServerThatFailsOrStalls)
{
    ChallengingServer server;
    OpenUsa(server.Host());
    const struct
    {
        ChallengingServer::Mode mode;
        const char* page; // what the pane shows; nullptr: still waiting
    } failures[] = {
        {ChallengingServer::Mode::Status500, "<title>Failure</title>"}, // the server's own page
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
        EXPECT_TRUE(WaitForPageSource(view, kListing)) << PageSource(view);
        HandleEvents(std::chrono::milliseconds(300));
        EXPECT_NE(PageSource(view).find(kListing), std::string::npos) << PageSource(view);
        EXPECT_EQ(server.Requests().back().line,
                  "GET /software/news/tnewsudb.php?region=usa&state=Tennessee HTTP/1.1");
    }
}

TEST_F(FailingServerTest, NoServerGetsAPageThatTriesTheSameUrlAgain)
{
    // A port with nothing behind it, which a server takes over later.
    const int port = ChallengingServer().Port();
    const std::string host = "127.0.0.1:" + std::to_string(port);
    OpenUsa(host);
    QueueChoice(4); // Arkansas
    ASSERT_TRUE(WaitForPageSource(view, kNotAnswering)) << PageSource(view);
    const std::string page = PageSource(view);
    for (const std::string& words :
         {"Connection refused"s, "at <strong>" + host + "</strong>",
          "href=\"http://tnewsuser:qsel47t2vyb8rdo@" + host +
              "/software/news/tnewsudb.php?region=usa&amp;state=Arkansas\""})
        EXPECT_NE(page.find(words), std::string::npos) << words << "\n" << page;

    ChallengingServer server(port);
    view->RunScript("document.querySelector('a').click()");
    EXPECT_TRUE(WaitForPageSource(view, kListing)) << PageSource(view);
    EXPECT_EQ(server.Requests().back().line,
              "GET /software/news/tnewsudb.php?region=usa&state=Arkansas HTTP/1.1");
}

} // namespace
} // namespace tnews
