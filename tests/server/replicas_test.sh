#!/usr/bin/env bash
# nginx with the shipped site (packaging/nginx/tnews-replicas.conf) in front of two tnews-server
# replicas on loopback ports: the public pages come from nginx's cache and nothing behind
# credentials does, every POST reaches the writer, and under load (proxy_load) one replica
# killed and started again, then each replica sent SIGHUP in turn, costs no client an answer.
# nginx runs from a temporary prefix, as nobody when started as root; the system's nginx, its
# configuration and port 80 are never touched.
#   replicas_test.sh SERVER PROXY_LOAD CATALOGUE SITE [SECONDS]
set -euo pipefail
server=$1 proxy_load=$2 catalogue=$3 site=$4 seconds=${5:-60}

fail()
{
    echo "FAIL: $*" >&2
    exit 1
}

command -v nginx >/dev/null || fail "nginx is not installed"
work=$(mktemp -d /tmp/tnews-replicas.XXXXXX)
chmod 755 "$work"
declare -A pids=()
nginx_pid=
cleanup()
{
    local name
    for name in "${!pids[@]}"; do
        kill "${pids[$name]}" 2>/dev/null || true
    done
    [ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Starts replica `name` on `port` (0: any free one), one thread each as the machine has two
# cores for both and the load; sets ports[name] once it listens.
declare -A ports=()
start_replica()
{
    local name=$1 port=$2 log=$work/$1.log
    "$server" --port "$port" --threads 1 --data "$catalogue" 2>>"$log" &
    pids[$name]=$!
    for _ in $(seq 600); do
        if grep -q "listening on" "$log"; then
            ports[$name]=$(grep -o 'listening on http://127.0.0.1:[0-9]*' "$log" | tail -1 |
                grep -o '[0-9]*$')
            return 0
        fi
        kill -0 "${pids[$name]}" 2>/dev/null || fail "replica $name did not start: $(cat "$log")"
        sleep 0.05
    done
    fail "replica $name did not start in 30 s"
}

start_replica a 0
start_replica b 0

# A loopback port nothing listens on, below the range the kernel hands to outgoing connections.
while :; do
    nginx_port=$((20000 + RANDOM % 12000))
    (exec 3<>"/dev/tcp/127.0.0.1/$nginx_port") 2>/dev/null || break
done

# The shipped site with this run's addresses, in a configuration of its own.
mkdir -p "$work/nginx/cache"
sed -e "s|127.0.0.1:8047|127.0.0.1:${ports[a]}|g" -e "s|127.0.0.1:8048|127.0.0.1:${ports[b]}|g" \
    -e "s|listen 80;|listen 127.0.0.1:$nginx_port;|" -e "/listen \[::\]:80;/d" \
    -e "s|/var/cache/nginx/tnews|$work/nginx/cache|" "$site" >"$work/nginx/site.conf"
grep -q "127.0.0.1:${ports[b]}" "$work/nginx/site.conf" || fail "the site's replicas were not found"
cat >"$work/nginx/nginx.conf" <<CONF
daemon off;
worker_processes 1;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 1024; }
http {
    access_log off;
    client_body_temp_path $work/nginx/body;
    proxy_temp_path $work/nginx/proxy;
    fastcgi_temp_path $work/nginx/fastcgi;
    uwsgi_temp_path $work/nginx/uwsgi;
    scgi_temp_path $work/nginx/scgi;
    include $work/nginx/site.conf;
}
CONF
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    chown -R nobody "$work/nginx"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
"${as_user[@]}" nginx -p "$work/nginx" -c "$work/nginx/nginx.conf" -e "$work/nginx/error.log" &
nginx_pid=$!
proxy=http://127.0.0.1:$nginx_port
for _ in $(seq 100); do
    curl -sf -o /dev/null "$proxy/" && break
    kill -0 "$nginx_pid" 2>/dev/null || fail "nginx did not start: $(cat "$work/nginx/error.log")"
    sleep 0.1
done

# The cache: the publisher's page is kept, a listing never is, whatever its credentials.
auth="tnewsuser:qsel47t2vyb8rdo"
listing="$proxy/software/news/tnewsudb.php?region=usa&state=Texas"
cache_status()
{
    curl -sf -o /dev/null -D - "$@" | tr -d '\r' | awk -F': ' 'tolower($1) == "x-cache-status" { print $2 }'
}
cache_status "$proxy/" >/dev/null
[ "$(cache_status "$proxy/")" = HIT ] || fail "the publisher's page is not served from the cache"
for _ in 1 2; do
    [ -z "$(cache_status -u "$auth" "$listing")" ] || fail "a listing went through the cache"
done
[ "$(curl -s -o /dev/null -w '%{http_code}' "$listing")" = 401 ] ||
    fail "a listing without credentials was not refused"
# Every POST goes to the writer, replica a.
for _ in 1 2 3 4; do
    curl -s -o /dev/null -X POST --data x=1 "$proxy/software/news/tnewsudb.php"
done
posts_a=$(grep -c '"POST ' "$work/a.log" || true)
posts_b=$(grep -c '"POST ' "$work/b.log" || true)
[ "$posts_a" = 4 ] && [ "$posts_b" = 0 ] ||
    fail "POSTs reached the writer $posts_a times and the reader $posts_b times, not 4 and 0"

# A server without the reload ends on SIGHUP; then that step is left out, and said so.
survives_sighup()
{
    "$server" --port 0 --threads 1 --data "$catalogue" 2>"$work/probe.log" &
    local probe=$!
    for _ in $(seq 600); do
        grep -q "listening on" "$work/probe.log" && break
        sleep 0.05
    done
    kill -HUP "$probe"
    sleep 1
    if kill -0 "$probe" 2>/dev/null; then
        kill "$probe"
        wait "$probe" || true
        echo yes
    else
        wait "$probe" || true
        echo no
    fi
}
reload=$(survives_sighup 2>/dev/null)

"$proxy_load" "$nginx_port" "$seconds" 64 >"$work/load.out" 2>&1 &
load=$!
step=$((seconds / 6))
sleep "$step"
echo "killing replica a"
kill -KILL "${pids[a]}"
wait "${pids[a]}" 2>/dev/null || true
sleep "$step"
start_replica a "${ports[a]}"
echo "replica a started again"
sleep "$step"
if [ "$reload" = yes ]; then
    for name in a b; do
        kill -HUP "${pids[$name]}"
        sleep "$step"
        kill -0 "${pids[$name]}" 2>/dev/null || fail "replica $name ended on SIGHUP"
        echo "replica $name reloaded on SIGHUP"
    done
else
    echo "SKIPPED: SIGHUP ends this build's tnews-server, so the replicas were not reloaded"
fi
status=0
wait "$load" || status=$?
cat "$work/load.out"
[ "$status" -eq 0 ] || fail "clients of the proxy lost answers (nginx: $(tail -5 "$work/nginx/error.log"))"
echo "nginx met $(grep -c 'upstream' "$work/nginx/error.log" || true) failures of a replica and" \
    "took each request to the other"
echo "ok: nginx in front of two replicas lost no answer"
