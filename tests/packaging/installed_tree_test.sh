#!/usr/bin/env bash
# Installs the build into a fresh prefix (the other packaging tests use it) and checks the tree:
# exactly the expected files, the link to the program, the icon sizes, manual pages that groff
# formats without a warning (save that a long setting can't be justified) and that describe
# every option of the server's --help, and that the installed server finds its catalogue.
#   installed_tree_test.sh BUILD_DIR PREFIX APP_ID
source "$(dirname "$0")/lib.sh"
build=$1 prefix=$2 id=$3

rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 ||
    fail "cmake --install failed: $(cat "$prefix.log")"

sizes="16 32 48 128 256"
expected=$(grep -v "^$" <<EOF2 | sort
bin/tnews
bin/tnews-catalogue
bin/tnews-server
lib/systemd/system/tnews-link-check.service
lib/systemd/system/tnews-link-check.timer
lib/systemd/system/tnews-server.service
lib/tnews/help.htm
lib/tnews/start.html
lib/tnews/tnews
share/applications/$id.desktop
share/doc/tnews-server/examples/tnews-replicas.conf
$(for size in $sizes; do echo "share/icons/hicolor/${size}x$size/apps/$id.png"; done)
share/icons/hicolor/scalable/apps/$id.svg
share/man/man1/tnews-catalogue.1.gz
share/man/man1/tnews-server.1.gz
share/man/man1/tnews.1.gz
share/metainfo/$id.metainfo.xml
share/tnews/catalogue.tsv
share/tnews/newspapers.csv
share/tnews/newspapers.csv.gz
share/tnews/newspapers.json
share/tnews/newspapers.json.gz
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
for size in $sizes; do
    icon=$prefix/share/icons/hicolor/${size}x$size/apps/$id.png
    [ "$(identify -format '%wx%h' "$icon")" = "${size}x$size" ] ||
        fail "$icon is $(identify -format '%wx%h' "$icon") pixels"
done

for page in tnews tnews-server tnews-catalogue; do
    file=$prefix/share/man/man1/$page.1.gz
    out=$(zcat "$file" | groff -man -ww -Wbreak -z -Tutf8 2>&1) && [ -z "$out" ] || fail "groff on $file: $out"
    zcat "$file" | grep -q '^\.SH NAME' || fail "$file has no NAME section"
done
options=$("$prefix/bin/tnews-server" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)
[ -n "$options" ] || fail "tnews-server --help lists no options"
page=$(zcat "$prefix/share/man/man1/tnews-server.1.gz")
for option in $options; do
    grep -qE "^\.(B|BI|BR) \\\\-\\\\-${option#--}( |$)" <<<"$page" ||
        fail "tnews-server(1) does not describe $option"
done

# With no --data the installed server takes the catalogue beside it, in share/tnews.
trap stop_server EXIT
start_server "$prefix.server.log" "$prefix/bin/tnews-server"
grep -qF "newspapers from $prefix/share/tnews/catalogue.tsv" "$prefix.server.log" ||
    fail "the installed server did not take the installed catalogue: $(cat "$prefix.server.log")"
echo "ok: the installed tree in $prefix"
