// The real program's window on the real web engine against the real directory server, serving
// the catalogue the build writes: each road of the menus and the top row, a large place's
// listing whose index jumps within the page, and a search that pages on with the credentials.
#include "gui_support.h"

#include "directory/catalogue.h"
#include "test_server.h"

#include <gtest/gtest.h>
#include <wx/textctrl.h>

#include <webkit2/webkit2.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace tnews
{
namespace
{

using server::testing::RealCataloguePath;
using server::testing::TestServer;
using server::testing::TestServerOptions;

class EndToEndTest : public testing::Test
{
protected:
    void SetUp() override
    {
        form = MakeEngineForm(server.Host(), TNEWS_PROGRAM_FOLDER,
                              [this](const std::string& url)
                              {
                                  launched.push_back(url);
                                  return true;
                              });
        form->Show();
        view = Find<wxWebView>(form, "WebBrowser1");
        ASSERT_TRUE(view);
        ASSERT_TRUE(WaitForPageSource(view, "Find newspapers by place"));
    }
    void TearDown() override
    {
        EndRun(); // the main window and any About box
        HandleEvents(std::chrono::milliseconds(50));
    }

    void ChoosePlace(int menu, const char* code, std::string_view place)
    {
        SendMenu(form, menu);
        const auto& places = FindRegion(code)->places;
        Choose(form, static_cast<int>(std::ranges::find(places, place) - places.begin()) + 1);
    }

    // What `script` gives as a string, run by the engine on the page's behalf. The pages allow
    // no script of their own and no eval (which wxWebView's RunScript wraps results in), so
    // this asks the engine directly.
    std::string Evaluate(const std::string& script)
    {
        // Shared with the engine's answer, which may come after the wait has given up.
        auto outcome = std::make_shared<std::optional<std::string>>();
        webkit_web_view_evaluate_javascript(
            static_cast<WebKitWebView*>(view->GetNativeBackend()), script.c_str(), -1, nullptr,
            nullptr, nullptr,
            [](GObject* object, GAsyncResult* result, gpointer data)
            {
                const std::unique_ptr<std::shared_ptr<std::optional<std::string>>> out(
                    static_cast<std::shared_ptr<std::optional<std::string>>*>(data));
                GError* error = nullptr;
                JSCValue* value = webkit_web_view_evaluate_javascript_finish(
                    WEBKIT_WEB_VIEW(object), result, &error);
                gchar* text = value ? jsc_value_to_string(value) : nullptr;
                **out = value ? std::string(text) : std::string("(failed: ") + error->message + ")";
                g_free(text);
                value ? g_object_unref(value) : g_error_free(error);
            },
            new std::shared_ptr<std::optional<std::string>>(outcome));
        return WaitFor([&] { return outcome->has_value(); }) ? **outcome : "(no answer)";
    }

    TestServer server{TestServerOptions{.catalogue = RealCataloguePath()}};
    Form1* form = nullptr;
    wxWebView* view = nullptr;
    std::vector<std::string> launched;
};

TEST_F(EndToEndTest, EveryRoadReachesItsPage)
{
    ChoosePlace(kMenuUSA, "u", "Texas");
    EXPECT_TRUE(WaitForPageSource(view, "Houston Chronicle")) << PageSource(view);
    Find<wxTextCtrl>(form, "Text1")->SetValue("dallas");
    form->KSearch_Click();
    EXPECT_TRUE(WaitForPageSource(view, "The Dallas Morning News")) << PageSource(view);
    SendMenu(form, kMenuUpdates);
    EXPECT_TRUE(WaitForPageSource(view, "current version")) << PageSource(view);
    SendMenu(form, kMenuHelp);
    EXPECT_TRUE(WaitForPageSource(view, "Tavi's Newspapers Help"));
    SendMenu(form, kMenuTaviOrlund);
    EXPECT_EQ(launched, std::vector<std::string>{"http://" + server.Host() + "/"});
    form->About_Click();
    EXPECT_TRUE(WaitFor([] { return wxWindow::FindWindowByName("AboutTN") != nullptr; }));
}

TEST_F(EndToEndTest, LargeListingIndexJumpsWithinThePage)
{
    ChoosePlace(kMenuUSA, "u", "California");
    ASSERT_TRUE(WaitForPageSource(view, "<h1 id=\"top\">California newspapers"))
        << PageSource(view);
    EXPECT_EQ(Evaluate("String(window.scrollY)"), "0");

    // The index entry for S, as a user would click it.
    const std::string target = Evaluate(
        "(() => { const link = [...document.querySelectorAll('.index a')]"
        ".find(a => a.textContent == 'S'); link.click(); return link.getAttribute('href'); })()");
    ASSERT_EQ(target.rfind("#g", 0), 0u) << target;
    EXPECT_TRUE(WaitFor([&] { return ToUtf8(view->GetCurrentURL()).ends_with(target); }))
        << ToUtf8(view->GetCurrentURL());
    // The page scrolled so that the letter's heading is at the top of the pane.
    EXPECT_GT(std::stoi(Evaluate("String(Math.round(window.scrollY))")), 0);
    EXPECT_EQ(Evaluate("String(Math.round(document.getElementById('" + target.substr(1) +
                       "').getBoundingClientRect().top))"),
              "0");
    EXPECT_EQ(Evaluate("document.getElementById('" + target.substr(1) + "').firstChild.data"),
              "S ");

    // Its link back brings the index into the pane again.
    Evaluate("document.querySelector('#" + target.substr(1) + " a.top').click()");
    EXPECT_TRUE(WaitFor([&] { return ToUtf8(view->GetCurrentURL()).ends_with("#top"); }));
    EXPECT_EQ(Evaluate("String(document.getElementById('top').getBoundingClientRect().top)"), "0");
}

TEST_F(EndToEndTest, SearchPagesToItsSecondPageWithTheCredentials)
{
    SendMenu(form, kMenuUSA);
    Find<wxTextCtrl>(form, "Text1")->SetValue("news");
    form->KSearch_Click();
    ASSERT_TRUE(WaitForPageSource(view, "All USA newspapers matching")) << PageSource(view);
    const std::string first = PageSource(view);
    EXPECT_NE(first.find("in the whole region"), std::string::npos) << first;
    EXPECT_NE(first.find("1\u201350 shown"), std::string::npos) << first;

    Evaluate("document.querySelector('a[rel=next]').click()");
    ASSERT_TRUE(WaitForPageSource(view, "51\u2013100 shown")) << PageSource(view);
    EXPECT_NE(PageSource(view).find("page 2 of"), std::string::npos);
    const std::string url = ToUtf8(view->GetCurrentURL());
    EXPECT_NE(url.find("/software/news/tnewsudb.php?region=usa&skwords=news&page=2"),
              std::string::npos)
        << url;
    // The server answered the second page to the program's credentials.
    const std::vector<std::string> log = server.LogLines();
    EXPECT_TRUE(std::ranges::any_of(log,
                                    [](const std::string& line)
                                    {
                                        return line.find("tnewsuser") != std::string::npos &&
                                               line.find("&page=2 HTTP/1.1\" 200 ") !=
                                                   std::string::npos;
                                    }))
        << log.size() << " log lines";
}

} // namespace
} // namespace tnews
