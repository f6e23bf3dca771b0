#!/usr/bin/env bash
# One quillmar-harvest process against 2, 4 and 8 shards under GNU Parallel, on
# 60 gallery pages of 5 pictures each (small PNGs, 160x120 of noise, about
# 58 KB) served from loopback by a threaded Python server. Each configuration
# downloads the whole list into a fresh folder with a fresh --archive record,
# ROUNDS times; prints the best and median wall time, the peak memory of the
# whole process tree, engine helpers included (private memory and RSS, see
# measure.py), and the load average before each run: the machine may be shared.
# Needs python3 and GNU Parallel (apt-get install parallel).
# Usage: bench/shards/run-shards-bench.sh [BUILD_DIR] [WORK_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(realpath "${1:-build}")
work=${2:-/tmp/quillmar-shards-bench}
port=${PORT:-18095}
rounds=${ROUNDS:-3}
tool="$build/quillmar-harvest"
command -v parallel >/dev/null || { echo "needs GNU Parallel (apt-get install parallel)" >&2; exit 1; }

cmake --build "$build" --target quillmar-harvest >/dev/null
mkdir -p "$work/www"
python3 bench/shards/make-galleries.py "$work/www" "http://127.0.0.1:$port" >"$work/list.txt"
python3 -m http.server --bind 127.0.0.1 --directory "$work/www" "$port" >/dev/null 2>&1 &
server=$!
trap 'kill $server' EXIT
until python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/g00.html')" 2>/dev/null; do sleep 0.2; done

# The engine's profile and the folder records stay inside the work folder.
export XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache" XDG_CONFIG_HOME="$work/config"

run() { # name, then the command; "@DIR@" in it stands for the round's folder
  local name=$1; shift
  for round in $(seq "$rounds"); do
    local folder="$work/out/$name-$round"
    rm -rf "$folder" "$work/data"
    mkdir -p "$folder"
    python3 bench/shards/measure.py "$name" "$folder" "${@//@DIR@/$folder}"
  done
}

rm -rf "$work/out"
echo "# $(nproc) cores; $rounds rounds each; pictures: $(grep -c . "$work/list.txt") pages x 5"
run one "$tool" --quiet --input "$work/list.txt" --download @DIR@ --archive @DIR@/record.sqlite
run shards2 parallel -j2 "$tool" --quiet --input "$work/list.txt" --shard '{}/2' \
  --download @DIR@ --archive @DIR@/record.sqlite ::: 1 2
run shards4 parallel -j4 "$tool" --quiet --input "$work/list.txt" --shard '{}/4' \
  --download @DIR@ --archive @DIR@/record.sqlite ::: 1 2 3 4
# Past the cores: where more shards stop helping.
run shards8 parallel -j8 "$tool" --quiet --input "$work/list.txt" --shard '{}/8' \
  --download @DIR@ --archive @DIR@/record.sqlite ::: 1 2 3 4 5 6 7 8
python3 bench/shards/measure.py --summary "$work/out"
