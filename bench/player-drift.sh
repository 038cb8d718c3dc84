#!/usr/bin/env bash
# Whether quorvane-play keeps pace with the monotonic clock: plays a setup of one tone pair
# for SECONDS (default 600) through a private null sink and compares the sound the card
# took with the time the monotonic clock says passed meanwhile. The card sets the pace, so
# what is left is the card's own clock against the machine's, and the device's latency.
# Usage: bench/player-drift.sh [BUILD_FOLDER] [SECONDS]
set -euo pipefail
# shellcheck source=bench/bench-lib.sh
. "$(dirname "$0")/bench-lib.sh" "$@"
seconds=${2:-600}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
beat=(LeftPartial1=100 RightPartial1=100 Pan=0 Vol=100 Diff=100)
{ key_entry 0 "${beat[@]}"; key_entry 600 "${beat[@]}"; } >"$work/beat.qrv"
"$build/quorvane-play" -v --duration "$seconds" "$work/beat.qrv" 2>"$work/log"
sed -n 's/.*the card took \([0-9.]*\) s of sound in \([0-9.]*\) s of the monotonic clock.*/\1 \2/p' \
    "$work/log" | awk '{ printf "the card took %.3f s of sound in %.3f s of the monotonic clock: %+.1f ms off, the latency included\n", $1, $2, ($2 - $1) * 1000 }'
