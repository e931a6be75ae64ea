// The About box: the program's name, version and purpose, and the publisher's legal notice.
#pragma once

#include <wx/frame.h>

namespace tnews
{

class AboutTN : public wxFrame
{
public:
    /// Creates the box, hidden. It has no owner and no place in the task bar.
    AboutTN();

    /// Shows the box; the first time, Form_Load fills its texts and centres it on the screen.
    bool Show(bool show = true) override;

    void Form_Load();
    void Command1_Click();

private:
    void OnPaint(wxPaintEvent& event);

    bool m_loaded = false;
    wxWindow* m_client;
};

/// Help, About: shows the one About box, loading it first if it is not loaded; brings it
/// forward if it is already visible.
void ShowAboutBox();

} // namespace tnews
