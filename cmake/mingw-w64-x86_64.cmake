# Cross-compiling for 64-bit Windows with Debian's mingw-w64 compilers (POSIX threads variant,
# for std::thread and friends). Used by the "windows" preset; see scripts/cross-windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TNEWS_MINGW_HOST x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TNEWS_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TNEWS_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${TNEWS_MINGW_HOST}-windres)

# Libraries and headers come from the target's tree only; programs run here.
set(CMAKE_FIND_ROOT_PATH /usr/${TNEWS_MINGW_HOST})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program carries its C and C++ runtimes and the threads library, so it runs without the
# compiler's DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
