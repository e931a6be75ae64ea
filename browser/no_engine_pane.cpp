#include "no_engine_pane.h"

#include <wx/stattext.h>

namespace tnews
{

NoEnginePane::NoEnginePane(wxWindow* parent, const TwipsRect& bounds,
                           DefaultBrowserLauncher openElsewhere)
    : m_message(new wxStaticText(
          parent, wxID_ANY,
          "Pages can't be shown here: this window shows them with the web browser component "
          "that comes with the system, and it could not be started on this computer.\n\n"
          "The menus and buttons still work, and Help, Tavi Orlund Website opens the website "
          "in your own web browser.",
          parent->FromDIP(wxPoint(TwipsToDip(bounds.left), TwipsToDip(bounds.top))),
          parent->FromDIP(wxSize(TwipsToDip(bounds.width), TwipsToDip(bounds.height))),
          wxST_NO_AUTORESIZE, "WebBrowser1")),
      m_openElsewhere(std::move(openElsewhere))
{
    // A little inside the pane's edges, so the text doesn't touch the window's frame.
    m_message->Wrap(m_message->GetSize().x - parent->FromDIP(16));
}

void NoEnginePane::Navigate2(const std::string& /*path*/) {}

void NoEnginePane::Navigate(const std::string& /*urlOrPath*/) {}

void NoEnginePane::Navigate(const std::string& url, std::optional<long> /*flags*/,
                            const std::string& targetFrame)
{
    if (targetFrame == "_blank")
        m_openElsewhere(url);
}

void NoEnginePane::Top(float twips)
{
    const wxPoint position = m_message->GetPosition();
    m_message->Move(position.x, m_message->GetParent()->FromDIP(TwipsToDip(twips)));
}

} // namespace tnews
