#include "about_box.h"

#include "about_text.h"
#include "program_icon.h"

#include "browser/twips.h"
#include "browser/utf8.h"
#include "browser/window_placement.h"
#include "tnews/build_config.h"

#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/fontenum.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/weakref.h>

#include <initializer_list>

namespace tnews
{
namespace
{

// A fixed tool window: a small caption whose only button is close.
constexpr long kFrameStyle =
    wxCAPTION | wxCLOSE_BOX | wxSYSTEM_MENU | wxFRAME_TOOL_WINDOW | wxFRAME_NO_TASKBAR;

const wxColour kBackground(201, 211, 222);
const wxColour kDarkRed(128, 0, 0);
const wxColour kNavy(0, 0, 128);

// The design's fonts where the platform has them, else fonts with the same metrics, else the
// platform's sans serif; at the design's sizes, so the texts fit their boxes.
wxFont DesignFont(std::initializer_list<const char*> faces, double points, bool bold)
{
    wxFontInfo info(points);
    info.Family(wxFONTFAMILY_SWISS).Bold(bold);
    for (const char* face : faces)
    {
        if (wxFontEnumerator::IsValidFacename(face))
        {
            info.FaceName(face);
            break;
        }
    }
    return wxFont(info);
}

wxFont SansSerif(double points, bool bold = false)
{
    return DesignFont(
        {"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arimo", "Nimbus Sans"},
        points, bold);
}

wxFont Arial(double points)
{
    return DesignFont({"Arial", "Liberation Sans", "Arimo", "Nimbus Sans"}, points, false);
}

wxStaticText* Label(wxWindow* parent, const char* name, const wxString& caption, const wxRect& rect,
                    long align, const wxFont& font, const wxColour& colour)
{
    auto* label = new wxStaticText(parent, wxID_ANY, caption, rect.GetPosition(), rect.GetSize(),
                                   align | wxST_NO_AUTORESIZE, name);
    label->SetFont(font);
    if (colour.IsOk())
        label->SetForegroundColour(colour);
    // No background of its own: the window's colour and the rules show through, as designed.
    return label;
}

// The picture box: the program's icon in a sunken border. It can take the focus.
class PictureBox : public wxWindow
{
public:
    PictureBox(wxWindow* parent, const wxRect& rect)
        : wxWindow(parent, wxID_ANY, rect.GetPosition(), rect.GetSize(),
                   wxBORDER_SUNKEN | wxWANTS_CHARS, "Picture1"),
          m_icon(ProgramIcons().GetIcon(FromDIP(wxSize(32, 32))))
    {
        SetBackgroundColour(kBackground);
        Bind(wxEVT_PAINT,
             [this](wxPaintEvent&)
             {
                 wxPaintDC dc(this);
                 dc.DrawIcon(m_icon, 0, 0);
             });
    }
    bool AcceptsFocus() const override { return true; }

private:
    wxIcon m_icon;
};

wxWeakRef<AboutTN> theAboutBox;

} // namespace

AboutTN::AboutTN()
    : FormFrame(nullptr, wxID_ANY, "About Tavi's Newspapers", wxDefaultPosition, wxDefaultSize,
                kFrameStyle, "AboutTN")
{
    SetIcons(ProgramIcons());
    m_client = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
                           "AboutTNClient");
    m_client->SetBackgroundColour(kBackground);
    m_client->SetFont(SansSerif(8.25));
    wxWindow* p = m_client;

    // Creation order is the tab order: the picture, the button, then the notice.
    new PictureBox(p, TwipsToPixels(p, {120, 120, 540, 540}));
    const wxRect okBounds = TwipsToPixels(p, {120, 1920, 495, 375});
    auto* ok = new wxButton(p, wxID_ANY, "&Ok", okBounds.GetPosition(), okBounds.GetSize(),
                            wxBU_EXACTFIT, wxDefaultValidator, "Command1");
    const wxRect notice = TwipsToPixels(p, {720, 1680, 4575, 735});
    auto* text = new wxTextCtrl(p, wxID_ANY, wxEmptyString, notice.GetPosition(), notice.GetSize(),
                                wxTE_MULTILINE | wxTE_READONLY | wxTE_WORDWRAP | wxVSCROLL,
                                wxDefaultValidator, "Text1");
    text->SetFont(Arial(8.25));

    Label(p, "Title", "Tavi's Newspapers", TwipsToPixels(p, {720, 0, 4575, 375}),
          wxALIGN_CENTRE_HORIZONTAL, SansSerif(13.5, true), kDarkRed);
    Label(p, "appversion", "Version", TwipsToPixels(p, {960, 360, 1935, 255}), wxALIGN_LEFT,
          SansSerif(8.25, true), kNavy);
    Label(p, "appos", "Windows 9x/ME/NT4/2000", TwipsToPixels(p, {2640, 360, 2535, 255}),
          wxALIGN_LEFT, SansSerif(8.25, true), kNavy);
    Label(p, "Label1",
          "Tavi's Newspapers will assist you in finding newspaper websites around the world.  "
          "This program has been developed by Tavi Orlund as an alternative to using search "
          "engines.",
          TwipsToPixels(p, {720, 840, 4575, 855}), wxALIGN_CENTRE_HORIZONTAL, SansSerif(8.25),
          wxNullColour)
        ->Wrap(p->FromDIP(TwipsToDip(4575)));

    SetClientSize(FromDIP(wxSize(TwipsToDip(5340), TwipsToDip(2460))));
    ok->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Command1_Click(); });
    m_client->Bind(wxEVT_PAINT, &AboutTN::OnPaint, this);
}

void AboutTN::Form_Load()
{
    FindWindow("appversion")->SetLabel(FromUtf8(VersionCaption(Major, Minor, Revision)));
    static_cast<wxTextCtrl*>(FindWindow("Text1"))->ChangeValue(FromUtf8(std::string(kLegalNotice)));
    PlaceByFrame(this, [this] { Centre(wxBOTH); });
}

void AboutTN::Command1_Click()
{
    Hide();
}

void AboutTN::OnPaint(wxPaintEvent& /*event*/)
{
    // Line1: two black rules, 2 pixels thick, above and below the description.
    wxPaintDC dc(m_client);
    dc.SetPen(wxPen(*wxBLACK, m_client->FromDIP(2)));
    for (float y : {720.0f, 1560.0f})
    {
        const wxPoint from = m_client->FromDIP(wxPoint(TwipsToDip(1080), TwipsToDip(y)));
        const wxPoint to = m_client->FromDIP(wxPoint(TwipsToDip(4920), TwipsToDip(y)));
        dc.DrawLine(from, to);
    }
}

void ShowAboutBox()
{
    if (!theAboutBox)
        theAboutBox = new AboutTN;
    theAboutBox->Show();
    theAboutBox->Raise();
}

} // namespace tnews
