# The Windows build, cross-compiled here with cmake/mingw-w64-x86_64.cmake (preset "windows"):
# wxWidgets for Windows from scripts/cross-windows, GoogleTest built from source for the target,
# and the test programs run under Wine.

if(CMAKE_VERSION VERSION_LESS 3.25)
    message(FATAL_ERROR "The build for Windows needs CMake 3.25 or later")
endif()

# The version as the program file and the installer give it: padded fields (6.01.0003), as
# Windows programs show them, and the four numbers of the binary version (6.1.0.3).
string(LENGTH "${PROJECT_VERSION_MINOR}" minor_digits)
string(LENGTH "${PROJECT_VERSION_PATCH}" patch_digits)
math(EXPR minor_zeros "2 - ${minor_digits}")
math(EXPR patch_zeros "4 - ${patch_digits}")
string(REPEAT "0" ${minor_zeros} minor_pad)
string(REPEAT "0" ${patch_zeros} patch_pad)
set(TNEWS_PADDED_VERSION
    "${PROJECT_VERSION_MAJOR}.${minor_pad}${PROJECT_VERSION_MINOR}.${patch_pad}${PROJECT_VERSION_PATCH}")
set(TNEWS_VERSION_QUAD "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.${PROJECT_VERSION_PATCH}")

set(TNEWS_WX_MSW "$ENV{TNEWS_WX_MSW}" CACHE PATH
    "wxWidgets built for Windows by scripts/cross-windows (the folder it prints)")
if(NOT TNEWS_WX_MSW OR NOT EXISTS "${TNEWS_WX_MSW}/bin/wx-config")
    message(FATAL_ERROR "No wxWidgets for Windows at TNEWS_WX_MSW='${TNEWS_WX_MSW}'. Run "
                        "scripts/cross-windows, which builds it once and prints its folder, and "
                        "pass that: -DTNEWS_WX_MSW=<folder> (or TNEWS_WX_MSW=<folder> in the "
                        "environment for the preset).")
endif()
set(wxWidgets_CONFIG_EXECUTABLE "${TNEWS_WX_MSW}/bin/wx-config" CACHE FILEPATH "" FORCE)
# Its headers are found as the target's, inside a root of the target's tree.
list(APPEND CMAKE_FIND_ROOT_PATH ${TNEWS_WX_MSW})

# The pane's engine: the browser component built into Windows, as designed. The newer Edge
# engine needs wxWidgets built with the WebView2 SDK, which Debian doesn't ship; with it, turn
# this on to use that engine instead.
option(TNEWS_WEBVIEW_EDGE "Show pages with the Edge (WebView2) engine instead of the built-in one"
       OFF)

# Debian ships GoogleTest as source for building it with the code under test; the build for
# Windows compiles it with the cross compiler.
set(TNEWS_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest's source (Debian googletest)")
if(TNEWS_BUILD_TESTS)
    if(NOT EXISTS "${TNEWS_GTEST_SOURCE}/CMakeLists.txt")
        message(FATAL_ERROR "No GoogleTest source at ${TNEWS_GTEST_SOURCE} (Debian package googletest)")
    endif()
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    add_subdirectory(${TNEWS_GTEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL
                     SYSTEM)
    set(GTest_FOUND TRUE) # its targets GTest::gtest and GTest::gtest_main

    # ctest runs the test programs under Wine, in a Wine prefix of the build folder's own.
    set(TNEWS_WINEPREFIX ${PROJECT_BINARY_DIR}/wine)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tests/windows/wine-run
        ${TNEWS_WINEPREFIX})
endif()
