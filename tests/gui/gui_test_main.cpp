// Runs the GUI tests inside a wx application, on the display that DISPLAY names.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/log.h>

#include "browser/web_engine.h"

namespace
{

class GuiTestApp : public wxApp
{
public:
    bool Initialize(int& count, wxChar** arguments) override
    {
        tnews::PrepareWebEngine(); // as the program does
        return wxApp::Initialize(count, arguments);
    }
    bool OnInit() override
    {
        // Failures go to the test output, not to message boxes that would wait for a click.
        delete wxLog::SetActiveTarget(new wxLogStderr);
        SetAppDisplayName("Tavi's Newspapers");
        return true;
    }
    int OnRun() override { return RUN_ALL_TESTS(); }
};

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests (CTest does so to find them) needs no display.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    wxApp::SetInstance(new GuiTestApp);
    return wxEntry(argc, argv);
}
