// The platform's web engine behind the browser pane: which one, whether it can start, and its
// settings. One implementation per platform (web_engine_gtk.cpp, web_engine_msw.cpp).
#pragma once

class wxWebView;

namespace tnews
{

/// The wxWebView backend of the pane: WebKit on GTK; on Windows the browser component built
/// into the system, or Edge (WebView2) in a build made for it.
const char* PaneBackend();

/// False where the engine can't be started, as on a Windows without its browser component;
/// the pane then says so in its place.
bool WebEngineAvailable();

/// Sets up the engine for the whole process (on Windows, the browser component's IE 11 document
/// mode for this program); call it before the toolkit starts, while the process has one thread.
void PrepareWebEngine();

/// Keeps the engine to what the pane needs: pages and links, no page scripts, storage or
/// media, and nothing kept on disk where the engine allows it.
void ConfigureWebEngine(wxWebView* view);

/// Whether the view's latest failed load was stopped rather than failed: replaced by a newer
/// load or refused by the engine's own policy. wx reports both like a server that can't be
/// reached.
bool LastFailureWasCancelled(wxWebView* view);

} // namespace tnews
