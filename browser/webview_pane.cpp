#include "webview_pane.h"

#include "local_files.h"
#include "navigation_policy.h"
#include "no_engine_pane.h"
#include "twips.h"
#include "utf8.h"
#include "web_engine.h"

#include <wx/utils.h>
#include <wx/webview.h>

namespace tnews
{
DefaultBrowserLauncher SystemDefaultBrowser()
{
    return [](const std::string& url) { wxLaunchDefaultBrowser(FromUtf8(url)); };
}

WebViewPane::WebViewPane(wxWindow* parent, const TwipsRect& bounds, std::string trustedHost,
                         DefaultBrowserLauncher openElsewhere)
    : m_view(wxWebView::New(
          parent, wxID_ANY, wxWebViewDefaultURLStr,
          parent->FromDIP(wxPoint(TwipsToDip(bounds.left), TwipsToDip(bounds.top))),
          parent->FromDIP(wxSize(TwipsToDip(bounds.width), TwipsToDip(bounds.height))),
          PaneBackend(), 0, "WebBrowser1")),
      m_trustedHost(std::move(trustedHost)), m_openElsewhere(std::move(openElsewhere))
{
    ConfigureWebEngine(m_view);
    // A context menu would offer downloads and new windows; the pane offers neither.
    m_view->EnableContextMenu(false);
    m_view->Bind(wxEVT_WEBVIEW_NAVIGATING, &WebViewPane::OnNavigating, this);
    m_view->Bind(wxEVT_WEBVIEW_NEWWINDOW, &WebViewPane::OnNewWindow, this);
}

WebViewPane::~WebViewPane()
{
    m_view->Unbind(wxEVT_WEBVIEW_NAVIGATING, &WebViewPane::OnNavigating, this);
    m_view->Unbind(wxEVT_WEBVIEW_NEWWINDOW, &WebViewPane::OnNewWindow, this);
}

void WebViewPane::Navigate2(const std::string& path)
{
    Navigate(path);
}

void WebViewPane::Navigate(const std::string& urlOrPath)
{
    m_view->LoadURL(FromUtf8(IsLocalPath(urlOrPath) ? FileUrl(urlOrPath) : urlOrPath));
}

void WebViewPane::Navigate(const std::string& url, std::optional<long> /*flags*/,
                           const std::string& targetFrame)
{
    if (targetFrame == "_blank")
        m_openElsewhere(url);
    else
        Navigate(url);
}

void WebViewPane::Top(float twips)
{
    const wxPoint position = m_view->GetPosition();
    m_view->Move(position.x, m_view->GetParent()->FromDIP(TwipsToDip(twips)));
}

void WebViewPane::OnNavigating(wxWebViewEvent& event)
{
    const std::string url = ToUtf8(event.GetURL());
    switch (RouteNavigation(url, m_trustedHost))
    {
    case NavigationRoute::Pane:
        return;
    case NavigationRoute::DefaultBrowser:
        event.Veto();
        m_openElsewhere(url);
        return;
    case NavigationRoute::Nowhere:
        event.Veto();
        return;
    }
}

void WebViewPane::OnNewWindow(wxWebViewEvent& event)
{
    // Every new window goes to the user's own browser; the pane keeps its page.
    const std::string url = ToUtf8(event.GetURL());
    if (RouteNavigation(url, m_trustedHost) != NavigationRoute::Nowhere)
        m_openElsewhere(url);
}

std::unique_ptr<BrowserPane> MakeEnginePane(wxWindow* parent, const TwipsRect& bounds,
                                            std::string trustedHost,
                                            DefaultBrowserLauncher openElsewhere)
{
    if (!WebEngineAvailable())
        return std::make_unique<NoEnginePane>(parent, bounds, std::move(openElsewhere));
    return std::make_unique<WebViewPane>(parent, bounds, std::move(trustedHost),
                                         std::move(openElsewhere));
}

} // namespace tnews
