// The About box: the program's name, version and purpose, and the publisher's legal notice.
#pragma once

#include "browser/form_frame.h"

namespace tnews
{

class AboutTN : public FormFrame
{
public:
    /// Creates the box, hidden. It has no owner and no place in the task bar; its first Show
    /// fills its texts and centres it on the screen.
    AboutTN();

    void Form_Load() override;
    void Command1_Click();

private:
    void OnPaint(wxPaintEvent& event);

    wxWindow* m_client;
};

/// Help, About: shows the one About box, loading it first if it is not loaded; brings it
/// forward if it is already visible.
void ShowAboutBox();

} // namespace tnews
