#!/usr/bin/env bash
# What a record of saved pictures of ENTRIES addresses (default 1,000,000)
# adds to a run of a one-picture page, against an empty record: the time and
# peak memory of a small program doing a run's open, look-up and record, and
# of quillmar-harvest downloading a local one-picture page with --archive
# (best of ROUNDS runs). Then three processes record 2,000 addresses each into
# the big record at once, and each checks that none of its addresses is missing.
# Needs GNU time (apt-get install time).
# Usage: bench/record/run-record-bench.sh [BUILD_DIR] [WORK_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
work=${2:-/tmp/quillmar-record-bench}
entries=${ENTRIES:-1000000}
rounds=${ROUNDS:-5}
bench="$build/bench/record/quillmar-record-bench"
tool="$build/quillmar-harvest"

cmake --build "$build" --target quillmar-record-bench quillmar-harvest >/dev/null
mkdir -p "$work/page" "$work/home/runtime"
chmod 700 "$work/home/runtime"
export XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config" \
  XDG_CACHE_HOME="$work/home/cache" XDG_RUNTIME_DIR="$work/home/runtime" \
  QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu QT_LOGGING_RULES=qt.webenginecontext.info=false

if [ ! -f "$work/big-$entries.db" ]; then
  # Made in the text form of earlier versions, so the conversion is measured too.
  seq 1 "$entries" |
    awk '{printf "http://example.org/gallery/%d/picture-%d.jpg\tpicture-%d.jpg\n", $1, $1, $1}' \
      >"$work/big-$entries.db"
  echo "text form of $entries entries: $(du -h "$work/big-$entries.db" | cut -f1)"
  "$bench" convert "$work/big-$entries.db"
  echo "database: $(du -h "$work/big-$entries.db" | cut -f1)"
fi
rm -f "$work/empty.db"*
"$bench" check "$work/empty.db" none 0 >/dev/null || true
# Each run saves a picture the record does not hold yet, as a run of a new page would.
for round in $(seq "$rounds"); do
  head -c 20000 /dev/urandom >"$work/page/$round.jpg"
  echo "<img src='$round.jpg'>" >"$work/page/$round.html"
done

# One timed run: appends "seconds max_rss_kb" to the file named by $1.
run_once() {
  local times=$1
  shift
  rm -rf "$work/out"
  sync
  /usr/bin/time -f '%e %M' -a -o "$times" "$@" >/dev/null 2>&1
}

# Best seconds and the lowest peak memory of a file of times.
best() {
  sort -n "$1" | awk 'NR == 1 {t = $1} {if (m == "" || $2 < m) m = $2}
    END {printf "%8.3f s %8d KB\n", t, m}'
}

rm -f "$work"/*.times
cp "$work/big-$entries.db" "$work/big.db"
sync
for round in $(seq "$rounds"); do
  for size in empty big; do
    run_once "$work/program-$size.times" \
      "$bench" run "$work/$size.db" "http://example.org/new/$RANDOM/$round.jpg"
    run_once "$work/tool-$size.times" \
      "$tool" --download "$work/out" --archive "$work/$size.db" "$work/page/$round.html"
  done
done
printf '%-8s %-12s %s\n' what record "best time, lowest peak memory"
for what in program tool; do
  for size in empty big; do
    printf '%-8s %-12s %s\n' "$what" "$size" "$(best "$work/$what-$size.times")"
  done
done

for writer in a b c; do
  "$bench" write "$work/big.db" "http://example.org/$writer/" 2000 &
done
wait
for writer in a b c; do
  "$bench" check "$work/big.db" "http://example.org/$writer/" 2000
done
rm -rf "$work/out" "$work/big.db"* "$work/empty.db"*
