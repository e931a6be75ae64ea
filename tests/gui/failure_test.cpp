// An unexpected failure: the program shows its message in a message box and the run ends with
// a status other than 0. Runs the program's own application class in a process of its own,
// failing in an event handler (as a menu command, a choice or a button would) or, given
// "--deferred", in work queued for later.
#include "app/app.h"

#include <wx/frame.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

#include <cstdio>
#include <stdexcept>
#include <string>

namespace
{

// Answers every modal dialog at once, remembering what it said.
class DialogRecorder : public wxModalDialogHook
{
public:
    wxString messages;

protected:
    int Enter(wxDialog* dialog) override
    {
        if (auto* box = dynamic_cast<wxMessageDialog*>(dialog))
            messages += box->GetMessage();
        return wxID_OK;
    }
    void Exit(wxDialog*) override {}
};

DialogRecorder recorder;
bool deferred = false;

class FailingApp : public tnews::TnewsApp
{
public:
    bool OnInit() override
    {
        recorder.Register();
        auto* frame = new wxFrame(nullptr, wxID_ANY, "failing");
        frame->Show();
        const auto fail = [](wxCommandEvent&)
        { throw std::runtime_error("The pane has gone away."); };
        frame->Bind(wxEVT_MENU, fail);
        if (deferred)
            CallAfter([] { throw std::runtime_error("The pane has gone away."); });
        else
            CallAfter(
                [frame]
                {
                    // As the toolkit delivers a menu command.
                    wxCommandEvent command(wxEVT_MENU, wxID_ANY);
                    frame->GetEventHandler()->SafelyProcessEvent(command);
                });
        return true;
    }
};

} // namespace

wxIMPLEMENT_APP_NO_MAIN(FailingApp);

int main(int argc, char** argv)
{
    deferred = argc > 1 && std::string(argv[1]) == "--deferred";
    const int status = wxEntry(argc, argv);
    const bool shownOnce = recorder.messages == "The pane has gone away.";
    std::printf("status %d, message box %s\n", status,
                shownOnce ? "shown once" : "not as expected");
    return status != 0 && shownOnce ? 0 : 1;
}
