#!/usr/bin/env bash
# Compares the download worker with wget and curl on loopback, each tool
# fetching the whole list in one process: "latency", 500 files of 10 KB from a
# small server (one event loop) that answers each request after 30 ms, as a
# distant server would; "small" and "large", 1,000 files of 10 KB and 5 files
# of 200 MB served by nginx. Quillmar fetches PARALLEL files at once (default
# 4), wget and curl one by one, "curl-Z" all at once (curl -Z) and wget2 with
# 16 threads. "worker" is the download worker's own time inside the quillmar run
# (without program start-up).
# "page" and "page-latency" run quillmar-harvest as a user does, on a page
# listing the 1,000 files of "small" (or the 500 of "latency"): "harvest" with
# its defaults, so keeping the folder's record of saved pictures (a fresh one
# each run), "no-record" with --no-record, "harvest-16" and "no-record-16" with
# --parallel 16 --per-site 16 (all the files are on one host, which takes 4
# connections at once by default); beside them curl -Z (16 at once), curl and wget one by one,
# and wget2 (its default 5 threads).
# Prints the best and median of ROUNDS runs (seconds) and the peak memory.
# SETS chooses the sets (default "latency small large page page-latency").
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
sets=${SETS:-latency small large page page-latency}
latency_port=$((port + 1))
bench="$build/bench/download/quillmar-download-bench"
tool="$PWD/$build/quillmar-harvest"

cmake --build "$build" --target quillmar-download-bench quillmar-harvest >/dev/null
mkdir -p "$work/www/small" "$work/www/large" "$work/runs" "$work/home/runtime"
chmod 755 "$work" "$work/www" "$work/www/small" "$work/www/large"
chmod 700 "$work/home/runtime"

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
# The pages quillmar-harvest downloads from: a link to each file of a list.
for set in small latency; do
  sed 's|.*/\(.*\)|<a href="&">\1</a>|' "$work/$set.list" >"$work/www/$set.html"
done
cp "$work/small.list" "$work/page.list"
cp "$work/latency.list" "$work/page-latency.list"
for set in latency small large page page-latency; do
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
  types { text/html html; }
  default_type application/octet-stream;
  server { listen 127.0.0.1:$port; root $work/www; }
}
CONF
nginx -c "$work/nginx.conf" -g 'daemon on;'
bench/download/latency-server.py "$latency_port" 30 &
latency_server=$!
trap 'nginx -c "$work/nginx.conf" -s stop; kill $latency_server' EXIT
sleep 0.5

# One timed run of a command in a new empty folder, which @OUT@ in its
# arguments names, with an empty data folder (so the tool's record starts
# empty): appends "seconds max_rss_kb" to the file named by $1. Each run has a
# folder of its own, removed after it: files made where a thousand were just
# deleted take ext4 twice as long to place, which timed the file system more
# than the tools.
run_number=0
run_once() {
  local record=$1 out="$work/runs/$((++run_number))"
  shift
  rm -rf "$work/home/data" && mkdir -p "$out"
  sync
  (cd "$out" && /usr/bin/time -f '%e %M' -a -o "$record" "${@//@OUT@/$out}" >"$work/stdout" 2>&1)
  rm -rf "$out"
}

summary() {
  sort -n "$1" | awk '{t[NR]=$1; if ($2 > m) m = $2}
    END {printf "%10.2f %10.2f %12d\n", t[1], t[int((NR + 1) / 2)], m}'
}

# The peers fetch the set's list: curl and wget one by one, curl 16 at once, wget2.
run_peers() {
  local set=$1
  run_once "$work/wget.times" wget -q -i "$work/$set.list"
  run_once "$work/wget2.times" wget2 -q -i "$work/$set.list"
  run_once "$work/curl.times" curl -s -K "$work/$set.curl"
  run_once "$work/curl-Z.times" curl -s -Z --parallel-max 16 -K "$work/$set.curl"
}

# quillmar-harvest on the set's page, as a user runs it.
run_harvest() {
  local set=$1 page
  [ "$set" = page ] && page=small.html || page=latency.html
  local address="http://127.0.0.1:$port/$page"
  run_once "$work/harvest.times" "$tool" --quiet --download @OUT@ "$address"
  if grep -q '^failed ' "$work/stdout"; then
    grep '^failed ' "$work/stdout" | head >&2
    exit 1
  fi
  run_once "$work/no-record.times" "$tool" --quiet --no-record --download @OUT@ "$address"
  run_once "$work/harvest-16.times" "$tool" --quiet --parallel 16 --per-site 16 \
    --download @OUT@ "$address"
  run_once "$work/no-record-16.times" "$tool" --quiet --no-record --parallel 16 --per-site 16 \
    --download @OUT@ "$address"
}

# The median of tool $1 over the median of tool $2.
ratio() {
  paste <(summary "$work/$1.times") <(summary "$work/$2.times") | awk '{printf "%.2f", $2 / $5}'
}

# The goals the record is held to, on the medians.
goals() {
  case $1 in
  page) echo "page: the record costs $(ratio harvest no-record) x --no-record (goal: at most 1.10)" ;;
  page-latency)
    echo "page-latency: curl one by one takes $(ratio curl harvest) x, wget $(ratio wget harvest) x" \
      "the default run (goal: at least 3); --parallel 4 takes $(ratio harvest harvest-16) x" \
      "--parallel 16 (goal: at least 2.5)"
    ;;
  esac
}

export no_proxy=127.0.0.1 NO_PROXY=127.0.0.1
export XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config" \
  XDG_CACHE_HOME="$work/home/cache" XDG_RUNTIME_DIR="$work/home/runtime" \
  QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu QT_LOGGING_RULES=qt.webenginecontext.info=false
printf '%-12s %-12s %10s %10s %12s\n' set tool best median max_rss_kb
for set in $sets; do
  rm -f "$work"/*.times
  # Tools take turns, so changes in the machine's load hit each of them alike.
  for _ in $(seq "$rounds"); do
    case $set in
    page | page-latency)
      run_harvest "$set"
      run_peers "$set"
      tools="harvest no-record harvest-16 no-record-16 curl-Z curl wget wget2"
      ;;
    *)
      run_once "$work/quillmar.times" "$PWD/$bench" "$work/$set.list" @OUT@ "$parallel"
      # The worker's own time, without the program's start-up.
      awk '{print $6, $8}' "$work/stdout" >>"$work/worker.times"
      run_once "$work/wget.times" wget -q -i "$work/$set.list"
      run_once "$work/curl.times" curl -s -K "$work/$set.curl"
      run_once "$work/curl-Z.times" curl -s -Z -K "$work/$set.curl"
      run_once "$work/wget2.times" wget2 -q --max-threads 16 -i "$work/$set.list"
      tools="quillmar worker wget curl curl-Z wget2"
      ;;
    esac
  done
  for name in $tools; do
    printf '%-12s %-12s %s\n' "$set" "$name" "$(summary "$work/$name.times")"
  done
  goals "$set"
done
rm -rf "$work/runs"
