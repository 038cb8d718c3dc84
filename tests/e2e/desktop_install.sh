#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks what a desktop sees of it: every file
# in its place, the menu entry and the metainfo accepted by the freedesktop validators,
# the icons at their sizes, man pages that format without a warning, and a launcher that
# starts the program in the user's own setups folder without overwriting the user's files.
# Usage: desktop_install.sh BUILD_FOLDER WITH_RENDERER(0|1) EXAMPLES_FOLDER
set -euo pipefail

for tool in desktop-file-validate appstreamcli groff od; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
[ $# -eq 3 ] || { echo "usage: $0 BUILD_FOLDER WITH_RENDERER EXAMPLES_FOLDER" >&2; exit 2; }
build=$1
with_renderer=$2
examples=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; exit 1; }

status=0
fail() {
    echo "FAIL: $*"
    status=1
}

id=org.quorvane.Quorvane
expected=(
    bin/quorvane bin/quorvane-launch
    "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml"
    "share/icons/hicolor/scalable/apps/$id.svg"
    share/man/man1/quorvane.1 share/doc/quorvane/copyright
)
for size in 16 32 48 128; do expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png"); done
[ "$with_renderer" = 1 ] && expected+=(bin/quorvane-render share/man/man1/quorvane-render.1
    bin/quorvane-play share/man/man1/quorvane-play.1)
for example in "$examples"/*; do
    [ -f "$example" ] && expected+=("share/quorvane/examples/${example##*/}")
done
for file in "${expected[@]}"; do
    [ -f "$prefix/$file" ] || fail "$file was not installed"
done
for program in quorvane quorvane-launch; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is not executable"
done

desktop="$prefix/share/applications/$id.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" \
    || fail "appstreamcli rejects $id.metainfo.xml"
# The entry must name what was installed: its program and its icon.
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[ -x "$prefix/bin/${exec_line%% *}" ] || fail "Exec=$exec_line is not an installed program"
[ "$(sed -n 's/^Icon=//p' "$desktop")" = "$id" ] || fail "the entry's Icon is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
    "$prefix/share/metainfo/$id.metainfo.xml" || fail "the metainfo does not launch $id.desktop"

# A PNG keeps its width and height as big-endian numbers at bytes 16 to 23.
for size in 16 32 48 128; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
    [ -f "$png" ] || continue
    read -r w1 w2 w3 w4 h1 h2 h3 h4 < <(od -An -tu1 -j16 -N8 "$png")
    width=$(((w1 << 24) | (w2 << 16) | (w3 << 8) | w4))
    height=$(((h1 << 24) | (h2 << 16) | (h3 << 8) | h4))
    [ "${width}x${height}" = "${size}x${size}" ] || fail "the ${size}px icon is ${width}x${height}"
done

for page in "$prefix"/share/man/man1/*.1; do
    warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1) || fail "groff fails on ${page##*/}"
    [ -z "$warnings" ] || fail "${page##*/}: $warnings"
done

if [ "$with_renderer" = 1 ]; then
    "$prefix/bin/quorvane-render" --help >"$work/help.txt" || fail "quorvane-render --help fails"
    grep -q -- --rate "$work/help.txt" || fail "quorvane-render --help does not mention --rate"
    "$prefix/bin/quorvane-play" --help >"$work/help.txt" || fail "quorvane-play --help fails"
    grep -q -- --stop-after "$work/help.txt" || fail "quorvane-play --help does not mention --stop-after"
fi

# The launcher, beside a stand-in for the window that records where and how it started.
fake="$work/fake"
mkdir -p "$fake/bin" "$fake/share/quorvane/examples" "$work/home/Quorvane" "$work/elsewhere"
cp "$prefix/bin/quorvane-launch" "$fake/bin/"
cat >"$fake/bin/quorvane" <<'STUB'
#!/bin/sh
pwd >"$RECORD"
echo "$@" >>"$RECORD"
STUB
chmod +x "$fake/bin/quorvane"
echo example >"$fake/share/quorvane/examples/Calm.qrv"
echo example >"$fake/share/quorvane/examples/Evening.ses"
echo mine >"$work/home/Quorvane/Calm.qrv"
export RECORD="$work/record"

# Started through a link, as from a bin folder of its own, from some other folder.
ln -s "$fake/bin/quorvane-launch" "$work/elsewhere/quorvane-launch"
(cd / && HOME="$work/home" "$work/elsewhere/quorvane-launch" --one two) || fail "the launcher fails"
[ "$(sed -n 1p "$RECORD" 2>/dev/null)" = "$work/home/Quorvane" ] \
    || fail "the launcher started the window in '$(sed -n 1p "$RECORD" 2>/dev/null)'"
[ "$(sed -n 2p "$RECORD" 2>/dev/null)" = "--one two" ] || fail "the launcher lost the arguments"
[ "$(cat "$work/home/Quorvane/Calm.qrv")" = mine ] || fail "the launcher overwrote the user's setup"
[ -f "$work/home/Quorvane/Evening.ses" ] || fail "the launcher did not copy the examples"

# A first start: the folder does not exist yet.
rm -f "$RECORD"
(cd / && HOME="$work/home" QUORVANE_HOME="$work/new/setups" "$fake/bin/quorvane-launch") \
    || fail "the launcher fails on a first start"
[ "$(sed -n 1p "$RECORD" 2>/dev/null)" = "$work/new/setups" ] || fail "QUORVANE_HOME is not used"
[ -f "$work/new/setups/Calm.qrv" ] || fail "the first start did not get the examples"

[ $status -eq 0 ] && echo "installed files, validators, icons, man pages and launcher: all good"
exit $status
