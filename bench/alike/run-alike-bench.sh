#!/usr/bin/env bash
# Look-alikes on real pictures: the photographs of scikit-image's sample data
# and of MATE's nature backgrounds (and the two photographs of one motorcycle),
# then, as a second set, the drawn backgrounds of MATE, GNOME and UKUI. The
# packages are fetched with apt-get download and unpacked into WORK_DIR for
# the bench only; nothing is installed, and the program never needs them.
# Usage: bench/alike/run-alike-bench.sh [BUILD_DIR] [WORK_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
work=${2:-/tmp/quillmar-alike-bench}
packages=(python3-skimage mate-backgrounds gnome-backgrounds ukui-wallpapers)

cmake --build "$build" --target quillmar-alike-bench >/dev/null
mkdir -p "$work/debs" "$work/files"
for package in "${packages[@]}"; do
  if ! ls "$work/debs/${package}_"*.deb >/dev/null 2>&1; then
    (cd "$work/debs" && apt-get download "$package" >/dev/null 2>&1)
  fi
  dpkg-deb -x "$work/debs/${package}_"*.deb "$work/files"
done
skimage="$work/files/usr/lib/python3/dist-packages/skimage/data"
backgrounds="$work/files/usr/share/backgrounds"
photographs=()
for name in astronaut.png chelsea.png coffee.png rocket.jpg motorcycle_left.png \
  hubble_deep_field.jpg retina.jpg ihc.png camera.png coins.png grass.png gravel.png \
  brick.png moon.png; do
  photographs+=("$skimage/$name")
done
photographs+=("$backgrounds"/mate/nature/*.jpg)
drawn=("$backgrounds"/*.jpg "$backgrounds"/*.png "$backgrounds"/mate/abstract/*.png
  "$backgrounds"/mate/abstract/Elephants.jpg "$backgrounds"/mate/desktop/*)
for picture in "$backgrounds"/gnome/*.webp; do
  [[ $picture == */vnc-* ]] || drawn+=("$picture")
done

run() {
  QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="qt.gui.imageio=false" \
    "$build/bench/alike/quillmar-alike-bench" "$@" 2>&1 | grep -v XDG_RUNTIME_DIR
}
echo "== photographs"
run --pair "$skimage/motorcycle_left.png" "$skimage/motorcycle_right.png" "${photographs[@]}"
echo "== drawn backgrounds"
run "${drawn[@]}"
