#!/bin/sh
# Installs the build folder $1 into a temporary DESTDIR and checks the layout,
# the desktop data and the programs' answers; $2 is the project version.
set -eu
build=$1
version=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
cd "$root/usr"

id=org.quillmar.Quillmar
for file in bin/quillmar bin/quillmar-harvest share/applications/$id.desktop \
    share/icons/hicolor/scalable/apps/$id.svg share/metainfo/$id.metainfo.xml \
    share/man/man1/quillmar.1 share/man/man1/quillmar-harvest.1 \
    share/bash-completion/completions/quillmar-harvest \
    lib/systemd/user/quillmar-watches.service lib/systemd/user/quillmar-watches.timer; do
    [ -s "$file" ] || { echo "not installed: $file" >&2; exit 1; }
done
for size in 16 32 48 64 128 256; do
    file "share/icons/hicolor/${size}x$size/apps/$id.png" | grep -q "PNG image data, $size x $size" ||
        { echo "no $size px icon" >&2; exit 1; }
done

desktop-file-validate "share/applications/$id.desktop"
appstreamcli validate --no-net "share/metainfo/$id.metainfo.xml"
for page in quillmar quillmar-harvest; do
    warnings=$(MANWIDTH=80 man --warnings -l "share/man/man1/$page.1" 2>&1 >/dev/null)
    [ -z "$warnings" ] || { echo "$page.1: $warnings" >&2; exit 1; }
done
bash -n share/bash-completion/completions/quillmar-harvest

# The service runs the tool of the prefix it was installed under.
grep -qx 'ExecStart=/usr/bin/quillmar-harvest --check-watches' \
    lib/systemd/user/quillmar-watches.service ||
    { echo "quillmar-watches.service does not run /usr/bin/quillmar-harvest" >&2; exit 1; }
# systemd reads the units as a user manager would, warnings included; its own
# checks need the program and the manual page where the unit names them, so
# the service is checked as a copy that names the tool just installed.
if command -v systemd-analyze >/dev/null; then
    units=$root/units
    mkdir -m 700 "$units" "$root/runtime"
    cp lib/systemd/user/quillmar-watches.timer "$units/"
    sed "s|^ExecStart=/usr/bin/|ExecStart=$root/usr/bin/|" lib/systemd/user/quillmar-watches.service \
        >"$units/quillmar-watches.service"
    said=$(XDG_RUNTIME_DIR=$root/runtime MANPATH=$root/usr/share/man systemd-analyze --user verify \
        "$units/quillmar-watches.timer" "$units/quillmar-watches.service" 2>&1) &&
        [ -z "$said" ] || { echo "systemd-analyze verify: $said" >&2; exit 1; }
else
    echo "systemd-analyze is not installed: the systemd units are not verified" >&2
fi

for program in quillmar quillmar-harvest; do
    [ "$("bin/$program" --version)" = "$program $version" ] || { echo "$program --version" >&2; exit 1; }
    "bin/$program" --help | grep -q "^usage: $program" || { echo "$program --help" >&2; exit 1; }
    if "bin/$program" --no-such-option >/dev/null 2>"$root/err"; then status=0; else status=$?; fi
    [ "$status" -eq 2 ] && grep -q "^usage: $program" "$root/err" ||
        { echo "$program with a bad option: status $status" >&2; exit 1; }
done
# Qt's own -platform option stands in for a display.
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM bin/quillmar -platform offscreen --version 2>/dev/null)" = "quillmar $version" ] ||
    { echo "quillmar -platform offscreen --version" >&2; exit 1; }
