#!/usr/bin/env bash
# Starts the installed program through its link in PREFIX/bin and watches (strace) that it opens
# the start page of its installed folder, PREFIX/lib/tnews. Needs a display: run it under
# scripts/with-display.
#   installed_program_test.sh PREFIX
source "$(dirname "$0")/lib.sh"
prefix=$1
page=$prefix/lib/tnews/start.html
[ -n "${DISPLAY:-}" ] || fail "no DISPLAY; run this under scripts/with-display"
work=$(mktemp -d)
program=
finish()
{
    if [ -n "$program" ]; then kill "$program" 2>/dev/null || true; fi
    # The web engine's processes end with the program; strace ends with the last of them.
    for _ in $(seq 100); do
        kill -0 "$tracer" 2>/dev/null || break
        sleep 0.1
    done
    kill "$tracer" 2>/dev/null || true
    wait "$tracer" 2>/dev/null || true
    rm -rf "$work"
}

# The page is read by one of the web engine's processes, so follow them all.
strace -f -qq -e trace=openat -e signal=none -o "$work/trace" "$prefix/bin/tnews" \
    >"$work/log" 2>&1 &
tracer=$!
trap finish EXIT
for _ in $(seq 300); do
    [ -z "$program" ] && [ -s "$work/trace" ] && program=$(head -n 1 "$work/trace" | cut -d' ' -f1)
    grep -qE "openat\(AT_FDCWD, \"$page\", [^)]*\) = [0-9]+$" "$work/trace" 2>/dev/null && break
    kill -0 "$tracer" 2>/dev/null || fail "tnews stopped before opening $page: $(cat "$work/log")"
    sleep 0.1
done
grep -qE "openat\(AT_FDCWD, \"$page\", [^)]*\) = [0-9]+$" "$work/trace" ||
    fail "tnews did not open $page within 30 s; it opened: $(grep -E 'start\.html' "$work/trace")"
echo "ok: the installed tnews opened $page"
