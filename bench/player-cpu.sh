#!/usr/bin/env bash
# What quorvane-play costs: the CPU time of its process over SECONDS (default 60) while it
# plays a setup of one tone pair through a private null sink, at the default latency and
# at a short one, as a share of one core. Wake-ups, not the synthesis, set the cost.
# Usage: bench/player-cpu.sh [BUILD_FOLDER] [SECONDS]
set -euo pipefail
# shellcheck source=bench/bench-lib.sh
. "$(dirname "$0")/bench-lib.sh" "$@"
seconds=${2:-60}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
beat=(LeftPartial1=100 RightPartial1=100 Pan=0 Vol=100 Diff=100)
{ key_entry 0 "${beat[@]}"; key_entry 600 "${beat[@]}"; } >"$work/beat.qrv"
hz=$(getconf CLK_TCK)
for latency in ${QUORVANE_LATENCIES:-0.5 0.05}; do
    "$build/quorvane-play" -q --latency "$latency" --duration $((seconds + 5)) "$work/beat.qrv" &
    pid=$!
    sleep 3
    before=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
    sleep "$seconds"
    after=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
    wait "$pid"
    awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" -v l="$latency" \
        'BEGIN { printf "quorvane-play at latency %s s: %.2f%% of one core over %d s\n", l, 100 * t / hz / s, s }'
done
