// What the GUI tests share: waiting for events, finding controls, choosing as a user does, and
// a main window on the real web engine.
#pragma once

#include "app/form1.h"
#include "browser/utf8.h"

#include <wx/app.h>
#include <wx/choice.h>
#include <wx/utils.h>
#include <wx/webview.h>

#include <chrono>
#include <functional>
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

/// Chooses the drop-down's entry at `position`, as the toolkit reports a user's choice.
inline void Choose(wxWindow* form, int position)
{
    auto* combo = dynamic_cast<wxChoice*>(wxWindow::FindWindowByName("Combo1", form));
    combo->SetSelection(position);
    wxCommandEvent choice(wxEVT_CHOICE, combo->GetId());
    choice.SetInt(position);
    choice.SetEventObject(combo);
    combo->ProcessWindowEvent(choice);
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
    { return std::make_unique<WebViewPane>(NewEngineView(parent, bounds), host, openElsewhere); };
    return new Form1(std::move(options));
}

} // namespace tnews
