// The main window: the top row (drop-down, keyword box, Search, roll buttons), the browser pane
// below it and the menu bar. Its handlers forward to RegionSelection and the Help menu's
// functions; this class only builds the controls and shows their state.
#pragma once

#include "browser/form_frame.h"
#include "browser/webview_pane.h"
#include "directory/region_selection.h"
#include "tnews/build_config.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class wxButton;
class wxChoice;
class wxCommandEvent;
class wxMouseEvent;
class wxKeyEvent;
class wxPanel;
class wxTextCtrl;

namespace tnews
{

/// Makes the browser pane as a child of `parent` at `bounds`.
using PaneFactory =
    std::function<std::unique_ptr<BrowserPane>(wxWindow* parent, const TwipsRect& bounds)>;

struct Form1Options
{
    std::string programFolder;                     // where start.html and help.htm are
    std::string host = std::string(DirectoryHost); // the directory server
    PaneFactory makePane;                          // default: the platform's web engine
};

/// Menu command ids of the main window, for handlers and tests.
enum Form1MenuId : int
{
    kMenuCanada = wxID_HIGHEST + 1,
    kMenuUSA,
    kMenuInternationalNewspapers,
    kMenuHelp,
    kMenuUpdates,
    kMenuTaviOrlund,
};

class Form1 : public FormFrame
{
public:
    /// Creates the window, hidden; its first Show lays it out and shows the start page first.
    explicit Form1(Form1Options options);
    ~Form1() override;

    /// "c", "u" or "i" once a region has been chosen; empty before.
    const std::string& RegionCode() const { return m_selection->RegionCode(); }

    /// Puts `MehWnd` into the topmost band, above ordinary windows, for the rest of the run.
    static void UpTop(wxTopLevelWindow& MehWnd);

    // Handlers, named after their control and event.
    void Form_Load() override;
    void Combo1_Click();
    void KSearch_Click();
    void Text1_Click();
    void Text1_KeyPress(std::int16_t& KeyAscii);
    void RollUp_Click();
    void RollDown_Click();
    void Exit_Click();
    void Canada_Click();
    void USA_Click();
    void InternationalNewspapers_Click();
    void Help_Click();
    void Updates_Click();
    void TaviOrlund_Click();
    void About_Click();

private:
    wxMenuBar* CreateMenuBar();
    void Place(wxWindow* control, const TwipsRect& bounds);
    void SetClientHeight(float twips);
    void PlaceOnScreen();
    void ShowSelection();
    void OnMenu(wxCommandEvent& event);
    void OnText1Char(wxKeyEvent& event);
    void OnText1LeftDown(wxMouseEvent& event);
    void OnClose(wxCloseEvent& event);

    const Form1Options m_options;
    wxPanel* m_client;
    std::unique_ptr<BrowserPane> WebBrowser1;
    wxButton* KSearch;
    wxTextCtrl* Text1;
    wxChoice* Combo1;
    wxButton* RollUp;
    wxButton* RollDown;
    std::unique_ptr<RegionSelection> m_selection;
};

/// Ends the run at once: every window of the program closes and the event loop stops.
void EndRun();

} // namespace tnews
