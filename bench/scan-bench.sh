#!/usr/bin/env bash
# Builds and runs the page scan benchmark: pages with 10,000 and 100,000
# images and links, scanned from load complete to filled lists and maps,
# against a bare script call that returns the same addresses, and the same
# with Deep Scan.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
[ -f "$dir/CMakeCache.txt" ] || cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" --target scan-bench -j2 >/dev/null
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export QTWEBENGINE_CHROMIUM_FLAGS=${QTWEBENGINE_CHROMIUM_FLAGS:---disable-gpu}
"$dir/bench/scan-bench" "${@:2}"
