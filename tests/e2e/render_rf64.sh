#!/usr/bin/env bash
# A WAV file past 4 GiB: 1400 s at 384 kHz in 32-bit float (4.3 GB) is written as RF64,
# and libsndfile reads back every frame; one that stays smaller is plain WAV.
# Usage: render_rf64.sh QUORVANE_RENDER EXAMPLES_FOLDER WORK_FOLDER
set -euo pipefail
render=$1
examples=$2
work=$3
fail() { echo "FAIL: $*"; exit 1; }
command -v sndfile-info >/dev/null || { echo "skipped: sndfile-info is not installed"; exit 77; }
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
free_kb=$(df -Pk "$work" | awk 'NR == 2 { print $4 }')
[ "$free_kb" -ge $((8 * 1024 * 1024)) ] || { echo "skipped: less than 8 GiB free in $work"; exit 77; }
[ "$(stat -f -c %T "$work")" != tmpfs ] || { echo "skipped: $work is in memory (tmpfs)"; exit 77; }

big=(--rate 384000 --bits 32f)
"$render" -q "$examples/FirstTone.qrv" -o "$work/small.wav" "${big[@]}" --duration 1
[ "$(head -c 4 "$work/small.wav")" = RIFF ] || fail "a short render is not plain WAV"
"$render" -q "$examples/FirstTone.qrv" -o "$work/big.wav" "${big[@]}" --duration 1400
[ "$(head -c 4 "$work/big.wav")" = RF64 ] || fail "the 4.3 GB render is not RF64"
frames=$(sndfile-info "$work/big.wav" | awk '$1 == "Frames" { n = $3 } END { print n }')
[ "$frames" = $((1400 * 384000)) ] || fail "libsndfile reads $frames frames, not $((1400 * 384000))"
echo "RF64 past 4 GiB: $frames frames read back"
