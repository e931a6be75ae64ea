#!/usr/bin/env bash
# Reads tnews.exe's resources back with icoutils' wrestool: the version information that
# Windows shows in the file's properties, and the program's icon.
#   resources_test.sh <tnews.exe> <the icon it should carry (.ico)>
set -euo pipefail
exe=$1 ico=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

wrestool -x --raw --type=version "$exe" >"$work/version.bin"
[ -s "$work/version.bin" ] || { echo "FAIL: no version resource in $exe" >&2; exit 1; }

# The string table: UTF-16 names, each followed by its value.
strings -el "$work/version.bin" >"$work/strings.txt"
value_of() { grep -A1 -x "$1" "$work/strings.txt" | sed -n 2p; }
while IFS='|' read -r key want; do
    got=$(value_of "$key")
    [ "$got" = "$want" ] || fail "$key: want '$want', got '$got'"
done <<'TABLE'
FileVersion|6.01.0003
ProductVersion|6.01.0003
FileDescription|Newspaper website finder.
ProductName|Tavi's Newspapers
OriginalFilename|tnews.exe
TABLE

# The fixed part, after its signature 0xFEEF04BD: structure version, then the file's and the
# product's version as two 32-bit words each (major.minor, build.revision).
fixed=$(od -An -tx1 -v "$work/version.bin" | tr -d ' \n' | grep -o 'bd04effe.\{40\}' | head -n 1)
word() { local h=${fixed:$1:8}; echo $((16#${h:6:2}${h:4:2}${h:2:2}${h:0:2})); }
quad() { local ms ls; ms=$(word "$1"); ls=$(word "$2"); echo "$((ms >> 16)).$((ms & 65535)).$((ls >> 16)).$((ls & 65535))"; }
[ -n "$fixed" ] || fail "no fixed version information"
[ -z "$fixed" ] || [ "$(quad 16 24)" = 6.1.0.3 ] || fail "binary file version: $(quad 16 24)"
[ -z "$fixed" ] || [ "$(quad 32 40)" = 6.1.0.3 ] || fail "binary product version: $(quad 32 40)"

# The icon Explorer shows is the first icon group; it is the program's own, every size of it.
first=$(wrestool -l --type=group_icon "$exe" | head -n 1)
grep -q -- "--name='TNEWS'" <<<"$first" || fail "first icon group is not the program's: $first"
# Image by image, as the resources pad each one; icotool names them after the file and size.
mkdir "$work/carried" "$work/expected"
wrestool -x --type=group_icon --name=TNEWS "$exe" >"$work/carried/icon.ico"
cp "$ico" "$work/expected/icon.ico"
(cd "$work/carried" && icotool -x icon.ico && rm icon.ico)
(cd "$work/expected" && icotool -x icon.ico && rm icon.ico)
(cd "$work/carried" && ls) >"$work/carried.txt"
(cd "$work/expected" && ls) >"$work/expected.txt"
if ! cmp -s "$work/carried.txt" "$work/expected.txt"; then
    fail "icon sizes: want $(tr '\n' ' ' <"$work/expected.txt"), got $(tr '\n' ' ' <"$work/carried.txt")"
fi
while read -r image; do
    cmp -s "$work/carried/$image" "$work/expected/$image" || fail "icon image differs: $image"
done <"$work/expected.txt"

[ "$failures" -eq 0 ] || exit 1
echo "version 6.01.0003, \"Newspaper website finder.\" and the program's icon"
