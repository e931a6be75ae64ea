#include "app.h"

#include "form1.h"

#include "browser/utf8.h"
#include "browser/web_engine.h"

#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/stdpaths.h>

#include <exception>

namespace tnews
{
namespace
{

wxString CurrentExceptionMessage()
{
    try
    {
        throw;
    }
    catch (const std::exception& e)
    {
        return wxString::FromUTF8(e.what());
    }
    catch (...)
    {
        return "An unknown error occurred.";
    }
}

} // namespace

std::string ProgramFolder()
{
    const wxFileName executable(wxStandardPaths::Get().GetExecutablePath());
    return ToUtf8(executable.GetPath());
}

void Main()
{
    Form1Options options;
    options.programFolder = ProgramFolder();
    auto* form = new Form1(std::move(options));
    form->Show();
}

bool TnewsApp::Initialize(int& count, wxChar** arguments)
{
    PrepareWebEngine();
    return wxApp::Initialize(count, arguments);
}

bool TnewsApp::OnInit()
{
    SetAppName("tnews");
    SetAppDisplayName("Tavi's Newspapers");
    try
    {
        Start();
    }
    catch (...)
    {
        Fail(CurrentExceptionMessage());
        return false;
    }
    return true;
}

int TnewsApp::OnRun()
{
    const int status = wxApp::OnRun();
    return m_exitCode != 0 ? m_exitCode : status;
}

bool TnewsApp::OnExceptionInMainLoop()
{
    // Report it, then end the run in order: the loop stops and OnRun returns the status.
    Fail(CurrentExceptionMessage());
    ExitMainLoop();
    return true;
}

void TnewsApp::OnUnhandledException()
{
    Fail(CurrentExceptionMessage());
}

void TnewsApp::Fail(const wxString& message)
{
    m_exitCode = 1;
    wxMessageBox(message, GetAppDisplayName(), wxOK | wxICON_ERROR);
}

} // namespace tnews
