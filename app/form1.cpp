#include "form1.h"

#include "form1_design.h"
#include "native_style.h"
#include "roll_caption.h"

#include "browser/local_files.h"
#include "browser/twips.h"
#include "browser/utf8.h"
#include "browser/window_placement.h"
#include "info/about_box.h"
#include "info/help_menu.h"
#include "info/program_icon.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/display.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/textctrl.h>

namespace tnews
{
namespace
{

// A fixed frame with minimize and close but no maximize button.
constexpr long kFrameStyle = wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxCLOSE_BOX;

PaneFactory WebEnginePane(const std::string& host)
{
    return [host](wxWindow* parent, const TwipsRect& bounds) -> std::unique_ptr<BrowserPane>
    { return MakeEnginePane(parent, bounds, host, SystemDefaultBrowser()); };
}

} // namespace

Form1::Form1(Form1Options options)
    : FormFrame(nullptr, wxID_ANY, "Form1", wxDefaultPosition, wxDefaultSize, kFrameStyle, "Form1"),
      m_options(std::move(options))
{
    SetIcons(ProgramIcons());
    SetMenuBar(CreateMenuBar());
    KeepMenuBarFromSticking(GetMenuBar());
    m_client = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
                           "Form1Client");
    UseCompactControls(m_client);

    // Creation order is the tab order: the pane, Search, the keyword box, the drop-down, then
    // the roll buttons.
    const PaneFactory& makePane =
        m_options.makePane ? m_options.makePane : WebEnginePane(m_options.host);
    WebBrowser1 = makePane(m_client, form1::kWebBrowser1);
    KSearch = new wxButton(m_client, wxID_ANY, "Search", wxDefaultPosition, wxDefaultSize, 0,
                           wxDefaultValidator, "KSearch");
    Text1 = new wxTextCtrl(m_client, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0,
                           wxDefaultValidator, "Text1");
    Combo1 = new wxChoice(m_client, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, nullptr, 0,
                          wxDefaultValidator, "Combo1");
    RollUp = new wxButton(m_client, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                          wxBU_EXACTFIT, wxDefaultValidator, "RollUp");
    RollDown = new wxButton(m_client, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                            wxBU_EXACTFIT, wxDefaultValidator, "RollDown");
    SetRollCaption(RollUp, true);
    SetRollCaption(RollDown, false);

    Place(Combo1, form1::kCombo1);
    Place(Text1, form1::kText1);
    Place(KSearch, form1::kKSearch);
    Place(RollUp, form1::kRollUp);
    Place(RollDown, form1::kRollDown);
    Text1->Disable();
    KSearch->Disable();
    SetClientSize(
        FromDIP(wxSize(TwipsToDip(form1::kClientWidth), TwipsToDip(form1::kClientHeight))));

    m_selection = std::make_unique<RegionSelection>(
        PaneCalls{[this](const std::string& path) { WebBrowser1->Navigate2(path); },
                  [this](const std::string& urlOrPath) { WebBrowser1->Navigate(urlOrPath); }},
        ProgramFilePath(m_options.programFolder, "start.html"), m_options.host);

    Combo1->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { Combo1_Click(); });
    KSearch->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { KSearch_Click(); });
    RollUp->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { RollUp_Click(); });
    RollDown->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { RollDown_Click(); });
    Text1->Bind(wxEVT_TEXT,
                [this](wxCommandEvent&) { m_selection->EditKeywords(ToUtf8(Text1->GetValue())); });
    Text1->Bind(wxEVT_CHAR, &Form1::OnText1Char, this);
    Text1->Bind(wxEVT_LEFT_DOWN, &Form1::OnText1LeftDown, this);
    Bind(wxEVT_MENU, &Form1::OnMenu, this);
    Bind(wxEVT_CLOSE_WINDOW, &Form1::OnClose, this);
}

Form1::~Form1() = default;

wxMenuBar* Form1::CreateMenuBar()
{
    auto* file = new wxMenu;
    file->Append(wxID_EXIT, "E&xit");

    auto* region = new wxMenu;
    region->Append(kMenuCanada, "&Canadian Newspapers");
    region->Append(kMenuUSA, "&USA Newspapers");
    region->Append(kMenuInternationalNewspapers, "&International Newspapers");

    auto* help = new wxMenu;
    help->Append(kMenuHelp, "&Help");
    help->AppendSeparator();
    help->Append(kMenuUpdates, "&Updates");
    help->Append(kMenuTaviOrlund, "&Tavi Orlund Website");
    help->AppendSeparator();
    help->Append(wxID_ABOUT, "&About");

    auto* bar = new wxMenuBar;
    bar->Append(file, "&File");
    bar->Append(region, "&Region");
    bar->Append(help, "&Help");
    return bar;
}

void Form1::Place(wxWindow* control, const TwipsRect& bounds)
{
    control->SetSize(TwipsToPixels(m_client, bounds));
}

void Form1::SetClientHeight(float twips)
{
    const wxSize client = GetClientSize();
    SetClientSize(client.x, FromDIP(TwipsToDip(twips)));
}

void Form1::ShowSelection()
{
    const bool enabled = m_selection->SearchEnabled();
    Text1->Enable(enabled);
    KSearch->Enable(enabled);

    const std::vector<std::string>& entries = m_selection->Entries();
    bool same = Combo1->GetCount() == entries.size();
    for (unsigned i = 0; same && i < entries.size(); ++i)
        same = ToUtf8(Combo1->GetString(i)) == entries[i];
    if (!same)
    {
        wxArrayString items;
        for (const std::string& entry : entries)
            items.Add(FromUtf8(entry));
        Combo1->Set(items);
    }
    Combo1->SetSelection(m_selection->Selection());

    const wxString keywords = FromUtf8(m_selection->Keywords());
    if (Text1->GetValue() != keywords)
        Text1->ChangeValue(keywords);
}

