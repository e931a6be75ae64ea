# Shared by the scripts in scripts/: package installation and messages. Source it; don't run it.

tnews_die()
{
    echo "error: $*" >&2
    exit 1
}

# The Debian packages that building and running the program and its server need: compiler and
# build tools, wxWidgets with its web view, the server's HTTP (Boost.Beast), SQLite, ICU
# (collation) and zlib (compression) libraries, the catalogue tool's JSON, HTTP client and CSV
# libraries (the build runs it to make the server's catalogue; zlib reads a data set that comes
# gzipped), and fonts with the metrics of the window's design.
TNEWS_RUN_PACKAGES=(
    g++ cmake make pkg-config
    libwxgtk3.2-dev libwxgtk-webview3.2-dev libgtk-3-dev libwebkit2gtk-4.0-dev
    libboost-dev libsqlite3-dev libicu-dev zlib1g-dev
    nlohmann-json3-dev libcurl4-openssl-dev libcsv-dev
    fonts-dejavu-core fonts-liberation2
)

# What the tests add: GoogleTest, cpp-httplib for the loopback servers and clients of the tests
# and benchmarks, openssl for the catalogue tool's test certificate, nginx and curl for the
# replicas behind a proxy, a virtual display with a window manager and input for the GUI tests,
# clang with its fuzzing runtime for scripts/fuzz, and the validators and tools of the packaging
# tests and scripts/screenshots.
TNEWS_PACKAGES=(
    "${TNEWS_RUN_PACKAGES[@]}"
    libgtest-dev libcpp-httplib-dev openssl nginx curl
    xvfb xauth x11-utils openbox imagemagick xdotool
    clang libclang-rt-14-dev
    desktop-file-utils appstream systemd groff-base dpkg-dev strace
)

# The build settings scripts/run and scripts/test share, so that one build folder serves both:
# the tests only add targets (-DTNEWS_BUILD_TESTS=ON) and rebuild nothing of the program.
TNEWS_BUILD_OPTIONS=(-DTNEWS_WERROR=ON)

# The Windows build (scripts/cross-windows): the mingw-w64 cross compiler with POSIX threads,
# GoogleTest's source to build for it, Wine to run the result, the installer compiler, and
# icoutils to read the program's resources back.
TNEWS_WINDOWS_PACKAGES=(
    g++-mingw-w64-x86-64-posix googletest wine wine64 nsis icoutils dpkg-dev
)

# The sanitizer build's settings for a run (build-asan, -DTNEWS_SANITIZE=ON): any finding stops
# the process, so the test that meets it fails; leaks of libraries outside the project that the
# suppressions name are left out.
tnews_sanitizer_options()
{
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export LSAN_OPTIONS=suppressions=$TNEWS_ROOT/tests/lsan.supp
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
}

# Installs those of the given Debian packages that are missing, with sudo when not root. Fails
# with a message that names the packages when it can't.
tnews_require_packages()
{
    local missing=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}\n' "$pkg" 2>/dev/null | grep -q '^install ok installed$' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    command -v apt-get >/dev/null ||
        tnews_die "these Debian packages are missing and there is no apt-get: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null ||
            tnews_die "not root and no sudo; as root run: apt-get install ${missing[*]}"
        sudo=(sudo)
    fi
    echo "Installing missing packages: ${missing[*]}" >&2
    "${sudo[@]}" apt-get update -qq ||
        tnews_die "apt-get update failed; can't install: ${missing[*]}"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" ||
        tnews_die "apt-get install failed for: ${missing[*]}"
}

# Configures and builds the project in the given folder with every core.
tnews_build()
{
    local dir=$1
    shift
    cmake -S "$TNEWS_ROOT" -B "$dir" "$@" >/dev/null || tnews_die "cmake configure failed in $dir"
    cmake --build "$dir" -j "$(nproc)" || tnews_die "build failed in $dir"
}

TNEWS_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
