// The floor of the start-up benchmark: the cheapest window with the platform's web view that
// shows the same start.html, from the folder the program runs in.
#include <wx/app.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/stdpaths.h>
#include <wx/webview.h>

class FloorApp : public wxApp
{
public:
    bool OnInit() override
    {
        auto* frame = new wxFrame(nullptr, wxID_ANY, "Floor", wxDefaultPosition, wxSize(490, 221));
        const wxFileName page(wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetPath(),
                              "start.html");
        wxWebView::New(frame, wxID_ANY, wxFileName::FileNameToURL(page));
        frame->Show();
        return true;
    }
};

wxIMPLEMENT_APP(FloorApp);
