// The main road's latency: from a place chosen in the window to the listing request arriving
// at a loopback server, for 50 choices, on the platform's real web engine. Prints the median
// and the worst. Run it on a display (scripts/with-display).
#include "tests/gui/challenging_server.h"
#include "tests/gui/gui_support.h"

#include "browser/web_engine.h"

#include <wx/app.h>
#include <wx/choice.h>
#include <wx/webview.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace
{

using Clock = tnews::ChallengingServer::Clock;

int RunBenchmark()
{
    using namespace tnews;
    ChallengingServer server;
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
        const std::size_t before = server.Requests().size();
        combo->SetSelection(position);
        const Clock::time_point chosen = Clock::now();
        wxCommandEvent choice(wxEVT_CHOICE, combo->GetId());
        choice.SetInt(position);
        combo->ProcessWindowEvent(choice);
        const Clock::time_point returned = Clock::now();
        if (!WaitFor([&] { return server.Requests().size() > before; }))
        {
            std::fprintf(stderr, "choice %d: no request arrived\n", position);
            return 1;
        }
        const auto ms = [chosen](Clock::time_point then)
        { return std::chrono::duration<double, std::milli>(then - chosen).count(); };
        latencies.push_back(ms(server.Requests()[before].arrival));
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
