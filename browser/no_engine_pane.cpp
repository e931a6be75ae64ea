#include "no_engine_pane.h"

#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

namespace tnews
{

NoEnginePane::NoEnginePane(wxWindow* parent, const TwipsRect& bounds,
                           DefaultBrowserLauncher openElsewhere)
    : m_panel(new wxPanel(parent, wxID_ANY, TwipsToPixels(parent, bounds).GetPosition(),
                          TwipsToPixels(parent, bounds).GetSize(), 0, "WebBrowser1")),
      m_openElsewhere(std::move(openElsewhere))
{
    m_message = new wxStaticText(
        m_panel, wxID_ANY,
        "Pages can't be shown here: this window shows them with the web browser component that "
        "comes with the system, and it could not be started on this computer.\n\n"
        "The menus and buttons still work, and Help, Tavi Orlund Website opens the website in "
        "your own web browser.");
    const int margin = m_panel->FromDIP(8);
    m_message->Wrap(m_panel->GetClientSize().x - 2 * margin);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_message, 0, wxALL, margin);
    m_panel->SetSizer(sizer);
    m_panel->Layout();
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
    MoveTopTo(m_panel, twips);
}

} // namespace tnews
