// Runs the GUI tests inside a wx application, on the display that DISPLAY names.
#include "gui_test_app.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests (CTest does so to find them) needs no display.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    wxApp::SetInstance(new tnews::GuiTestApp);
    return wxEntry(argc, argv);
}
