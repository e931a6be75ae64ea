#!/usr/bin/env bash
# Validates the installed desktop entry and metainfo, and checks that they name each other, the
# installed icon and program, and the committed screenshots.
#   desktop_files_test.sh PREFIX APP_ID SOURCE_DIR
source "$(dirname "$0")/lib.sh"
prefix=$1 id=$2 source=$3
desktop=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml

# Both validators pass files with hints; these files are to have none.
out=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$out" ] ||
    fail "desktop-file-validate $desktop: $out"
out=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1) ||
    fail "appstreamcli validate $metainfo: $out"
! grep -q '^[EWIP]: ' <<<"$out" || fail "appstreamcli validate $metainfo: $out"

value() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(value Icon)" = "$id" ] || fail "the desktop entry's icon is $(value Icon), not $id"
[ -x "$prefix/bin/$(value Exec)" ] || fail "the desktop entry runs $(value Exec), not in $prefix/bin"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $id.desktop"
grep -q "<id>$id</id>" "$metainfo" || fail "the metainfo's id is not $id"

# The metainfo names every committed screenshot and no other (the validator refuses http URLs).
named=$(sed -n 's|.*<image>.*/\(.*\)</image>.*|\1|p' "$metainfo" | sort)
committed=$(cd "$source/docs/screenshots" && ls -- *.png)
[ -n "$named" ] && [ "$named" = "$committed" ] ||
    fail "the metainfo's screenshots ($(echo $named)) are not those of docs/screenshots/"
echo "ok: $desktop and $metainfo"
