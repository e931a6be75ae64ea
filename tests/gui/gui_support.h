// What the GUI tests share: waiting for events, finding controls, and a main window whose
// browser pane records what it is asked to show.
#pragma once

#include "app/form1.h"
#include "browser/twips.h"
#include "browser/utf8.h"
#include "tests/support/recording_pane.h"

#include <wx/app.h>
#include <wx/panel.h>
#include <wx/utils.h>
#include <wx/webview.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

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

/// A recording pane with a plain panel standing in for the engine's view.
class RecordingPaneWindow : public RecordingPane
{
public:
    RecordingPaneWindow(wxWindow* parent, const TwipsRect& bounds)
        : m_panel(new wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, "WebBrowser1"))
    {
        m_panel->SetSize(TwipsToPixels(parent, bounds));
    }
    void Top(float twips) override
    {
        RecordingPane::Top(twips);
        m_panel->Move(m_panel->GetPosition().x, m_panel->GetParent()->FromDIP(TwipsToDip(twips)));
    }

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
        auto recording = std::make_unique<RecordingPaneWindow>(parent, bounds);
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
