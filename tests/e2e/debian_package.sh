#!/usr/bin/env bash
# Builds the Debian package from a finished build with CPack and checks it: the files a
# desktop needs are in it under /usr, its dependencies name the Qt libraries and resolve
# with apt, and the programs unpacked from it run.
# Usage: debian_package.sh BUILD_FOLDER WITH_RENDERER(0|1)
set -euo pipefail

for tool in cpack dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
[ $# -eq 2 ] || { echo "usage: $0 BUILD_FOLDER WITH_RENDERER" >&2; exit 2; }
build=$(realpath "$1")
with_renderer=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log"; exit 1; }
debs=("$work"/quorvane_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "FAIL: cpack made no single quorvane_*.deb:"
    ls "$work"
    exit 1
fi
deb=${debs[0]}
echo "built ${deb##*/}"

status=0
fail() {
    echo "FAIL: $*"
    status=1
}

dpkg-deb -c "$deb" | awk '{ print $6 }' >"$work/contents"
id=org.quorvane.Quorvane
expected=(
    ./usr/bin/quorvane ./usr/bin/quorvane-launch
    "./usr/share/applications/$id.desktop" "./usr/share/metainfo/$id.metainfo.xml"
    "./usr/share/icons/hicolor/scalable/apps/$id.svg"
    ./usr/share/man/man1/quorvane.1 ./usr/share/doc/quorvane/copyright
)
for size in 16 32 48 128; do expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/$id.png"); done
[ "$with_renderer" = 1 ] && expected+=(./usr/bin/quorvane-render ./usr/share/man/man1/quorvane-render.1
    ./usr/bin/quorvane-play ./usr/share/man/man1/quorvane-play.1)
for file in "${expected[@]}"; do
    grep -qxF "$file" "$work/contents" || fail "$file is not in the package"
done

[ "$(dpkg-deb -f "$deb" Package)" = quorvane ] || fail "the package is not called quorvane"
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libqt6widgets6* ]] || fail "Depends does not name Qt Widgets: $depends"

# apt must accept the file and find every dependency it names.
if command -v apt-get >/dev/null; then
    apt-get install --simulate --no-install-recommends "$deb" >"$work/apt.log" 2>&1 \
        || { cat "$work/apt.log"; fail "apt-get cannot install ${deb##*/}"; }
fi

dpkg-deb -x "$deb" "$work/root"
if [ "$with_renderer" = 1 ]; then
    "$work/root/usr/bin/quorvane-render" --help >/dev/null || fail "quorvane-render --help fails"
    "$work/root/usr/bin/quorvane-play" --help >/dev/null || fail "quorvane-play --help fails"
fi
[ $status -eq 0 ] && echo "package contents, dependencies and programs: all good"
exit $status
