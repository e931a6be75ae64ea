#!/usr/bin/env bash
# Makes the Debian packages with cpack and checks them without installing them: together they
# hold the installed tree under /usr, stripped, with dependencies computed from its binaries and,
# for the server, a service naming /usr and maintainer scripts that parse.
#   debian_packages_test.sh BUILD_DIR OUTPUT_DIR VERSION PREFIX
# PREFIX is the installed tree of installed_tree_test.sh.
source "$(dirname "$0")/lib.sh"
build=$1 out=$2 version=$3 prefix=$4

rm -rf "$out"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out.log" 2>&1 ||
    fail "cpack failed: $(cat "$out.log")"
arch=$(dpkg --print-architecture)

# Checks one package's fields, unpacks it and prints its files, relative to /usr; the second
# argument is a library it depends on.
check_package()
{
    local name=$1 deb=$out/${1}_$version-1_$arch.deb depends
    [ -f "$deb" ] || fail "cpack made no $deb: $(ls "$out")"
    depends=$(dpkg-deb -f "$deb" Depends)
    grep -q 'libc6 (>=' <<<"$depends" && grep -q "$2" <<<"$depends" ||
        fail "$name depends on no libc6 version or no $2: $depends"
    dpkg-deb -x "$deb" "$out/$name" && dpkg-deb -e "$deb" "$out/$name/DEBIAN" ||
        fail "can't unpack $deb"
    dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub("^\\./usr/", "", $6); print $6 }'
}

# Together the packages hold the installed tree; the server's holds just the server's part.
program=$(check_package tnews libwxgtk-webview)
server=$(check_package tnews-server libsqlite3)
installed=$(cd "$prefix" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort)
[ "$(sort <<<"$program"$'\n'"$server")" = "$installed" ] ||
    fail "the packages hold other files than the installed tree:
$(diff <(echo "$installed") <(sort <<<"$program"$'\n'"$server") || true)"
server_part=$(grep -E '(^|/)tnews-(server|catalogue|link-check)[^/]*$|^share/(tnews|doc/tnews-server)/' <<<"$installed")
[ "$(sort <<<"$server")" = "$server_part" ] ||
    fail "tnews-server holds other files than its part:
$(diff <(echo "$server_part") <(sort <<<"$server") || true)"

for binary in "$out/tnews/usr/lib/tnews/tnews" "$out/tnews-server/usr/bin/tnews-server" \
    "$out/tnews-server/usr/bin/tnews-catalogue"; do
    ! readelf -S "$binary" | grep -q '\.debug_info' || fail "${binary#"$out"/} is not stripped"
done
grep -qx 'ExecStart=/usr/bin/tnews-server .*--data /usr/share/tnews/catalogue.tsv .*' \
    "$out/tnews-server/usr/lib/systemd/system/tnews-server.service" ||
    fail "the packaged service does not run /usr/bin/tnews-server"
grep -qx 'ExecStart=/usr/bin/tnews-catalogue check --catalogue /usr/share/tnews/catalogue.tsv .*' \
    "$out/tnews-server/usr/lib/systemd/system/tnews-link-check.service" ||
    fail "the packaged link check does not run /usr/bin/tnews-catalogue on the packaged catalogue"
for script in postinst prerm postrm; do
    file=$out/tnews-server/DEBIAN/$script
    [ -x "$file" ] && sh -n "$file" || fail "tnews-server's $script is not executable or bad"
done
echo "ok: $out/tnews_$version-1_$arch.deb and $out/tnews-server_$version-1_$arch.deb"
