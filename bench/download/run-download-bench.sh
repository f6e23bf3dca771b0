#!/usr/bin/env bash
# Compares the download worker with wget and curl on loopback: 1,000 files of
# 10 KB and 5 files of 200 MB served by nginx, each tool fetching the whole list
# in one process. Prints the best of ROUNDS runs (seconds) and the peak memory.
# Needs nginx, wget and curl (apt-get install nginx-light wget curl).
# Usage: bench/download/run-download-bench.sh [BUILD_DIR] [WORK_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
work=${2:-/tmp/quillmar-download-bench}
port=${PORT:-18089}
rounds=${ROUNDS:-3}
bench="$build/bench/download/quillmar-download-bench"

cmake --build "$build" --target quillmar-download-bench >/dev/null
mkdir -p "$work/www/small" "$work/www/large" "$work/out"
chmod 755 "$work" "$work/www" "$work/www/small" "$work/www/large"

if [ ! -f "$work/www/small/0999.jpg" ]; then
  for i in $(seq -w 0 999); do head -c 10240 /dev/urandom >"$work/www/small/$i.jpg"; done
fi
for i in 1 2 3 4 5; do
  [ -f "$work/www/large/$i.bin" ] || head -c 209715200 /dev/urandom >"$work/www/large/$i.bin"
done
chmod 644 "$work"/www/small/* "$work"/www/large/*
for set in small large; do
  (cd "$work/www/$set" && ls) | sed "s|^|http://127.0.0.1:$port/$set/|" >"$work/$set.list"
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
trap 'nginx -c "$work/nginx.conf" -s stop' EXIT
sleep 0.5

# Runs one tool ROUNDS times into an empty folder; prints "best_seconds max_rss_kb".
measure() {
  local best="" rss=0 line seconds kb
  for _ in $(seq "$rounds"); do
    rm -rf "$work/out" && mkdir -p "$work/out"
    sync
    line=$(cd "$work/out" && /usr/bin/time -f '%e %M' "$@" 2>&1 >/dev/null | tail -1)
    seconds=${line% *}; kb=${line#* }
    if [ -z "$best" ] || awk "BEGIN{exit !($seconds < $best)}"; then best=$seconds; fi
    [ "$kb" -gt "$rss" ] && rss=$kb
  done
  rm -rf "$work/out"
  echo "$best $rss"
}

export no_proxy=127.0.0.1 NO_PROXY=127.0.0.1
printf '%-8s %-10s %10s %12s\n' set tool seconds max_rss_kb
for set in small large; do
  read -r s r < <(measure "$PWD/$bench" "$work/$set.list" "$work/out")
  printf '%-8s %-10s %10s %12s\n' "$set" quillmar "$s" "$r"
  read -r s r < <(measure wget -q -i "$work/$set.list")
  printf '%-8s %-10s %10s %12s\n' "$set" wget "$s" "$r"
  read -r s r < <(measure curl -s -K "$work/$set.curl")
  printf '%-8s %-10s %10s %12s\n' "$set" curl "$s" "$r"
done
