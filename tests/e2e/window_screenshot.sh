#!/usr/bin/env bash
# Starts the real window on a private X display in an empty folder and photographs it
# twice: with the splash (about 1 s after start) and after the splash has gone (about
# 4.5 s). Checks the client size and that the splash area changed between the shots.
# Usage: window_screenshot.sh QUORVANE_BINARY OUTPUT_FOLDER
# The screenshots stay in OUTPUT_FOLDER as window_splash.png and window_running.png.
set -euo pipefail

if [ "${1:-}" != --on-display ]; then
    for tool in xvfb-run xdotool import compare identify pulseaudio; do
        command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
    done
    [ $# -eq 2 ] || { echo "usage: $0 QUORVANE_BINARY OUTPUT_FOLDER" >&2; exit 2; }
    # The window needs a sound device: a private PulseAudio server with a null sink.
    . "$(dirname "$0")/e2e-lib.sh"
    exec timeout -k 5 60 "$(dirname "$0")/with-null-sink.sh" \
        "${e2e_xvfb[@]}" "$0" --on-display "$@"
fi
shift
quorvane=$(realpath "$1")
out=$(realpath "$2")
mkdir -p "$out"

work=$(mktemp -d)
pid=""
cleanup() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -m 0700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
cd "$work"

started=$(date +%s%N)
"$quorvane" >"$work/quorvane.log" 2>&1 & pid=$!

# Waits until `seconds` (may be fractional) have passed since the program started.
wait_until() {
    local due_ns
    due_ns=$(awk -v s="$1" -v t="$started" 'BEGIN { printf "%.0f", t + s * 1e9 }')
    while [ "$(date +%s%N)" -lt "$due_ns" ]; do sleep 0.05; done
}

window=""
for _ in $(seq 100); do
    window=$(xdotool search --name '^Quorvane 0.2 Beta$' 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || { echo "quorvane ended before its window showed:"; cat "$work/quorvane.log"; exit 1; }
    sleep 0.1
done
[ -n "$window" ] || { echo "no window titled 'Quorvane 0.2 Beta' within 10 s"; exit 1; }

wait_until 1
timeout 10 import -window "$window" "$out/window_splash.png"
wait_until 4.5
timeout 10 import -window "$window" "$out/window_running.png"
kill -0 "$pid" 2>/dev/null || { echo "quorvane ended while it was photographed:"; cat "$work/quorvane.log"; exit 1; }

status=0
for shot in window_splash window_running; do
    size=$(identify -format '%wx%h' "$out/$shot.png")
    if [ "$size" != 627x569 ]; then
        echo "$shot.png is $size, expected the client area 627x569"
        status=1
    fi
done

# The splash covers 281 x 169 pixels at (192, 184); once it has gone, most of that area
# shows the controls beneath it instead.
area=281x169+192+184
convert "$out/window_splash.png" -crop "$area" +repage "$work/splash_area.png"
convert "$out/window_running.png" -crop "$area" +repage "$work/running_area.png"
changed=$(compare -metric AE "$work/splash_area.png" "$work/running_area.png" null: 2>&1 || true)
changed=${changed%% *}
if ! awk -v c="$changed" 'BEGIN { exit !(c + 0 > 281 * 169 / 2) }'; then
    echo "the splash area changed in only '$changed' pixels between 1 s and 4.5 s"
    status=1
fi
echo "screenshots: $out/window_splash.png $out/window_running.png (splash area: $changed pixels changed)"
exit $status
