#!/usr/bin/env bash
# Renders ten minutes of one tone pair with a beat (keyframes at 0 and 600 s) to a
# 44.1 kHz 16-bit WAV, and the example session, and prints the speed as a multiple of
# real time and the peak memory of each.
# Usage: bench/render-bench.sh [BUILD_FOLDER]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
render="$build/quorvane-render"
export QUORVANE_LAYOUT="$build/tests/e2e/layout.sh"
[ -x "$render" ] && [ -f "$QUORVANE_LAYOUT" ] ||
    { echo "build quorvane-render and quorvane_control_layout first (cmake --build $build)" >&2; exit 1; }
. "$root/tests/e2e/e2e-lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Partial 1 of both ears at 100, full volume, ears apart, the right ear 100 samples a
# second slower.
beat=(LeftPartial1=100 RightPartial1=100 Pan=0 Vol=100 Diff=100)
{ key_entry 0 "${beat[@]}"; key_entry 600 "${beat[@]}"; } >"$work/beat.qrv"

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
