#!/usr/bin/env bash
# Builds quillmar-harvest and times it, in turns, on a generated page of COUNT
# (default 100000) images and as many links: the plain scan against --deep.
# Prints each run and the min and median of RUNS (default 3) runs each.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
count=${2:-100000}
runs=${RUNS:-3}
[ -f "$dir/CMakeCache.txt" ] || cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" --target quillmar-harvest -j2 >/dev/null

export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_CHROMIUM_FLAGS=${QTWEBENGINE_CHROMIUM_FLAGS:---disable-gpu}
export QT_LOGGING_RULES=${QT_LOGGING_RULES:-qt.webenginecontext.info=false}
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
# The page of the scan benchmark: one shown picture, a full-size one named per image.
printf 'GIF89a\1\0\1\0\200\0\0\377\0\0\0\0\0,\0\0\0\0\1\0\1\0\0\2\2D\1\0;' >"$folder/a.gif"
awk -v n="$count" 'BEGIN {
    print "<!DOCTYPE html><html><head><title>Bench</title></head><body>"
    for (i = 0; i < n; i++) printf "<img src=\"a.gif\" data-src=\"pictures/i%d.jpg\">\n", i
    for (i = 0; i < n; i++) printf "<a href=\"pictures/p%d.jpg\">p</a>\n", n - i
    print "</body></html>"
}' >"$folder/page.html"

time_once() {
    local start end
    start=$(date +%s%N)
    "$dir/quillmar-harvest" --timeout 300 "$@" "file://$folder/page.html" >"$folder/out" 2>/dev/null
    end=$(date +%s%N)
    echo "$(((end - start) / 1000000)) $(head -1 "$folder/out")" >&2
    echo $(((end - start) / 1000000))
}

summary() {
    sort -n | awk '{ v[NR] = $1 } END { printf "min %d median %d", v[1], v[int((NR + 1) / 2)] }'
}

plain=() deep=()
for ((i = 0; i < runs; ++i)); do
    plain+=("$(time_once)")
    deep+=("$(time_once --deep)")
done
echo "plain scan ms: ${plain[*]} | $(printf '%s\n' "${plain[@]}" | summary)"
echo "deep scan ms:  ${deep[*]} | $(printf '%s\n' "${deep[@]}" | summary)"
