// The browser pane: every page the user reads is shown here. The program only tells it what to
// show and never reads anything back.
#pragma once

#include <optional>
#include <string>

namespace tnews
{

class BrowserPane
{
public:
    virtual ~BrowserPane() = default;

    /// Shows a local file, given as a plain path (the start page at start-up).
    virtual void Navigate2(const std::string& path) = 0;

    /// Replaces the pane's page with the page at a URL or a plain local path. Returns at once;
    /// the page arrives later.
    virtual void Navigate(const std::string& urlOrPath) = 0;

    /// Opens `url` in a new, separate browser window when `targetFrame` is "_blank"; the pane
    /// keeps its page. `flags` are the engine's navigation flags; callers pass none.
    virtual void Navigate(const std::string& url, std::optional<long> flags,
                          const std::string& targetFrame) = 0;

    /// Moves the pane's top edge to `twips` below the top of the window's client area; its
    /// left edge, width and height stay as they are.
    virtual void Top(float twips) = 0;
};

} // namespace tnews
