#!/usr/bin/env bash
# What the window costs while it plays: the CPU time of the window's own process over
# SECONDS (default 60) with the window shown, then as long with it hidden (unmapped, as a
# minimised window is), through a private null sink under Xvfb. Two setups: one steady
# tone pair, and the example AmSwitchSync.qrv, whose modulators move sliders, texts and
# all four waveform views on every tick. Prints each as a share of one core.
# Usage: bench/window-cpu.sh [BUILD_FOLDER] [SECONDS]
set -euo pipefail
# shellcheck source=bench/bench-lib.sh
. "$(dirname "$0")/bench-lib.sh" --display "$@"
seconds=${2:-60}
work=$(mktemp -d)
pid=
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
beat=(LeftPartial1=100 RightPartial1=100 Pan=0 Vol=100 Diff=100)
mkdir "$work/steady" "$work/moving"
{ key_entry 0 "${beat[@]}"; key_entry 600 "${beat[@]}"; } >"$work/steady/beat.qrv"
cp "$root/examples/AmSwitchSync.qrv" "$work/moving/"
hz=$(getconf CLK_TCK)
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
measure() {
    local before after
    before=$(ticks)
    sleep "$seconds"
    after=$(ticks)
    awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.2f%%", 100 * t / hz / s }'
}
for setup in steady moving; do
    (cd "$work/$setup" && exec "$build/quorvane") >"$work/$setup.log" 2>&1 &
    pid=$!
    window=
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
    shown=$(measure)
    xdotool windowunmap "$window"
    hidden=$(measure)
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo "window CPU playing the $setup setup, ${seconds} s each: shown $shown of one core, hidden $hidden"
done
