// Start-up and the application object.
#pragma once

#include <wx/app.h>

#include <string>

namespace tnews
{

/// The folder the program runs from (its real path, links resolved), where start.html and
/// help.htm are.
std::string ProgramFolder();

/// The program's entry: creates the main window and shows it; the run goes on in the event loop.
void Main();

class TnewsApp : public wxApp
{
public:
    bool Initialize(int& count, wxChar** arguments) override;
    bool OnInit() override;
    int OnRun() override;
    bool OnExceptionInMainLoop() override;
    void OnUnhandledException() override;

protected:
    /// Makes and shows the program's first window, as Main() does; a test program may show its
    /// own.
    virtual void Start() { Main(); }

private:
    // An unexpected failure: its message in a message box, then the run ends with status 1.
    void Fail(const wxString& message);

    int m_exitCode = 0;
};

} // namespace tnews
