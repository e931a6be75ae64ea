#!/usr/bin/env bash
# Reads tnews.exe's resources back with icoutils' wrestool: the version information that Windows
# shows in the file's properties, and the icon Explorer shows for it.
#   resources_test.sh <tnews.exe>
set -euo pipefail
exe=$1
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

version=$(wrestool -x --raw --type=version "$exe" | od -An -tx1 -v | tr -d ' \n')
[ -n "$version" ] || { echo "FAIL: no version resource in $exe" >&2; exit 1; }

# The string table: UTF-16 names, each followed by its value.
strings=$(wrestool -x --raw --type=version "$exe" | strings -el)
while IFS='|' read -r key want; do
    got=$(grep -A1 -x "$key" <<<"$strings" | sed -n 2p)
    [ "$got" = "$want" ] || fail "$key: want '$want', got '$got'"
done <<'TABLE'
FileVersion|6.01.0003
ProductVersion|6.01.0003
FileDescription|Newspaper website finder.
ProductName|Tavi's Newspapers
OriginalFilename|tnews.exe
TABLE

# The fixed part, after its signature 0xFEEF04BD: structure version, then the file's and the
# product's version as two little-endian 32-bit words each (major.minor, build.revision).
fixed=$(grep -o 'bd04effe.\{40\}' <<<"$version" | head -n 1 || true)
for at in 16 32; do
    [ "${fixed:at:16}" = 0100060003000000 ] || fail "binary version at $at: '${fixed:at:16}', want 6.1.0.3"
done

# Explorer shows the first icon group: it must be the program's own.
first=$(wrestool -l --type=group_icon "$exe" | head -n 1)
grep -q -- "--name='TNEWS'" <<<"$first" || fail "first icon group is not the program's: $first"

[ "$failures" -eq 0 ] || exit 1
echo "version 6.01.0003, \"Newspaper website finder.\" and the program's icon first"
