#!/usr/bin/env bash
# Checks the installed units: systemd-analyze finds no fault in the server's service, the link
# check's service and its timer (it also looks for the programs and manual pages they name) and
# keeps each service's exposure at 1.5 or below; and the installed server, run under strace
# through start-up, every kind of request (a form's post into its corrections store too) and
# SIGTERM, and the installed link check, run under strace over two of that server's pages, need
# nothing their sandbox refuses: every system call in its SystemCallFilter, every socket in its
# RestrictAddressFamilies, and no memory both writable and executable (MemoryDenyWriteExecute).
#   service_test.sh PREFIX
source "$(dirname "$0")/lib.sh"
prefix=$1
unit=$prefix/lib/systemd/system/tnews-server.service
checker=$prefix/lib/systemd/system/tnews-link-check.service
work=$(mktemp -d)
trap 'stop_server; rm -rf "$work"' EXIT

# Unknown settings and groups are only warnings to systemd-analyze; here they are faults.
for file in "$unit" "$checker" "${checker%.service}.timer"; do
    out=$(MANPATH=$prefix/share/man systemd-analyze verify "$file" 2>&1) && [ -z "$out" ] ||
        fail "systemd-analyze verify $file: $out"
done
for file in "$unit" "$checker"; do
    exposure=$(systemd-analyze security --offline=yes --threshold=15 "$file" 2>&1) ||
        fail "$file is exposed more than 1.5: $(grep -E '✗|Overall' <<<"$exposure")"
done

# The system calls of groups and names, nested groups expanded, from systemd's own tables.
systemd-analyze syscall-filter >"$work/groups" 2>/dev/null || fail "systemd-analyze syscall-filter failed"
expand()
{
    awk -v want="$*" '
        /^@/ { group = $1; next }
        /^ *#/ || NF == 0 { next }
        { members[group] = members[group] " " $1 }
        function add(name,   n, list, i) {
            if (name in seen) return
            seen[name] = 1
            if (name !~ /^@/) { print name; return }
            n = split(members[name], list, " ")
            for (i = 1; i <= n; i++) add(list[i])
        }
        END { n = split(want, names, " "); for (i = 1; i <= n; i++) add(names[i]) }
    ' "$work/groups" | sort -u
}
# Fails unless the program traced in the file $2 needs nothing the unit $1 refuses.
check_sandbox()
{
    local unit=$1 trace=$2 allow deny families refused family
    allow=$(sed -n 's/^SystemCallFilter=\([^~]\)/\1/p' "$unit")
    deny=$(sed -n 's/^SystemCallFilter=~//p' "$unit")
    [ -n "$allow" ] || fail "$unit has no SystemCallFilter allow list"
    families=$(sed -n 's/^RestrictAddressFamilies=//p' "$unit")
    [ -n "$families" ] || fail "$unit has no RestrictAddressFamilies"
    refused=$(comm -23 <(sed -E -n 's/^[0-9]+ +(<\.\.\. )?([a-z0-9_]+)[( ].*/\2/p' "$trace" | sort -u) \
        <(comm -23 <(expand $allow) <(expand $deny)))
    # SQLite gives the files it makes beside the corrections store the store's owner, with
    # fchown, only when it runs as root, as this test may; the services never do (DynamicUser).
    [ "$(id -u)" = 0 ] && refused=$(grep -vx fchown <<<"$refused" || true)
    [ -z "$refused" ] || fail "$trace shows system calls that $unit refuses: $refused"
    for family in $(grep -o 'socket(AF_[A-Z0-9]*' "$trace" | cut -d'(' -f2 | sort -u); do
        [[ " $families " == *" $family "* ]] || fail "$trace opens $family sockets; $unit allows $families"
    done
    ! grep -E '(mmap|mprotect)\(.*(PROT_WRITE\|PROT_EXEC|PROT_EXEC\|PROT_WRITE)' "$trace" ||
        fail "$trace maps memory writable and executable"
}

start_server "$work/log" strace -f -qq -o "$work/trace" "$prefix/bin/tnews-server" \
    --state "$work/state"
strace_pid=$server_pid
port=$(sed -n 's|.*listening on http://[^:]*:\([0-9]*\)/.*|\1|p' "$work/log")
server_pid=$(head -n 1 "$work/trace" | cut -d' ' -f1)

# Prints the status code of a GET of the path, with Basic credentials when given.
status()
{
    local auth=
    [ -n "${2:-}" ] && auth="Authorization: Basic $(printf '%s' "tnewsuser:$2" | base64)"$'\r\n'
    exec 3<>"/dev/tcp/127.0.0.1/$port"
    printf 'GET %s HTTP/1.1\r\nHost: localhost\r\n%sConnection: close\r\n\r\n' "$1" "$auth" >&3
    head -n 1 <&3 | cut -d' ' -f2
    exec 3<&-
}
listing=qsel47t2vyb8rdo update=hup39zk5wcaj7fen
while read -r expected path password; do
    got=$(status "$path" "$password")
    [ "$got" = "$expected" ] || fail "GET $path gave $got, not $expected"
done <<EOF2
200 /software/news/tnewsudb.php?region=usa&state=Texas $listing
200 /software/news/tnewscdb.php?region=canada&skwords=star $listing
200 /software/news/tnewscdb.php?region=canada&skwords=star $listing
200 /updates/tnewss.php?version=6.1.3 $update
200 /
401 /software/news/tnewsidb.php?region=international&country=France
404 /nowhere
EOF2
# A reader's suggestion, written to the store with its fsync as the service would.
form='name=Paper&website=https%3A%2F%2Fp.example%2F&town=Austin'
exec 3<>"/dev/tcp/127.0.0.1/$port"
printf 'POST /software/news/suggest.php?region=usa&state=Texas HTTP/1.1\r\nHost: localhost\r\nAuthorization: Basic %s\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: %s\r\nConnection: close\r\n\r\n%s' \
    "$(printf '%s' "tnewsuser:$listing" | base64)" "${#form}" "$form" >&3
got=$(head -n 1 <&3 | cut -d' ' -f2)
exec 3<&-
[ "$got" = 200 ] || fail "POST of the suggest form gave $got, not 200"

# The link check over a page that answers and one that doesn't, on this server.
printf 'source\tcurated\tBy hand\thand\t2026-12\tCC0 1.0\t\t\n' >"$work/catalogue.tsv"
for path in / /nowhere; do
    printf 'paper\tu\tTexas\t\tP\tnewspaper\t\thttp://localhost:%s%s\t\tcurated\n' "$port" "$path"
done >>"$work/catalogue.tsv"
strace -f -qq -o "$work/check-trace" "$prefix/bin/tnews-catalogue" check \
    --catalogue "$work/catalogue.tsv" --checks "$work/checks.tsv" >"$work/check-log" 2>&1 ||
    fail "the link check failed: $(cat "$work/check-log")"
grep -q 'checked 2 websites: 1 answered, 1 failed' "$work/check-log" ||
    fail "the link check found otherwise: $(cat "$work/check-log")"

kill -TERM "$server_pid"
wait "$strace_pid" || fail "the server did not stop cleanly on SIGTERM: $(cat "$work/log")"
server_pid=

check_sandbox "$unit" "$work/trace"
check_sandbox "$checker" "$work/check-trace"
echo "ok: $unit and $checker, exposure 1.5 or below, every system call allowed"
