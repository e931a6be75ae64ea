// The program writes no file: its own run, the web engine and the toolkit included. Runs in a
// process of its own whose home and data folders are empty temporary ones, set before the
// toolkit starts.
#include "gui_test_app.h"

#include "test_server.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace tnews
{
namespace
{

namespace fs = std::filesystem;

fs::path home;

std::vector<std::string> FilesUnder(const fs::path& folder)
{
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (!entry.is_directory())
            files.push_back(entry.path().string());
    return files;
}

using NoFilesTest = EngineTest;
TEST_F(NoFilesTest, BrowsingWritesNothing)
{
    server::testing::TestServer server;
    Open(server.Host());
    SendMenu(form, kMenuUSA);
    Choose(form, 45);
    EXPECT_TRUE(WaitForPageSource(view, "Houston Chronicle"));
    form->Updates_Click();
    EXPECT_TRUE(WaitForPageSource(view, "current version"));
    form->About_Click();
    HandleEvents();
    EndRun();
    HandleEvents();

    EXPECT_EQ(FilesUnder(home), std::vector<std::string>{});
}

} // namespace
} // namespace tnews

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    // Everywhere the toolkit and the engine would keep something, before either starts. The
    // runtime folder is the session's sockets, which a desktop always provides.
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("tnews-files-" + std::to_string(getpid()));
    tnews::home = root / "home";
    fs::create_directories(tnews::home);
    fs::create_directories(root / "runtime");
    fs::permissions(root / "runtime", fs::perms::owner_all);
    setenv("HOME", tnews::home.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);
    for (const char* variable :
         {"XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
        unsetenv(variable);
    wxApp::SetInstance(new tnews::GuiTestApp);
    const int status = wxEntry(argc, argv);
    fs::remove_all(root);
    return status;
}
