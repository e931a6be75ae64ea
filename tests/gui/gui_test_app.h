// The application the GUI tests run in: the program's start-up of the web engine, failures on
// the test output, and the tests as its run; and the fixture of a main window on the real engine.
#pragma once

#include "gui_support.h"

#include "browser/web_engine.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/log.h>

namespace tnews
{

class GuiTestApp : public wxApp
{
public:
    bool Initialize(int& count, wxChar** arguments) override
    {
        PrepareWebEngine(); // as the program does
        return wxApp::Initialize(count, arguments);
    }
    bool OnInit() override
    {
        // Messages go to the test output, not to message boxes that would wait for a click.
        delete wxLog::SetActiveTarget(new wxLogStderr);
        SetAppDisplayName("Tavi's Newspapers");
        return true;
    }
    int OnRun() override { return RUN_ALL_TESTS(); }
};

/// A main window on the real web engine; every window ends with the test.
class EngineTest : public testing::Test
{
protected:
    /// Shows a main window for the directory server at `host` and waits for its start page.
    void Open(
        const std::string& host, const std::string& folder = TNEWS_PROGRAM_FOLDER,
        DefaultBrowserLauncher openElsewhere = [](const std::string&) { return true; })
    {
        form = MakeEngineForm(host, folder, std::move(openElsewhere));
        form->Show();
        view = Find<wxWebView>(form, "WebBrowser1");
        ASSERT_TRUE(WaitForPageSource(view, "Find newspapers by place"))
            << ToUtf8(view->GetCurrentURL());
    }
    void TearDown() override
    {
        EndRun(); // the main window and any About box
        HandleEvents(std::chrono::milliseconds(50));
    }
    Form1* form = nullptr;
    wxWebView* view = nullptr;
};

} // namespace tnews
