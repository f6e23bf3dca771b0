#!/usr/bin/env bash
# Compares the download worker with wget and curl on loopback, each tool
# fetching the whole list in one process: "latency", 500 files of 10 KB from a
# small threaded server that answers each request after 30 ms, as a distant
# server would; "small" and "large", 1,000 files of 10 KB and 5 files of 200 MB
# served by nginx. Quillmar fetches PARALLEL files at once (default 4), wget
# and curl one by one, "curl-Z" all at once (curl -Z) and wget2 with 16
# threads. Prints the best and median of ROUNDS runs (seconds) and the peak
# memory. "worker" is the download worker's own time inside the quillmar run
# (without program start-up). SETS chooses the sets (default: all three).
# Needs nginx, wget, wget2, curl, python3 and GNU time
# (apt-get install nginx-light wget wget2 curl python3 time).
# Usage: bench/download/run-download-bench.sh [BUILD_DIR] [WORK_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
work=${2:-/tmp/quillmar-download-bench}
port=${PORT:-18089}
rounds=${ROUNDS:-3}
parallel=${PARALLEL:-4}
sets=${SETS:-latency small large}
latency_port=$((port + 1))
bench="$build/bench/download/quillmar-download-bench"

cmake --build "$build" --target quillmar-download-bench >/dev/null
mkdir -p "$work/www/small" "$work/www/large" "$work/out"
chmod 755 "$work" "$work/www" "$work/www/small" "$work/www/large"

if [ ! -f "$work/www/small/0999.jpg" ]; then
  for i in $(seq -w 0 999); do head -c 10240 /dev/urandom >"$work/www/small/$i.jpg"; done
fi
for i in 1 2 3 4 5; do
  [ -f "$work/www/large/$i.jpg" ] || head -c 209715200 /dev/urandom >"$work/www/large/$i.jpg"
done
chmod 644 "$work"/www/small/* "$work"/www/large/*
seq -f "http://127.0.0.1:$latency_port/lat/%03g.jpg" 0 499 >"$work/latency.list"
for set in small large; do
  (cd "$work/www/$set" && ls) | sed "s|^|http://127.0.0.1:$port/$set/|" >"$work/$set.list"
done
for set in latency small large; do
  sed 's|.*/\(.*\)|url = "&"\noutput = "\1"|' "$work/$set.list" |
    awk 'NR%2==1{u=$0; next} {print u; print $0}' >"$work/$set.curl"
done

cat >"$work/nginx.conf" <<CONF
worker_processes 1;
pid $work/nginx.pid;
error_log $work/nginx-error.log;
events { worker_connections 64; }
http {
  access_log off;
  sendfile on;
  tcp_nodelay on;
  keepalive_requests 100000;
  keepalive_timeout 60;
  types { }
  default_type application/octet-stream;
  server { listen 127.0.0.1:$port; root $work/www; }
}
CONF
nginx -c "$work/nginx.conf" -g 'daemon on;'
bench/download/latency-server.py "$latency_port" 30 &
latency_server=$!
trap 'nginx -c "$work/nginx.conf" -s stop; kill $latency_server' EXIT
sleep 0.5

# One timed run of a command in an empty folder: appends "seconds max_rss_kb"
# to the file named by $1.
run_once() {
  local record=$1
  shift
  rm -rf "$work/out" && mkdir -p "$work/out"
  sync
  (cd "$work/out" && /usr/bin/time -f '%e %M' -a -o "$record" "$@" >"$work/stdout" 2>&1)
}

# Best and median seconds and the highest peak memory of a record.
summary() {
  sort -n "$1" | awk '{t[NR]=$1; if ($2 > m) m = $2}
    END {printf "%10.2f %10.2f %12d\n", t[1], t[int((NR + 1) / 2)], m}'
}

export no_proxy=127.0.0.1 NO_PROXY=127.0.0.1
printf '%-8s %-10s %10s %10s %12s\n' set tool best median max_rss_kb
for set in $sets; do
  rm -f "$work"/*.times
  # Tools take turns, so changes in the machine's load hit each of them alike.
  for _ in $(seq "$rounds"); do
    run_once "$work/quillmar.times" "$PWD/$bench" "$work/$set.list" "$work/out" "$parallel"
    # The worker's own time, without the program's start-up.
    awk '{print $6, $8}' "$work/stdout" >>"$work/worker.times"
    run_once "$work/wget.times" wget -q -i "$work/$set.list"
    run_once "$work/curl.times" curl -s -K "$work/$set.curl"
    run_once "$work/curl-Z.times" curl -s -Z -K "$work/$set.curl"
    run_once "$work/wget2.times" wget2 -q --max-threads 16 -i "$work/$set.list"
  done
  for tool in quillmar worker wget curl curl-Z wget2; do
    printf '%-8s %-10s %s\n' "$set" "$tool" "$(summary "$work/$tool.times")"
  done
done
rm -rf "$work/out"
