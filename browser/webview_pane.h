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

/// Opens a URL in the system's default browser.
using DefaultBrowserLauncher = std::function<void(const std::string& url)>;

/// The system's own launcher: the user's default browser, started without waiting for it.
DefaultBrowserLauncher SystemDefaultBrowser();

class WebViewPane : public BrowserPane
{
public:
    /// Creates the engine's view as a child of `parent` at `bounds`, named "WebBrowser1". It
    /// shows local files and pages of `trustedHost`; any other page a link, a script or a new
    /// window asks for goes to `openElsewhere`.
    WebViewPane(wxWindow* parent, const TwipsRect& bounds, std::string trustedHost,
                DefaultBrowserLauncher openElsewhere);
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

    wxWebView* m_view;
    const std::string m_trustedHost;
    DefaultBrowserLauncher m_openElsewhere;
};

/// The pane on the platform's web engine, as WebViewPane; where the engine can't be started, a
/// NoEnginePane that says so in its place.
std::unique_ptr<BrowserPane> MakeEnginePane(wxWindow* parent, const TwipsRect& bounds,
                                            std::string trustedHost,
                                            DefaultBrowserLauncher openElsewhere);

} // namespace tnews
