#!/usr/bin/env bash
# Builds quillmar-harvest and runs the Follow Thumbnails benchmark on a
# loopback gallery (see follow-bench.py): pages per second and peak memory of
# all engine processes for 100 and 300 followed pages.
# Usage: bench/follow/run-follow-bench.sh [BUILD_DIR] [PORT]
set -euo pipefail
cd "$(dirname "$0")/../.."
dir=${1:-build}
[ -f "$dir/CMakeCache.txt" ] || cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" --target quillmar-harvest -j2 >/dev/null
export no_proxy=127.0.0.1,localhost NO_PROXY=127.0.0.1,localhost
# A home of its own, so the benchmark neither reads nor changes the user's data.
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -m 700 "$home/runtime"
export XDG_RUNTIME_DIR=$home/runtime XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config \
    XDG_CACHE_HOME=$home/cache
exec python3 bench/follow/follow-bench.py "$dir/quillmar-harvest" "${2:-18093}"
