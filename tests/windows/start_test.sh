#!/usr/bin/env bash
# Starts tnews.exe under Wine on the virtual display (scripts/with-display) and checks its
# window, through Windows' own view of it (window_probe.exe) and the X side: title, client size,
# menu bar and icon, the roll buttons' captions, the pane's message where no page engine exists,
# a Region choice still filling the drop-down, and File, Exit typed on the keyboard ending the
# run cleanly. The screenshot is taken once the window is up.
#   start_test.sh <wine-run> <wine prefix> <tnews.exe> <window_probe.exe> <screenshot.png>
set -euo pipefail
wine_run=$1 prefix=$(realpath -m "$2") program=$3 probe=$4 screenshot=$5
title="Tavi's Newspapers"
[ -n "${DISPLAY:-}" ] || { echo "needs a display: run it under scripts/with-display" >&2; exit 1; }

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# Compares one key=value line of a probe's report with what is expected.
expect() {
    local report=$1 key=$2 want=$3 got
    got=$(grep -m1 "^$key=" <<<"$report" | cut -d= -f2- || true)
    [ "$got" = "$want" ] || fail "$key: want '$want', got '$got'"
}
probe() { timeout 60 "$wine_run" "$prefix" "$probe" "$title" 30 | tr -d '\r'; }

timeout 120 "$wine_run" "$prefix" "$program" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

report=$(probe) || { echo "FAIL: no window titled \"$title\"" >&2; exit 1; }
echo "$report"
# 7320 x 2625 twips at 15 twips to the pixel, at Wine's 96 dots per inch.
expect "$report" dpi 96
expect "$report" client 488x175
expect "$report" topmost yes
expect "$report" edit-enabled no
expect "$report" combo-count 1
# Wine's own "Wingdings" lacks the two arrows (0xF1, 0xF2), so the stand-ins are shown; with
# the real font, as on Windows, the captions would be U+F0F1 and U+F0F2.
[ "$(grep '^symbol-button=' <<<"$report" | tr '\n' ' ')" = \
    "symbol-button=U+21E7 symbol-button=U+21E9 " ] || fail "the roll buttons' captions"
grep -q "^static=Pages can't be shown here" <<<"$report" || fail "no message in the pane's place"

# The X window holds what Wine draws itself: the menu bar above the client area.
window=$(xdotool search --sync --limit 1 --name "^$title\$")
size=$(xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: //p')
menu_height=$(grep -m1 '^menu-height=' <<<"$report" | cut -d= -f2)
[ "$size" = "488x$((175 + menu_height))" ] || fail "no menu bar over the client area: $size"
# The program's icon, in the two sizes Windows asks for, handed to the window manager.
icon=$(xprop -id "$window" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' ')
[ "$icon" = "Icon (32 x 32) Icon (16 x 16) " ] || fail "icons: $icon"

# The keyboard works through the window system, as a user's would.
xdotool windowactivate --sync "$window"
sleep 0.5
import -window root "$screenshot"

# Region, USA Newspapers: the rest of the window works without a page engine.
xdotool key --clearmodifiers alt+r
sleep 0.5
xdotool key u
sleep 1
report=$(probe)
expect "$report" edit-enabled yes
expect "$report" combo-count 53

xdotool key --clearmodifiers alt+f
sleep 0.5
xdotool key x
status=0
for _ in $(seq 200); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    fail "File, Exit did not end the run within 20 s"
else
    wait "$pid" || status=$?
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
fi

[ "$failures" -eq 0 ] || exit 1
echo "started, showed its window and ended on File, Exit"
