#!/usr/bin/env bash
# Starts tnews.exe under Wine on the virtual display (scripts/with-display) and checks its window
# through Windows' own view of it (window_probe.exe) and the X side: title, client size, menu bar,
# icon and the pane's message where no page engine exists; the browser component's document mode
# asked for the program; then File, Exit typed on the keyboard ends the run cleanly. The
# screenshot is taken once the window is up. With --plain, Wine runs as it comes (wine-run): its
# own browser component without a page engine, and no Wingdings.
#   start_test.sh <wine-run> <wine prefix> <tnews.exe> <window_probe.exe> <screenshot.png>
#                 [--plain]
set -euo pipefail
wine_run=$1 prefix=$(realpath -m "$2") program=$3 probe=$4 screenshot=$5 setup=(${6:-})
title="Tavi's Newspapers"
[ -n "${DISPLAY:-}" ] || { echo "needs a display: run it under scripts/with-display" >&2; exit 1; }
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# The program sets its own document mode, in a key a fresh profile lacks.
emulation='HKCU\Software\Microsoft\Internet Explorer\Main\FeatureControl\FEATURE_BROWSER_EMULATION'
timeout 60 "$wine_run" "${setup[@]}" "$prefix" reg delete "$emulation" /f >/dev/null 2>&1 || true

timeout 120 "$wine_run" "${setup[@]}" "$prefix" "$program" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
report=$(timeout 60 "$wine_run" "${setup[@]}" "$prefix" "$probe" | tr -d '\r') ||
    { echo "FAIL: no window titled \"$title\"" >&2; exit 1; }
echo "$report"
value() { grep -m1 "^$1=" <<<"$report" | cut -d= -f2- || true; }
# 7320 x 2625 twips at 15 twips to the pixel, at Wine's 96 dots per inch.
[ "$(value client) at $(value dpi) dpi" = "488x175 at 96 dpi" ] ||
    fail "client area: $(value client) at $(value dpi) dpi"
grep -q "^static=Pages can't be shown here" <<<"$report" || fail "no message in the pane's place"
# IE 11's document mode (11001), for this program under its own name.
mode=$(timeout 60 "$wine_run" "${setup[@]}" "$prefix" reg query "$emulation" /v tnews.exe |
    tr -d '\r' || true)
grep -q "tnews.exe *REG_DWORD *0x2af9" <<<"$mode" || fail "no IE 11 document mode: $mode"

# The X window holds what Wine draws itself: the menu bar above the client area.
window=$(xdotool search --sync --limit 1 --name "^$title\$")
size=$(xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: //p')
[ "$size" = "488x$((175 + $(value menu-height)))" ] || fail "no menu bar over the client area: $size"
# The program's icon, in the two sizes Windows asks for, handed to the window manager.
icon=$(xprop -id "$window" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' ')
[ "$icon" = "Icon (32 x 32) Icon (16 x 16) " ] || fail "icons: $icon"

# File, Exit on the keyboard, through the window system as a user's would.
xdotool windowactivate --sync "$window"
sleep 0.5
import -window root "$screenshot"
xdotool key --clearmodifiers alt+f
sleep 0.5
xdotool key x
for _ in $(seq 200); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    fail "File, Exit did not end the run within 20 s"
else
    wait "$pid" || fail "the program ended with status $?"
fi

[ "$failures" -eq 0 ] || exit 1
echo "started, showed its window and ended on File, Exit"
