// The browser pane where the platform's web engine can't be started.
#pragma once

#include "browser_pane.h"
#include "twips.h"
#include "webview_pane.h"

class wxPanel;
class wxStaticText;
class wxWindow;

namespace tnews
{

/// Says in the pane's place that pages can't be shown, so the rest of the window stays usable.
/// Pages asked for are not shown; a new window ("_blank") still opens in the default browser.
class NoEnginePane : public BrowserPane
{
public:
    /// Creates the message on a panel of `parent` at `bounds`, the panel named "WebBrowser1".
    NoEnginePane(wxWindow* parent, const TwipsRect& bounds, DefaultBrowserLauncher openElsewhere);

    void Navigate2(const std::string& path) override;
    void Navigate(const std::string& urlOrPath) override;
    void Navigate(const std::string& url, std::optional<long> flags,
                  const std::string& targetFrame) override;
    void Top(float twips) override;

    wxStaticText* Message() const { return m_message; }

private:
    wxPanel* m_panel;
    wxStaticText* m_message;
    DefaultBrowserLauncher m_openElsewhere;
};

} // namespace tnews
