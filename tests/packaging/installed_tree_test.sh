#!/usr/bin/env bash
# Installs the build into a fresh prefix (the other packaging tests use it) and checks the tree:
# exactly the expected files, the link to the program, the icon sizes, the prefix written into
# the service and the metainfo's release, and that the installed server finds its catalogue.
#   installed_tree_test.sh BUILD_DIR PREFIX APP_ID VERSION
source "$(dirname "$0")/lib.sh"
build=$1 prefix=$2 id=$3 version=$4

rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 ||
    fail "cmake --install failed: $(cat "$prefix.log")"

sizes="16 32 48 128 256"
expected=$(grep -v "^$" <<EOF2 | sort
bin/tnews
bin/tnews-server
lib/systemd/system/tnews-server.service
lib/tnews/help.htm
lib/tnews/start.html
lib/tnews/tnews
share/applications/$id.desktop
$(for size in $sizes; do echo "share/icons/hicolor/${size}x$size/apps/$id.png"; done)
share/icons/hicolor/scalable/apps/$id.svg
share/man/man1/tnews-server.1.gz
share/man/man1/tnews.1.gz
share/metainfo/$id.metainfo.xml
share/tnews/catalogue.tsv
share/tnews/newspapers.csv
share/tnews/newspapers.json
$([ -f "$build/share/tnews/checks.tsv" ] && echo share/tnews/checks.tsv)
EOF2
)
actual=$(cd "$prefix" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort)
[ "$actual" = "$expected" ] ||
    fail "the installed files differ from the expected ones:
$(diff <(echo "$expected") <(echo "$actual") || true)"

# The program runs from its folder through a relative link, so the tree can move as a whole.
[ "$(readlink "$prefix/bin/tnews")" = ../lib/tnews/tnews ] ||
    fail "bin/tnews is not a link to ../lib/tnews/tnews"
[ -x "$prefix/lib/tnews/tnews" ] && [ -x "$prefix/bin/tnews-server" ] ||
    fail "the programs are not executable"

for size in $sizes; do
    icon=$prefix/share/icons/hicolor/${size}x$size/apps/$id.png
    [ "$(identify -format '%wx%h' "$icon")" = "${size}x$size" ] ||
        fail "$icon is $(identify -format '%wx%h' "$icon") pixels"
done

grep -qx "ExecStart=$prefix/bin/tnews-server .*--data $prefix/share/tnews/catalogue.tsv" \
    "$prefix/lib/systemd/system/tnews-server.service" ||
    fail "the service does not run $prefix/bin/tnews-server with its catalogue"
grep -q "<release version=\"$version\" date=\"[0-9]\{4\}-[0-9][0-9]-[0-9][0-9]\"" \
    "$prefix/share/metainfo/$id.metainfo.xml" || fail "the metainfo has no release $version"

# With no --data the installed server takes the catalogue beside it, in share/tnews.
trap stop_server EXIT
start_server "$prefix.server.log" "$prefix/bin/tnews-server"
grep -qF "newspapers from $prefix/share/tnews/catalogue.tsv" "$prefix.server.log" ||
    fail "the installed server did not take the installed catalogue: $(cat "$prefix.server.log")"
echo "ok: the installed tree in $prefix"
