#include "web_engine.h"

#include <wx/webview.h>

#include <webkit2/webkit2.h>

namespace tnews
{
namespace
{

void CancelDownload(WebKitWebContext* /*context*/, WebKitDownload* download, gpointer /*data*/)
{
    // The program writes no files; a link to a file the engine can't show goes nowhere.
    webkit_download_cancel(download);
}

// One context for every view of the process, keeping cookies, caches and website data in
// memory only.
WebKitWebContext* PaneContext()
{
    static WebKitWebContext* context = []
    {
        WebKitWebContext* ephemeral = webkit_web_context_new_ephemeral();
        webkit_web_context_set_cache_model(ephemeral, WEBKIT_CACHE_MODEL_DOCUMENT_VIEWER);
        g_signal_connect(ephemeral, "download-started", G_CALLBACK(CancelDownload), nullptr);
        return ephemeral;
    }();
    return context;
}

constexpr char kCancelledKey[] = "tnews-load-cancelled";

// Runs before any handler of a view's "load-failed", wx's included, so the pane can ask about
// the failure while wx reports it.
gboolean RememberFailure(GSignalInvocationHint* /*hint*/, guint count, const GValue* values,
                         gpointer /*data*/)
{
    if (count < 4)
        return TRUE;
    auto* error = static_cast<const GError*>(g_value_get_boxed(&values[3]));
    const bool cancelled =
        error && (g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED) ||
                  error->domain == WEBKIT_POLICY_ERROR);
    g_object_set_data(G_OBJECT(g_value_get_object(&values[0])), kCancelledKey,
                      GINT_TO_POINTER(cancelled));
    return TRUE; // stays for the next failure
}

// Without compositing the engine paints a new page by asking GTK to redraw the view, and GTK
// can drop that request while it redraws the drop-down next to the pane, whose hover fade runs
// when the window appears under the pointer and whose drawing reaches into the pane's top rows.
// The page then stays unpainted until something in it changes. Asking once more when the page
// has loaded paints it.
void PaintWhenLoaded(WebKitWebView* view, WebKitLoadEvent event, gpointer /*data*/)
{
    if (event == WEBKIT_LOAD_FINISHED)
        gtk_widget_queue_draw(GTK_WIDGET(view));
}

} // namespace

const char* PaneBackend()
{
    return wxWebViewBackendWebKit;
}

bool WebEngineAvailable()
{
    return wxWebView::IsBackendAvailable(PaneBackend());
}

void PrepareWebEngine()
{
    // Without a GPU the engine composites in software, which costs its processes about 50 MiB
    // and gains plain pages nothing. The settings' hardware acceleration policy would be the
    // lever, but its "never" leaves the view blank in the engine release of Debian 12; the
    // engine's own switch works. A user's explicit choice stands.
    g_setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", FALSE);
}

void ConfigureWebEngine(wxWebView* view)
{
    auto* webView = static_cast<WebKitWebView*>(view->GetNativeBackend());
    WebKitSettings* settings = webkit_web_view_get_settings(webView);
    // Pages need no scripts of their own; the program's calls into the page still run.
    webkit_settings_set_enable_javascript_markup(settings, FALSE);
    webkit_settings_set_enable_html5_local_storage(settings, FALSE);
    webkit_settings_set_enable_html5_database(settings, FALSE);
    webkit_settings_set_enable_page_cache(settings, FALSE);
    webkit_settings_set_enable_webgl(settings, FALSE);
    webkit_settings_set_enable_webaudio(settings, FALSE);
    webkit_settings_set_enable_media(settings, FALSE);
    g_signal_connect(webView, "load-changed", G_CALLBACK(PaintWhenLoaded), nullptr);

    static const gulong hook = g_signal_add_emission_hook(
        g_signal_lookup("load-failed", WEBKIT_TYPE_WEB_VIEW), 0, RememberFailure, nullptr, nullptr);
    (void)hook;
}

bool LastFailureWasCancelled(wxWebView* view)
{
    return g_object_get_data(G_OBJECT(view->GetNativeBackend()), kCancelledKey) != nullptr;
}

} // namespace tnews

// wxWidgets makes its views with webkit_web_view_new() in WebKit's default context, whose
// website data (caches, HSTS, storage) lives on disk, and it knows no other way. The program
// defines these two entry points itself, so that wxWidgets, and WebKit where it asks for the
// default context, get the ephemeral one above.
extern "C" WebKitWebContext* webkit_web_context_get_default(void)
{
    return tnews::PaneContext();
}

extern "C" GtkWidget* webkit_web_view_new(void)
{
    return webkit_web_view_new_with_context(tnews::PaneContext());
}
