#!/usr/bin/env bash
# The Thumbnails window on a loopback page of 1,000 linked 800x600 JPEGs: time
# from opening to the window shown, to the first screenful of thumbnails and
# to all 1,000; the program's memory before and after; and a second opening,
# from the disk cache. Runs offscreen with an empty cache of its own.
# Usage: bench/thumbnails/run-thumbnails-bench.sh [BUILD_DIR] [WORK_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
work=${2:-/tmp/quillmar-thumbnails-bench}
port=${PORT:-18095}

cmake --build "$build" --target quillmar-thumbnails-bench >/dev/null
mkdir -p "$work/www"
rm -rf "$work/cache"
bench/thumbnails/picture-server.py "$port" "$work/www" &
server=$!
trap 'kill $server' EXIT
sleep 0.5
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} XDG_CACHE_HOME="$work/cache" no_proxy=127.0.0.1 \
  "$build/bench/thumbnails/quillmar-thumbnails-bench" "$work/www" "http://127.0.0.1:$port/"
