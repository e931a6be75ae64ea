// The program's top-level windows as its design has them: each window's load handler runs once,
// when the window is first shown, before it becomes visible.
#pragma once

#include <wx/frame.h>

namespace tnews
{

class FormFrame : public wxFrame
{
public:
    using wxFrame::wxFrame;

    /// Shows the window; the first time, Form_Load runs first.
    bool Show(bool show = true) override
    {
        if (show && !m_loaded)
        {
            m_loaded = true;
            Form_Load();
        }
        return wxFrame::Show(show);
    }

    /// Lays the window out and fills it, once, before it is first shown.
    virtual void Form_Load() = 0;

private:
    bool m_loaded = false;
};

} // namespace tnews
