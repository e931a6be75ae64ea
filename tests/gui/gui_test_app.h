// The application the GUI tests run in: the program's start-up of the web engine, failures on
// the test output, and the tests as its run.
#pragma once

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

} // namespace tnews
