// The browser pane on the platform's own web engine (wxWebView).
#pragma once

#include "browser_pane.h"
#include "twips.h"

#include <functional>
#include <memory>
#include <string>

class wxWebView;
class wxWebViewEvent;
class wxWindow;

namespace tnews
{

/// Opens a URL in the system's default browser; returns false when none could be started.
using DefaultBrowserLauncher = std::function<bool(const std::string& url)>;

/// The system's own launcher: the user's default browser, started without waiting for it and
/// without a message of its own when there is none.
DefaultBrowserLauncher SystemDefaultBrowser();

/// The engine's view as a child of `parent` at `bounds`, named "WebBrowser1"; null where the
/// engine can't make one, or makes one without the engine's object behind it (that one is
/// destroyed).
wxWebView* NewEngineView(wxWindow* parent, const TwipsRect& bounds);

class WebViewPane : public BrowserPane
{
public:
    /// Shows pages in `view`, which NewEngineView made: local files and pages of
    /// `trustedHost`; any other page a link, a script or a new window asks for goes to
    /// `openElsewhere`. A load from `trustedHost` that fails, and an address `openElsewhere`
    /// cannot open, show the program's own page saying what to do.
    WebViewPane(wxWebView* view, std::string trustedHost, DefaultBrowserLauncher openElsewhere);
    /// Stops handling the view's events; the view itself belongs to its parent window.
    ~WebViewPane() override;

    void Navigate2(const std::string& path) override;
    void Navigate(const std::string& urlOrPath) override;
    void Navigate(const std::string& url, std::optional<long> flags,
                  const std::string& targetFrame) override;
    void Top(float twips) override;

    wxWebView* View() const { return m_view; }

private:
    void OnNavigating(wxWebViewEvent& event);
    void OnNewWindow(wxWebViewEvent& event);
    void OnError(wxWebViewEvent& event);
    void OpenElsewhere(const std::string& url);
    void ShowPageLater(std::string html);

    wxWebView* m_view;
    const std::string m_trustedHost;
    DefaultBrowserLauncher m_openElsewhere;
    std::string m_lastRequested; // as the program asked for it
    std::shared_ptr<unsigned> m_requests = std::make_shared<unsigned>(0); // how many so far
};

/// The pane on the platform's web engine, as WebViewPane; where the engine can't be started or
/// its view can't be made, a NoEnginePane that says so in its place.
std::unique_ptr<BrowserPane> MakeEnginePane(wxWindow* parent, const TwipsRect& bounds,
                                            std::string trustedHost,
                                            DefaultBrowserLauncher openElsewhere);

} // namespace tnews
