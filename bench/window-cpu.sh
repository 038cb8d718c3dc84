#!/usr/bin/env bash
# What the window costs while it plays: the CPU time of the window's own process over
# SECONDS (default 60) with the window shown, then as long with it hidden (unmapped, as a
# minimised window is), playing a setup of one tone pair through a private null sink under
# Xvfb. Prints both as a share of one core.
# Usage: bench/window-cpu.sh [BUILD_FOLDER] [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
seconds=${2:-60}
if [ "${QUORVANE_BENCH_INSIDE:-}" != 1 ]; then
    export QUORVANE_BENCH_INSIDE=1
    exec "$root/tests/e2e/with-null-sink.sh" xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
        "$0" "$build" "$seconds"
fi
# shellcheck source=/dev/null
. "$build/tests/e2e/layout.sh"
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
entry() {
    local values=() name
    for name in "${params[@]}"; do values+=("${default[$name]}"); done
    # Partial 1 of both ears, full volume, ears apart, the right ear 100 Hz lower.
    values[0]=100 values[4]=100 values[14]=0 values[15]=100 values[20]=100
    printf '%03d' "$1" "${values[@]}"
    printf '0000\r\n'
}
{ entry 0; entry 600; } >"$work/beat.qrv"
(cd "$work" && exec "$build/quorvane") >"$work/log" 2>&1 &
pid=$!
for _ in $(seq 100); do
    window=$(xdotool search --name '^Quorvane' 2>/dev/null | head -1) && [ -n "$window" ] && break
    sleep 0.1
done
sleep 3.5  # the splash covers the file lists
# A double click on the only setup of the list (its first row), then Play.
read -r left top width _ <<<"${rect[File1]}"
xdotool mousemove --window "$window" $(((left + width / 2) / 15)) $((top / 15 + 7)) click --repeat 2 --delay 80 1
read -r left top width height <<<"${rect[play]}"
xdotool mousemove --window "$window" $(((left + width / 2) / 15)) $(((top + height / 2) / 15)) click 1
sleep 2
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
measure() {
    local before after
    before=$(ticks)
    sleep "$seconds"
    after=$(ticks)
    awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.2f%%", 100 * t / hz / s }'
}
shown=$(measure)
xdotool windowunmap "$window"
hidden=$(measure)
echo "window CPU while playing, ${seconds} s each: shown $shown of one core, hidden $hidden"
