#!/usr/bin/env bash
# Whether quorvane-play's time line keeps pace with the monotonic clock: plays a setup of
# one tone pair for SECONDS (default 600) through a private null sink and compares the
# transport's steps of 0.1 s with the time the monotonic clock says passed meanwhile.
# Usage: bench/player-drift.sh [BUILD_FOLDER] [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
seconds=${2:-600}
if [ "${QUORVANE_BENCH_INSIDE:-}" != 1 ]; then
    export QUORVANE_BENCH_INSIDE=1
    exec "$root/tests/e2e/with-null-sink.sh" "$0" "$build" "$seconds"
fi
export QUORVANE_LAYOUT=$build/tests/e2e/layout.sh
# shellcheck source=/dev/null
. "$root/tests/e2e/e2e-lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
beat=(LeftPartial1=100 RightPartial1=100 Pan=0 Vol=100 Diff=100)
{ key_entry 0 "${beat[@]}"; key_entry 600 "${beat[@]}"; } >"$work/beat.qrv"
"$build/quorvane-play" -v --duration "$seconds" "$work/beat.qrv" 2>"$work/log"
sed -n 's/.*the time line made \([0-9]*\) steps of 0.1 s in \([0-9.]*\) s (play time \([0-9.]*\) s).*/\1 \2 \3/p' \
    "$work/log" | awk '{ printf "after %.3f s of the monotonic clock the time line made %d steps of 0.1 s: %+.1f ms off (the play time, a float summed step by step, says %.3f s)\n", $2, $1, ($2 - $1 / 10) * 1000, $3 }'
