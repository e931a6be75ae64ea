// Settings of the platform's web engine behind the browser pane.
#pragma once

class wxWebView;

namespace tnews
{

/// Keeps the engine to what the pane needs: pages and links, no page scripts, storage or
/// media, and nothing kept on disk.
void ConfigureWebEngine(wxWebView* view);

} // namespace tnews
