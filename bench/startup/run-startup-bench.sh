#!/usr/bin/env bash
# Builds and runs the start-up benchmark: milliseconds from launch until the
# about page has loaded in the first window, for Quillmar and for a minimal
# Qt WebEngine program showing the same page, run in turns on the offscreen
# platform; prints each run and the min and median of RUNS (default 5) runs each.
set -euo pipefail
cd "$(dirname "$0")/../.."
dir=${1:-build}
runs=${RUNS:-5}
[ -f "$dir/CMakeCache.txt" ] || cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" --target startup-bench -j2 >/dev/null

export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_CHROMIUM_FLAGS=${QTWEBENGINE_CHROMIUM_FLAGS:---disable-gpu}
export QT_LOGGING_RULES=${QT_LOGGING_RULES:-qt.webenginecontext.info=false}
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
# A home of its own, so the benchmark neither reads nor changes the user's data.
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -m 700 "$home/runtime"
export XDG_RUNTIME_DIR=$home/runtime XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config \
    XDG_CACHE_HOME=$home/cache

time_once() {
    QUILLMAR_BENCH_T0=$(date +%s%N) "$dir/bench/startup/$1" 2>/dev/null
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# One unmeasured run each fills the disk cache and makes the profile folders.
time_once quillmar-startup >/dev/null
time_once minimal-browser >/dev/null
quillmar=() minimal=()
for ((i = 0; i < runs; ++i)); do
    quillmar+=("$(time_once quillmar-startup)")
    minimal+=("$(time_once minimal-browser)")
done
minimum() {
    sort -n | head -1
}

q=$(printf '%s\n' "${quillmar[@]}" | median)
m=$(printf '%s\n' "${minimal[@]}" | median)
qmin=$(printf '%s\n' "${quillmar[@]}" | minimum)
mmin=$(printf '%s\n' "${minimal[@]}" | minimum)
echo "quillmar runs (ms): ${quillmar[*]}"
echo "minimal runs (ms):  ${minimal[*]}"
awk -v q="$qmin" -v m="$mmin" 'BEGIN { printf "min:    quillmar %.1f ms, minimal %.1f ms, ratio %.2f\n", q, m, q / m }'
awk -v q="$q" -v m="$m" 'BEGIN { printf "median: quillmar %.1f ms, minimal %.1f ms, ratio %.2f\n", q, m, q / m }'
