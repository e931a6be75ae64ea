// Settings of the platform's web engine behind the browser pane.
#pragma once

class wxWebView;

namespace tnews
{

/// Sets up the engine for the whole process; call it before the toolkit starts, while the
/// process has one thread.
void PrepareWebEngine();

/// Keeps the engine to what the pane needs: pages and links, no page scripts, storage or
/// media, and nothing kept on disk.
void ConfigureWebEngine(wxWebView* view);

/// Whether the view's latest failed load was stopped rather than failed: replaced by a newer
/// load or refused by the engine's own policy. wx reports both like a server that can't be
/// reached.
bool LastFailureWasCancelled(wxWebView* view);

} // namespace tnews
