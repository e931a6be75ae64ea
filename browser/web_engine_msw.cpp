#include "web_engine.h"

#include <wx/log.h>
#include <wx/webview.h>
#if !TNEWS_WEBVIEW_EDGE
#include <wx/msw/registry.h>
#include <wx/msw/webview_ie.h>
#endif

#include <windows.h>
#include <exdisp.h>
#include <mshtml.h>
#include <urlmon.h>

#if TNEWS_WEBVIEW_EDGE && !wxUSE_WEBVIEW_EDGE
#error "TNEWS_WEBVIEW_EDGE needs wxWidgets built with the WebView2 SDK (wxUSE_WEBVIEW_EDGE)"
#endif

namespace tnews
{
namespace
{

// The HTML document object of the system's page engine (MSHTML), which the browser component
// needs for every page. Its header gives no library symbol for it.
constexpr CLSID kHtmlDocument = {
    0x25336920, 0x03f9, 0x11cf, {0x8f, 0xd0, 0x00, 0xaa, 0x00, 0x68, 0x6f, 0x13}};

// True when an object of the class can be made in this process with the interface wx uses.
bool CanCreate(const CLSID& id, const IID& wanted)
{
    IUnknown* object = nullptr;
    if (FAILED(::CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, wanted,
                                  reinterpret_cast<void**>(&object))) ||
        !object)
        return false;
    object->Release();
    return true;
}

} // namespace

const char* PaneBackend()
{
#if TNEWS_WEBVIEW_EDGE
    return wxWebViewBackendEdge;
#else
    return wxWebViewBackendIE;
#endif
}

bool WebEngineAvailable()
{
    if (!wxWebView::IsBackendAvailable(PaneBackend()))
        return false;
#if TNEWS_WEBVIEW_EDGE
    return true;
#else
    // wxWebView asks for the control only when it makes the view, and then leaves a broken
    // one behind if that fails; so ask first, for the control and for its page engine.
    return CanCreate(CLSID_WebBrowser, IID_IWebBrowser2) &&
           CanCreate(kHtmlDocument, IID_IHTMLDocument2);
#endif
}

void PrepareWebEngine()
{
#if !TNEWS_WEBVIEW_EDGE
    // The browser component shows a program's pages in IE 7's document mode unless the program
    // asks for another, per user and under its executable's name. Every page the pane shows is
    // the program's own or its server's, so IE 11's is forced whatever a page declares. wx's
    // helper writes only into a key that exists, which a fresh user profile may lack; and
    // where the value can't be written the pages still show, in the older mode, so its
    // warnings stay unshown.
    wxLogNull quiet;
    wxRegKey key(wxRegKey::HKCU, "Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\"
                                 "FEATURE_BROWSER_EMULATION");
    if (key.Create())
        wxWebViewIE::MSWSetEmulationLevel(wxWEBVIEWIE_EMU_IE11_FORCE);
#endif
}

void ConfigureWebEngine(wxWebView* /*view*/)
{
#if !TNEWS_WEBVIEW_EDGE
    // The directory server's addresses carry a user name and password before the host name,
    // which the browser component refuses by default; allow them, for this process only.
    ::CoInternetSetFeatureEnabled(FEATURE_HTTP_USERNAME_PASSWORD_DISABLE, SET_FEATURE_ON_PROCESS,
                                  FALSE);
#endif
}

bool LastFailureWasCancelled(wxWebView* /*view*/)
{
    // wx's Windows backends tell a cancelled navigation by its kind of error.
    return false;
}

} // namespace tnews
