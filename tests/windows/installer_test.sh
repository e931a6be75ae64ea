#!/usr/bin/env bash
# Installs the program with its installer, silently, for the user of a Wine prefix; checks the
# files, the Start-menu entry and the entry among installed programs; then uninstalls it and
# checks that all of them are gone.
#   installer_test.sh <wine-run> <wine prefix> <setup.exe>
set -euo pipefail
wine_run=$1 prefix=$(realpath -m "$2") setup=$3
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\TavisNewspapers'
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
wine_() { timeout 60 "$wine_run" "$prefix" "$@" | tr -d '\r'; }

# The user's folders, as Windows names them, on the Linux side.
user_folder() { winepath_ "$(wine_ cmd /c echo "%$1%")"; }
winepath_() { WINEPREFIX=$prefix WINEDEBUG=-all winepath -u "$1" 2>/dev/null; }
programs=$(user_folder LOCALAPPDATA)/Programs
folder="$programs/Tavi's Newspapers"
shortcut="$(user_folder APPDATA)/Microsoft/Windows/Start Menu/Programs/Tavi's Newspapers.lnk"
# A run cut short earlier may have left its install behind.
rm -rf "$folder" "$shortcut"
wine_ reg delete "$key" /f >/dev/null 2>&1 || true

wine_ "$setup" /S || fail "the installer failed"
for file in tnews.exe start.html help.htm LICENSE.txt uninstall.exe; do
    [ -f "$folder/$file" ] || fail "not installed: $file"
done
[ -f "$shortcut" ] || fail "no Start-menu entry"
entry=$(wine_ reg query "$key" || true)
for value in "DisplayName.*Tavi's Newspapers" "DisplayVersion.*6\.01\.0003" \
    "Publisher.*Tavi Orlund" "UninstallString.*uninstall\.exe"; do
    grep -q "$value" <<<"$entry" || fail "installed programs' entry lacks $value"
done

# The document mode the program sets for itself when it first starts goes with it.
emulation='HKCU\Software\Microsoft\Internet Explorer\Main\FeatureControl\FEATURE_BROWSER_EMULATION'
wine_ reg add "$emulation" /v tnews.exe /t REG_DWORD /d 11001 /f >/dev/null 2>&1 ||
    fail "could not set the document mode value"

# The uninstaller copies itself away and removes the install from there, after this returns.
wine_ "$folder/uninstall.exe" /S || fail "the uninstaller failed"
for _ in $(seq 100); do
    [ ! -e "$folder" ] && break
    sleep 0.2
done
[ ! -e "$folder" ] || fail "left behind: $(ls "$folder" | tr '\n' ' ')"
[ ! -e "$shortcut" ] || fail "the Start-menu entry is left behind"
if wine_ reg query "$key" >/dev/null 2>&1; then
    fail "the installed programs' entry is left behind"
fi
if wine_ reg query "$emulation" /v tnews.exe >/dev/null 2>&1; then
    fail "the document mode value is left behind"
fi

[ "$failures" -eq 0 ] || exit 1
echo "installed, registered and removed again"
