#!/usr/bin/env bash
# nginx with the shipped site (packaging/nginx/tnews-replicas.conf) in front of two tnews-server
# replicas on loopback ports: the public pages come from nginx's cache and nothing behind
# credentials does; every reader's suggestion reaches the writer's store, each reader held to its
# own hourly limit, and review lists them all; and under load (proxy_load) one replica stopped
# (SIGTERM, as systemctl stops it) and started again, then each replica sent SIGHUP in turn,
# costs no client an answer.
# nginx runs from a temporary prefix, as nobody when started as root; the system's nginx, its
# configuration and port 80 are never touched.
#   replicas_test.sh SERVER PROXY_LOAD CATALOGUE SITE CATALOGUE_TOOL [SECONDS]
set -euo pipefail
server=$1 proxy_load=$2 catalogue=$3 site=$4 tool=$5 seconds=${6:-60}

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
# cores for both and the load; sets ports[name] once it listens. Replica a is the writer: it
# keeps the readers' corrections and takes each reader's address from nginx on loopback.
declare -A ports=()
start_replica()
{
    local name=$1 port=$2 log=$work/$1.log writer=()
    [ "$name" = a ] && writer=(--state "$work/state" --trusted-proxy 127.0.0.1)
    "$server" --port "$port" --threads 1 --data "$catalogue" "${writer[@]}" 2>>"$log" &
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
# Every POST goes to the writer, replica a, and each reader (a loopback address of its own) has
# its own 10 an hour there; review sees every suggestion acknowledged.
suggest()
{
    local from=$1 n=$2
    shift 2
    curl -s -o /dev/null -w '%{http_code}' --interface "$from" -u "$auth" "$@" \
        --data "name=Paper+$n&town=Austin&website=https%3A%2F%2Fpaper-$n.example%2F" \
        "$proxy/software/news/suggest.php?region=usa&state=Texas"
}
for n in $(seq 10); do
    [ "$(suggest 127.0.0.2 "$n")" = 200 ] || fail "suggestion $n of a reader was not taken"
done
[ "$(suggest 127.0.0.2 11)" = 429 ] || fail "a reader's eleventh suggestion in an hour was taken"
# With the Origin a browser sends, which names the proxy's host and port as the writer sees them.
[ "$(suggest 127.0.0.3 12 -H "Origin: $proxy")" = 200 ] ||
    fail "another reader was held to the first one's limit, or its Origin refused"
posts_a=$(grep -c '"POST ' "$work/a.log" || true)
posts_b=$(grep -c '"POST ' "$work/b.log" || true)
[ "$posts_a" = 12 ] && [ "$posts_b" = 0 ] ||
    fail "POSTs reached the writer $posts_a times and the reader $posts_b times, not 12 and 0"
grep -q '^127.0.0.3 - tnewsuser .*"POST ' "$work/a.log" ||
    fail "the writer did not log the reader's own address"
listed=$("$tool" corrections --state "$work/state" list | grep -c 'https://paper-[0-9]*.example/' || true)
[ "$listed" = 11 ] || fail "review lists $listed suggestions, not the 11 acknowledged"

"$proxy_load" "$nginx_port" "$seconds" 64 >"$work/load.out" 2>&1 &
load=$!
step=$((seconds / 6))
sleep "$step"
echo "stopping replica a"
kill -TERM "${pids[a]}"
wait "${pids[a]}" || fail "replica a did not stop cleanly on SIGTERM"
sleep "$step"
start_replica a "${ports[a]}"
echo "replica a started again"
sleep "$step"
for name in a b; do
    kill -HUP "${pids[$name]}"
    sleep "$step"
    kill -0 "${pids[$name]}" 2>/dev/null || fail "replica $name ended on SIGHUP"
    grep -q "reloaded" "$work/$name.log" || fail "replica $name did not reload on SIGHUP"
    echo "replica $name reloaded on SIGHUP"
done
status=0
wait "$load" || status=$?
cat "$work/load.out"
[ "$status" -eq 0 ] || fail "clients of the proxy lost answers (nginx: $(tail -5 "$work/nginx/error.log"))"
echo "nginx met $(grep -c 'upstream' "$work/nginx/error.log" || true) failures of a replica and" \
    "took each request to the other"
echo "ok: nginx in front of two replicas lost no answer"