void Form1::Form_Load()
{
    using namespace form1;
    UpTop(*this);
    SetClientSize(
        FromDIP(wxSize(TwipsToDip(kClientWidth), TwipsToDip(ClientHeightFor(kRolledDownHeight)))));

    PlaceByFrame(this, [this] { PlaceOnScreen(); });
    SetTitle(wxTheApp->GetAppDisplayName());

    const float text1Height = kText1.height;
    Place(Combo1, {0, 0, kCombo1Width, kCombo1.height});
    Place(KSearch, {kWidth - kKSearchFromRight, kKSearch.top, kKSearchWidth,
                    text1Height + kKSearchExtraHeight});
    Place(Text1, {kCombo1Width + kText1Gap, kText1Top, kText1Width, text1Height});
    WebBrowser1->Top(kCombo1.height + kPaneGap);
    Place(RollUp, {kRollUp.left, kRollUp.top, kRollButtonSize, kRollButtonSize});
    Place(RollDown, {kRollDown.left, kRollDown.top, kRollButtonSize, kRollButtonSize});

    m_selection->Start();
    ShowSelection();
}

void Form1::PlaceOnScreen()
{
    // Against the right edge of the screen the window starts on, by its outer width.
    const int display = wxDisplay::GetFromWindow(this);
    const wxRect screen = wxDisplay(display == wxNOT_FOUND ? 0 : display).GetGeometry();
    const float screenWidth = static_cast<float>(DipToTwips(ToDIP(screen.width)));
    const float width = static_cast<float>(DipToTwips(ToDIP(GetSize().x)));
    const wxPoint position(screen.x + FromDIP(TwipsToDip(form1::WindowLeft(screenWidth, width))),
                           screen.y + FromDIP(TwipsToDip(form1::kTop)));
    Move(position);
}

void Form1::UpTop(wxTopLevelWindow& MehWnd)
{
    MehWnd.SetWindowStyleFlag(MehWnd.GetWindowStyleFlag() | wxSTAY_ON_TOP);
}

void Form1::Combo1_Click()
{
    m_selection->ChooseEntry(Combo1->GetSelection());
}

void Form1::KSearch_Click()
{
    m_selection->Search();
}

void Form1::Text1_Click()
{
    if (m_selection->ClickKeywords())
        Text1->ChangeValue(FromUtf8(m_selection->Keywords()));
}

void Form1::Text1_KeyPress(std::int16_t& KeyAscii)
{
    if (KeyAscii == 13)
        KSearch_Click();
}

void Form1::RollUp_Click()
{
    SetClientHeight(form1::ClientHeightFor(form1::kRolledUpHeight));
}

void Form1::RollDown_Click()
{
    SetClientHeight(form1::ClientHeightFor(form1::kRolledDownHeight));
}

void Form1::Exit_Click()
{
    EndRun();
}

void Form1::Canada_Click()
{
    m_selection->ChooseRegion("c");
    ShowSelection();
}

void Form1::USA_Click()
{
    m_selection->ChooseRegion("u");
    ShowSelection();
}

void Form1::InternationalNewspapers_Click()
{
    m_selection->ChooseRegion("i");
    ShowSelection();
}

void Form1::Help_Click()
{
    ShowHelpPage(*WebBrowser1, m_options.programFolder);
}

void Form1::Updates_Click()
{
    CheckForUpdates(*WebBrowser1, m_options.host);
}

void Form1::TaviOrlund_Click()
{
    OpenPublisherWebsite(*WebBrowser1, m_options.host);
}

void Form1::About_Click()
{
    ShowAboutBox();
}

void Form1::OnMenu(wxCommandEvent& event)
{
    switch (event.GetId())
    {
    case wxID_EXIT:
        Exit_Click();
        break;
    case kMenuCanada:
        Canada_Click();
        break;
    case kMenuUSA:
        USA_Click();
        break;
    case kMenuInternationalNewspapers:
        InternationalNewspapers_Click();
        break;
    case kMenuHelp:
        Help_Click();
        break;
    case kMenuUpdates:
        Updates_Click();
        break;
    case kMenuTaviOrlund:
        TaviOrlund_Click();
        break;
    case wxID_ABOUT:
        About_Click();
        break;
    default:
        event.Skip();
    }
}

void Form1::OnText1Char(wxKeyEvent& event)
{
    // The key goes on to the box's own handling afterwards, as it would without a handler.
    const int code = event.GetKeyCode();
    std::int16_t keyAscii = code == WXK_RETURN || code == WXK_NUMPAD_ENTER
                                ? std::int16_t{13}
                                : static_cast<std::int16_t>(event.GetUnicodeKey());
    Text1_KeyPress(keyAscii);
    event.Skip();
}

void Form1::OnText1LeftDown(wxMouseEvent& event)
{
    Text1_Click();
    event.Skip();
}

void Form1::OnClose(wxCloseEvent& /*event*/)
{
    // Closing the main window ends the run, whatever other window is still open.
    EndRun();
}

void EndRun()
{
    const wxWindowList windows = wxTopLevelWindows; // Destroy() may change the list
    for (wxWindow* window : windows)
        window->Destroy();
    wxTheApp->ExitMainLoop();
}

} // namespace tnews
