// The main road's latency: from a place chosen in the window to the listing request arriving
// at a loopback server, for 50 choices, on the platform's real web engine. Prints the median
// and the worst. Run it on a display (scripts/with-display).
#include "tests/gui/gui_support.h"

#include "browser/web_engine.h"

#include <httplib.h>
#include <wx/app.h>
#include <wx/choice.h>
#include <wx/webview.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <thread>

namespace
{

using Clock = std::chrono::steady_clock;

// Records when each listing request first arrives; demands credentials as the directory
// server does, then answers with a small page.
class ListingServer
{
public:
    ListingServer()
    {
        m_server.Get(".*",
                     [this](const httplib::Request& request, httplib::Response& response)
                     {
                         {
                             std::lock_guard lock(m_mutex);
                             if (!m_arrived)
                                 m_arrived = Clock::now();
                         }
                         if (!request.has_header("Authorization"))
                         {
                             response.status = 401;
                             response.set_header("WWW-Authenticate", "Basic realm=\"bench\"");
                             return;
                         }
                         response.set_content("<!DOCTYPE html><title>Listing</title><p>papers",
                                              "text/html");
                     });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running())
            std::this_thread::yield();
    }
    ~ListingServer()
    {
        m_server.stop();
        m_thread.join();
    }
    std::string Host() const { return "127.0.0.1:" + std::to_string(m_port); }
    void Reset()
    {
        std::lock_guard lock(m_mutex);
        m_arrived.reset();
    }
    std::optional<Clock::time_point> Arrived()
    {
        std::lock_guard lock(m_mutex);
        return m_arrived;
    }

private:
    httplib::Server m_server;
    int m_port = 0;
    std::thread m_thread;
    std::mutex m_mutex;
    std::optional<Clock::time_point> m_arrived;
};

int RunBenchmark()
{
    using namespace tnews;
    ListingServer server;
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "tnews-bench";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "start.html") << "<!DOCTYPE html><title>Start</title>";

    Form1* form = MakeEngineForm(server.Host(), folder.string());
    form->Show();
    auto* view = Find<wxWebView>(form, "WebBrowser1");
    auto* combo = Find<wxChoice>(form, "Combo1");
    WaitFor([&] { return !view->IsBusy(); });
    form->InternationalNewspapers_Click();
    WaitFor([&] { return !view->IsBusy(); });

    // When the engine asks the window whether it may go there: the engine's own start.
    Clock::time_point navigating{};
    view->Bind(wxEVT_WEBVIEW_NAVIGATING,
               [&](wxWebViewEvent& event)
               {
                   navigating = Clock::now();
                   event.Skip();
               });
    std::mt19937 random(47);
    std::vector<double> handled, asked;
    std::vector<double> latencies;
    for (int i = 0; i < 50; ++i)
    {
        const int position = std::uniform_int_distribution<int>(1, 164)(random);
        server.Reset();
        combo->SetSelection(position);
        const Clock::time_point chosen = Clock::now();
        wxCommandEvent choice(wxEVT_CHOICE, combo->GetId());
        choice.SetInt(position);
        combo->ProcessWindowEvent(choice);
        const Clock::time_point returned = Clock::now();
        if (!WaitFor([&] { return server.Arrived().has_value(); }))
        {
            std::fprintf(stderr, "choice %d: no request arrived\n", position);
            return 1;
        }
        const auto ms = [chosen](Clock::time_point then)
        { return std::chrono::duration<double, std::milli>(then - chosen).count(); };
        latencies.push_back(ms(*server.Arrived()));
        handled.push_back(ms(returned));
        asked.push_back(ms(navigating));
        WaitFor([&] { return !view->IsBusy() && view->GetCurrentTitle() == "Listing"; });
        HandleEvents(std::chrono::milliseconds(300)); // a person reads before choosing again
    }
    form->Destroy();
    std::filesystem::remove_all(folder);

    const auto report = [](const char* what, std::vector<double> samples)
    {
        std::sort(samples.begin(), samples.end());
        std::printf("  %-46s median %7.3f ms, worst %7.3f ms, best %7.3f ms\n", what,
                    samples[samples.size() / 2], samples.back(), samples.front());
    };
    std::printf("main road, %zu choices of a place, each after the last page has shown:\n",
                latencies.size());
    report("choice to the listing request at the server", latencies);
    report("of it, the window's handling up to the engine", handled);
    report("choice to the engine's navigation request", asked);
    return 0;
}

class BenchApp : public wxApp
{
public:
    bool Initialize(int& count, wxChar** arguments) override
    {
        tnews::PrepareWebEngine(); // as the program does
        return wxApp::Initialize(count, arguments);
    }
    bool OnInit() override
    {
        SetAppDisplayName("Tavi's Newspapers");
        return true;
    }
    int OnRun() override { return RunBenchmark(); }
};

} // namespace

wxIMPLEMENT_APP_CONSOLE(BenchApp);
