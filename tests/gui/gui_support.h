// What the GUI tests share: waiting for events, finding controls, and a main window whose
// browser pane records what it is asked to show.
#pragma once

#include "app/form1.h"
#include "browser/twips.h"
#include "browser/utf8.h"

#include <wx/app.h>
#include <wx/panel.h>
#include <wx/utils.h>
#include <wx/webview.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace tnews
{

/// Handles events until `done` holds or `timeout` passes; returns whether `done` holds.
inline bool WaitFor(const std::function<bool()>& done,
                    std::chrono::milliseconds timeout = std::chrono::seconds(15))
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done())
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

/// Handles the events that are waiting now, and those they cause, for `duration`.
inline void HandleEvents(std::chrono::milliseconds duration = std::chrono::milliseconds(200))
{
    WaitFor([] { return false; }, duration);
}

/// Sends a menu command to `window`, as the toolkit delivers one.
inline void SendMenu(wxWindow* window, int id)
{
    wxCommandEvent command(wxEVT_MENU, id);
    command.SetEventObject(window);
    window->ProcessWindowEvent(command);
}

/// The source of the page the pane has loaded; empty while it loads. (The directory server's
/// pages allow no scripts, so a test reads them this way.)
inline std::string PageSource(wxWebView* view)
{
    return view->IsBusy() ? std::string() : ToUtf8(view->GetPageSource());
}

/// Waits until the pane has loaded a page whose source holds `words`.
inline bool WaitForPageSource(wxWebView* view, const char* words)
{
    return WaitFor([&] { return PageSource(view).find(words) != std::string::npos; });
}

template <typename Control> Control* Find(wxWindow* top, const char* name)
{
    return dynamic_cast<Control*>(wxWindow::FindWindowByName(name, top));
}

/// A browser pane that records what it is asked to show, one line a call: "Navigate2 <path>",
/// "Navigate <url>", "Navigate <url> <flags> <frame>" (flags "null" when none) or
/// "Top <twips>"; a plain panel stands in for the engine's view.
class RecordingPane : public BrowserPane
{
public:
    RecordingPane(wxWindow* parent, const TwipsRect& bounds)
        : m_panel(new wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, "WebBrowser1"))
    {
        m_panel->SetSize(TwipsToPixels(parent, bounds));
    }
    void Navigate2(const std::string& path) override { calls.push_back("Navigate2 " + path); }
    void Navigate(const std::string& url) override { calls.push_back("Navigate " + url); }
    void Navigate(const std::string& url, std::optional<long> flags,
                  const std::string& frame) override
    {
        calls.push_back("Navigate " + url + " " + (flags ? std::to_string(*flags) : "null") + " " +
                        frame);
    }
    void Top(float twips) override
    {
        calls.push_back("Top " + std::to_string(std::lround(twips)));
        m_panel->Move(m_panel->GetPosition().x, m_panel->GetParent()->FromDIP(TwipsToDip(twips)));
    }

    std::vector<std::string> calls;

private:
    wxPanel* m_panel;
};

/// Makes a main window over a recording pane; `pane` points at it afterwards.
inline Form1* MakeRecordedForm(RecordingPane*& pane, const std::string& folder = "/opt/tnews")
{
    Form1Options options;
    options.programFolder = folder;
    options.host = "h:1";
    options.makePane = [&pane](wxWindow* parent, const TwipsRect& bounds)
    {
        auto recording = std::make_unique<RecordingPane>(parent, bounds);
        pane = recording.get();
        return std::unique_ptr<BrowserPane>(std::move(recording));
    };
    return new Form1(std::move(options));
}

/// Makes a main window on the platform's real web engine, for the directory server at `host`;
/// pages that belong in the default browser go to `openElsewhere`.
inline Form1* MakeEngineForm(
    const std::string& host, const std::string& folder,
    DefaultBrowserLauncher openElsewhere = [](const std::string&) { return true; })
{
    Form1Options options;
    options.programFolder = folder;
    options.host = host;
    options.makePane = [host, openElsewhere](wxWindow* parent, const TwipsRect& bounds)
    { return std::make_unique<WebViewPane>(parent, bounds, host, openElsewhere); };
    return new Form1(std::move(options));
}

} // namespace tnews
