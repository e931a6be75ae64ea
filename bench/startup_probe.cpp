// Linked into the start-up benchmark's builds of the program and of the floor program: prints
// the monotonic clock when the pane has loaded start.html, so the benchmark can time the run
// from exec to the start page. The program's own code is untouched.
#include <wx/app.h>
#include <wx/eventfilter.h>
#include <wx/module.h>
#include <wx/webview.h>

#include <cstdio>
#include <ctime>

namespace
{

class StartPageProbe : public wxEventFilter
{
public:
    int FilterEvent(wxEvent& event) override
    {
        if (!m_reported && event.GetEventType() == wxEVT_WEBVIEW_LOADED &&
            static_cast<wxWebViewEvent&>(event).GetURL().EndsWith("/start.html"))
        {
            m_reported = true;
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::printf("start-page-loaded %lld\n",
                        static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            std::fflush(stdout);
        }
        return Event_Skip;
    }

private:
    bool m_reported = false;
};

class StartPageProbeModule : public wxModule
{
public:
    bool OnInit() override
    {
        wxEvtHandler::AddFilter(&m_probe);
        return true;
    }
    void OnExit() override { wxEvtHandler::RemoveFilter(&m_probe); }

private:
    StartPageProbe m_probe;
    wxDECLARE_DYNAMIC_CLASS(StartPageProbeModule);
};

wxIMPLEMENT_DYNAMIC_CLASS(StartPageProbeModule, wxModule);

} // namespace
