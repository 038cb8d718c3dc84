#!/usr/bin/env bash
# Renders ten minutes of one tone pair with a beat (keyframes at 0 and 600 s) to a
# 44.1 kHz 16-bit WAV, and the example session, and prints the speed as a multiple of
# real time and the peak memory of each.
# Usage: bench/render-bench.sh [BUILD_FOLDER]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
render="$build/quorvane-render"
[ -x "$render" ] || { echo "build quorvane-render first: ninja -C $build quorvane-render" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Partial 1 of both ears at 100, full volume, ears apart, the right ear 100 Hz lower.
entry() {
    local v=(100 0 0 0 100 0 0 0 15 20 50 0 0 0 0 100 0 0 0 0 100 0 50 50 100 100 0 0 0 0 0 0 0 0 100 100 0 0)
    printf '%03d' "$1"
    printf '%03d' "${v[@]}"
    printf '0000\r\n'
}
{ entry 0; entry 600; } >"$work/beat.qrv"

run() {
    local name=$1; shift
    /usr/bin/time -v "$render" "$@" 2>"$work/time.log" >/dev/null
    local peak summary
    peak=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.log")
    summary=$(grep 'real time' "$work/time.log")
    echo "$name: $summary; peak memory $((peak / 1024)) MB"
}
run "10-minute setup, 44.1 kHz 16-bit WAV" "$work/beat.qrv" -o "$work/beat.wav" --rate 44100
run "example session, 48 kHz 16-bit WAV" "$root/examples/Tour.ses" -o "$work/tour.wav"
