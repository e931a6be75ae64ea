#!/usr/bin/env bash
# Checks the installed manual pages: groff formats them without a warning (save that a long
# setting can't be justified), and the server's page describes every option its --help lists.
#   manual_pages_test.sh PREFIX
source "$(dirname "$0")/lib.sh"
prefix=$1

for page in tnews tnews-server; do
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
echo "ok: the manual pages; tnews-server(1) describes" $options
