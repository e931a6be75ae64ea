#!/usr/bin/env bash
# Makes the Debian packages with cpack and checks them without installing them: each holds
# exactly its own files under /usr, stripped, with dependencies computed from its binaries and,
# for the server, a service naming /usr and maintainer scripts that parse.
#   debian_packages_test.sh BUILD_DIR OUTPUT_DIR APP_ID VERSION
source "$(dirname "$0")/lib.sh"
build=$1 out=$2 id=$3 version=$4

rm -rf "$out"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out.log" 2>&1 ||
    fail "cpack failed: $(cat "$out.log")"
arch=$(dpkg --print-architecture)

# Checks one package: its fields, then its files against the expected list.
check_package()
{
    local name=$1 expected=$2 deb=$out/${1}_$version-1_$arch.deb
    [ -f "$deb" ] || fail "cpack made no $deb: $(ls "$out")"
    echo "== $deb"
    dpkg-deb -c "$deb"
    [ "$(dpkg-deb -f "$deb" Package)" = "$name" ] || fail "$deb is not package $name"
    [ "$(dpkg-deb -f "$deb" Version)" = "$version-1" ] || fail "$deb is not version $version-1"
    local depends
    depends=$(dpkg-deb -f "$deb" Depends)
    grep -q 'libc6 (>=' <<<"$depends" || fail "$name depends on no libc6 version: $depends"
    local files
    files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)
    expected=$(grep -v '^$' <<<"$expected" | sort)
    [ "$files" = "$expected" ] ||
        fail "$deb holds other files than expected:
$(diff <(echo "$expected") <(echo "$files") || true)"
    mkdir -p "$out/$name"
    dpkg-deb -x "$deb" "$out/$name"
    dpkg-deb -e "$deb" "$out/$name/DEBIAN"
}

check_package tnews "./usr/bin/tnews
./usr/lib/tnews/help.htm
./usr/lib/tnews/start.html
./usr/lib/tnews/tnews
./usr/share/applications/$id.desktop
./usr/share/icons/hicolor/128x128/apps/$id.png
./usr/share/icons/hicolor/16x16/apps/$id.png
./usr/share/icons/hicolor/256x256/apps/$id.png
./usr/share/icons/hicolor/32x32/apps/$id.png
./usr/share/icons/hicolor/48x48/apps/$id.png
./usr/share/icons/hicolor/scalable/apps/$id.svg
./usr/share/man/man1/tnews.1.gz
./usr/share/metainfo/$id.metainfo.xml"
check_package tnews-server "./usr/bin/tnews-server
./usr/lib/systemd/system/tnews-server.service
./usr/share/man/man1/tnews-server.1.gz
./usr/share/tnews/catalogue.tsv
$([ -f "$build/share/tnews/checks.tsv" ] && echo ./usr/share/tnews/checks.tsv)
./usr/share/tnews/newspapers.csv
./usr/share/tnews/newspapers.json"

[ "$(readlink "$out/tnews/usr/bin/tnews")" = ../lib/tnews/tnews ] ||
    fail "/usr/bin/tnews is not a link to ../lib/tnews/tnews"
dpkg-deb -f "$out/tnews_$version-1_$arch.deb" Depends | grep -q libwxgtk-webview ||
    fail "tnews does not depend on the wxWidgets web view library"
dpkg-deb -f "$out/tnews-server_$version-1_$arch.deb" Depends | grep -q libsqlite3 ||
    fail "tnews-server does not depend on SQLite"
for binary in "$out/tnews/usr/lib/tnews/tnews" "$out/tnews-server/usr/bin/tnews-server"; do
    ! readelf -S "$binary" | grep -q '\.debug_info' || fail "${binary#"$out"/} is not stripped"
done
grep -qx 'ExecStart=/usr/bin/tnews-server .*--data /usr/share/tnews/catalogue.tsv' \
    "$out/tnews-server/usr/lib/systemd/system/tnews-server.service" ||
    fail "the packaged service does not run /usr/bin/tnews-server"
for script in postinst prerm postrm; do
    file=$out/tnews-server/DEBIAN/$script
    [ -x "$file" ] || fail "tnews-server has no executable $script"
    sh -n "$file" || fail "tnews-server's $script does not parse"
done
echo "ok: $out/tnews_$version-1_$arch.deb and $out/tnews-server_$version-1_$arch.deb"
