#!/usr/bin/env bash
# The Thumbnails window in the main frame on a loopback page of 1,000 linked
# 800x600 JPEGs: time from Ctrl+T to the window shown, to the first screenful
# of thumbnails and to all 1,000; the program's memory before and after; and a
# second opening, from the disk cache. Runs offscreen with an empty cache and
# settings of its own.
# Usage: bench/thumbnails/run-thumbnails-bench.sh [BUILD_DIR] [WORK_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
work=${2:-/tmp/quillmar-thumbnails-bench}
port=${PORT:-18095}

cmake --build "$build" --target quillmar-thumbnails-bench >/dev/null
mkdir -p "$work/www"
rm -rf "$work/home" && mkdir -p "$work/home/runtime" && chmod 700 "$work/home/runtime"
bench/thumbnails/picture-server.py "$port" "$work/www" &
server=$!
trap 'kill $server' EXIT
sleep 0.5
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu \
  QT_LOGGING_RULES=qt.webenginecontext.info=false no_proxy=127.0.0.1 \
  XDG_CACHE_HOME="$work/home/cache" XDG_CONFIG_HOME="$work/home/config" \
  XDG_DATA_HOME="$work/home/data" XDG_RUNTIME_DIR="$work/home/runtime" \
  "$build/bench/thumbnails/quillmar-thumbnails-bench" "$work/www" "http://127.0.0.1:$port/"
