# Shared by the packaging tests. Source it.
set -euo pipefail

fail()
{
    echo "FAIL: $*" >&2
    exit 1
}

# Starts a tnews-server with the given arguments on a free port, its output in the given log;
# sets server_pid and returns once it listens, or fails with its log.
start_server()
{
    local log=$1
    shift
    # Emptied first: a log left by an earlier run could show "listening on" before this server
    # writes anything.
    : >"$log"
    "$@" --port 0 >>"$log" 2>&1 &
    server_pid=$!
    for _ in $(seq 200); do
        grep -q 'listening on' "$log" && return 0
        kill -0 "$server_pid" 2>/dev/null || fail "the server did not start: $(cat "$log")"
        sleep 0.05
    done
    fail "the server did not start within 10 s: $(cat "$log")"
}

stop_server()
{
    if [ -n "${server_pid:-}" ]; then
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
        server_pid=
    fi
}
