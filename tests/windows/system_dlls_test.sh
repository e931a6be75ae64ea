#!/usr/bin/env bash
# Checks that each program needs only DLLs that come with Windows itself, so a program file runs
# without the compiler's runtime or wxWidgets beside it.
#   system_dlls_test.sh <objdump> <program.exe>...
set -euo pipefail
objdump=$1
shift
# Windows' own DLLs that wxWidgets and the runtime link to; msvcrt.dll is the C runtime that
# ships with every Windows.
allowed=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll gdiplus.dll imm32.dll kernel32.dll
    msimg32.dll msvcrt.dll ole32.dll oleacc.dll oleaut32.dll rpcrt4.dll shell32.dll shlwapi.dll
    urlmon.dll user32.dll uxtheme.dll version.dll winmm.dll winspool.drv ws2_32.dll "
allowed=$(tr -s ' \n' ' ' <<<"$allowed")
failures=0
for exe in "$@"; do
    dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
    [ -n "$dlls" ] || { echo "FAIL: $exe imports no DLL at all: not a program?" >&2; failures=1; }
    for dll in $dlls; do
        case "$allowed" in
        *" $dll "*) ;;
        *) echo "FAIL: $(basename "$exe") needs $dll, which doesn't come with Windows" >&2
           failures=1 ;;
        esac
    done
    echo "$(basename "$exe"):" $dlls
done
exit $failures
