#!/usr/bin/env bash
# Verifies the installed service offline: systemd-analyze finds no fault in it (it also looks for
# the program and the manual page it names, so it reads the installed tree's manual pages), and
# its sandbox keeps the exposure systemd computes for it at 1.5 or below.
#   service_unit_test.sh PREFIX
source "$(dirname "$0")/lib.sh"
prefix=$1
unit=$prefix/lib/systemd/system/tnews-server.service

# Unknown settings and groups are only warnings to systemd-analyze; here they are faults.
out=$(MANPATH=$prefix/share/man systemd-analyze verify "$unit" 2>&1) && [ -z "$out" ] ||
    fail "systemd-analyze verify $unit: $out"
out=$(systemd-analyze security --offline=yes --threshold=15 "$unit" 2>&1) ||
    fail "the service is exposed more than 1.5: $(grep -E '✗|Overall' <<<"$out")"
echo "ok: $unit, $(grep -o 'exposure level.*' <<<"$out")"
