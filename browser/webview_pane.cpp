#include "webview_pane.h"

#include "error_pages.h"
#include "local_files.h"
#include "navigation_policy.h"
#include "no_engine_pane.h"
#include "twips.h"
#include "utf8.h"
#include "web_engine.h"

#include <wx/log.h>
#include <wx/utils.h>
#include <wx/webview.h>

namespace tnews
{
DefaultBrowserLauncher SystemDefaultBrowser()
{
    return [](const std::string& url)
    {
        // Without a browser wx would say so in a message box that waits for a click; the pane
        // says it instead.
        wxLogNull quiet;
        return wxLaunchDefaultBrowser(FromUtf8(url));
    };
}

wxWebView* NewEngineView(wxWindow* parent, const TwipsRect& bounds)
{
    const wxRect rect = TwipsToPixels(parent, bounds);
    wxLogNull quiet; // a failure is said in the pane's place, not in a message box first
    wxWebView* view = wxWebView::New(parent, wxID_ANY, wxWebViewDefaultURLStr, rect.GetPosition(),
                                     rect.GetSize(), PaneBackend(), 0, "WebBrowser1");
    // wx keeps a view whose engine object could not be made, and its calls would then reach
    // through a null pointer.
    if (view && !view->GetNativeBackend())
    {
        view->Destroy();
        view = nullptr;
    }
    return view;
}

WebViewPane::WebViewPane(wxWebView* view, std::string trustedHost,
                         DefaultBrowserLauncher openElsewhere)
    : m_view(view), m_trustedHost(std::move(trustedHost)), m_openElsewhere(std::move(openElsewhere))
{
    ConfigureWebEngine(m_view);
    // A context menu would offer downloads and new windows; the pane offers neither.
    m_view->EnableContextMenu(false);
    m_view->Bind(wxEVT_WEBVIEW_NAVIGATING, &WebViewPane::OnNavigating, this);
    m_view->Bind(wxEVT_WEBVIEW_NEWWINDOW, &WebViewPane::OnNewWindow, this);
    m_view->Bind(wxEVT_WEBVIEW_ERROR, &WebViewPane::OnError, this);
}

WebViewPane::~WebViewPane()
{
    m_view->Unbind(wxEVT_WEBVIEW_NAVIGATING, &WebViewPane::OnNavigating, this);
    m_view->Unbind(wxEVT_WEBVIEW_NEWWINDOW, &WebViewPane::OnNewWindow, this);
    m_view->Unbind(wxEVT_WEBVIEW_ERROR, &WebViewPane::OnError, this);
}

void WebViewPane::Navigate2(const std::string& path)
{
    Navigate(path);
}

void WebViewPane::Navigate(const std::string& urlOrPath)
{
    m_lastRequested = IsLocalPath(urlOrPath) ? FileUrl(urlOrPath) : urlOrPath;
    ++*m_requests;
    m_view->LoadURL(FromUtf8(m_lastRequested));
}

void WebViewPane::Navigate(const std::string& url, std::optional<long> /*flags*/,
                           const std::string& targetFrame)
{
    if (targetFrame == "_blank")
        OpenElsewhere(url);
    else
        Navigate(url);
}

void WebViewPane::Top(float twips)
{
    MoveTopTo(m_view, twips);
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
        OpenElsewhere(url);
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
        OpenElsewhere(url);
}

void WebViewPane::OnError(wxWebViewEvent& event)
{
    event.Skip();
    const std::string url = ToUtf8(event.GetURL());
    // A load that a newer one replaced has not failed; the newer one shows.
    if (event.GetInt() == wxWEBVIEW_NAV_ERR_USER_CANCELLED || LastFailureWasCancelled(m_view) ||
        !IsDirectoryServerUrl(url, m_trustedHost))
        return;
    // Try again with the very URL the program asked for when this is its page.
    const bool asked = WithoutCredentials(m_lastRequested) == WithoutCredentials(url);
    ShowPageLater(ServerNotAnsweringPage(asked ? m_lastRequested : url, m_trustedHost,
                                         ToUtf8(event.GetString())));
}

void WebViewPane::OpenElsewhere(const std::string& url)
{
    if (m_openElsewhere(url))
        return;
    std::string shown = ToUtf8(m_view->GetCurrentURL());
    if (WithoutCredentials(m_lastRequested) == WithoutCredentials(shown))
        shown = m_lastRequested;
    else if (RouteNavigation(shown, m_trustedHost) != NavigationRoute::Pane ||
             shown == "about:blank")
        shown.clear(); // one of the program's own pages, which has no address to go back to
    ShowPageLater(NoBrowserPage(url, shown));
}

void WebViewPane::ShowPageLater(std::string html)
{
    // Not from within the engine's handlers, whose own error page would follow ours; and not
    // when the program has asked for another page in the meantime.
    m_view->CallAfter(
        [view = m_view, html = std::move(html), requests = m_requests, asked = *m_requests]
        {
            if (*requests == asked)
                view->SetPage(FromUtf8(html), wxString());
        });
}

std::unique_ptr<BrowserPane> MakeEnginePane(wxWindow* parent, const TwipsRect& bounds,
                                            std::string trustedHost,
                                            DefaultBrowserLauncher openElsewhere)
{
    if (wxWebView* view = WebEngineAvailable() ? NewEngineView(parent, bounds) : nullptr)
        return std::make_unique<WebViewPane>(view, std::move(trustedHost),
                                             std::move(openElsewhere));
    return std::make_unique<NoEnginePane>(parent, bounds, std::move(openElsewhere));
}

} // namespace tnews
