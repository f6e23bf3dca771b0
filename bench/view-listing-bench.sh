#!/usr/bin/env bash
# Builds and runs the browser view benchmark: pages with 10,000 and 100,000
# images and links loaded in a view of the real main frame, timed from load
# complete until the lists, maps and counters show the page.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
[ -f "$dir/CMakeCache.txt" ] || cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" --target view-listing-bench -j2 >/dev/null
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export QTWEBENGINE_CHROMIUM_FLAGS=${QTWEBENGINE_CHROMIUM_FLAGS:---disable-gpu}
export QT_LOGGING_RULES=${QT_LOGGING_RULES:-qt.webenginecontext.info=false}
"$dir/bench/view-listing-bench" "${@:2}"
