#!/usr/bin/env bash
# A 10-hour session rendered with quorvane-render keeps its memory flat: its peak resident
# size stays below 16 MB and within a little of a 10-minute render's. The session plays one
# audible setup (keys at 0 s and 600 s, "Tune" gliding from 20 to 40) sixty times.
# 16 kHz keeps the loops' rates (9000 to 13000 samples per second) below the output rate.
# Usage: render_memory.sh QUORVANE_RENDER OUTPUT_FOLDER
set -euo pipefail
. "$(dirname "$0")/e2e-lib.sh"
render=$1
out=$2
[ -x /usr/bin/time ] || { echo "skipped: /usr/bin/time is not installed"; exit 77; }
command -v soxi >/dev/null || { echo "skipped: soxi is not installed"; exit 77; }
rm -rf "$out"
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The 10-hour FLAC file takes about 500 MB while it is checked.
free_kb=$(df -Pk "$work" | awk 'NR == 2 { print $4 }')
[ "$free_kb" -gt 2000000 ] || { echo "skipped: less than 2 GB free in $work"; exit 77; }

tone=(LeftPartial1=100 RightPartial1=100 AmBase=100 Pan=0 Vol=80)
{ key_entry 0 "${tone[@]}" Tune=20; key_entry 600 "${tone[@]}" Tune=40; } >"$work/Glide.qrv"
for _ in $(seq 60); do printf 'Glide.qrv\r\n'; done >"$work/TenHours.ses"

# peak NAME INPUT: renders INPUT and prints "PEAK_KB SECONDS LENGTH_SECONDS".
peak() {
    /usr/bin/time -o "$out/$1.time" -f '%M %e' \
        "$render" "$work/$2" -o "$work/$1.flac" --rate 16000 2>"$out/$1.log" ||
        fail "the render of $2 failed: $(cat "$out/$1.log")"
    echo "$(cat "$out/$1.time") $(soxi -D "$work/$1.flac")"
    rm -f "$work/$1.flac"
}

read -r short_kb short_s short_len <<<"$(peak ten_minutes Glide.qrv)"
read -r long_kb long_s long_len <<<"$(peak ten_hours TenHours.ses)"
echo "10 minutes: $short_len s of sound in $short_s s, peak $short_kb kB"
echo "10 hours:   $long_len s of sound in $long_s s, peak $long_kb kB"
awk -v s="$long_len" 'BEGIN { exit !(s > 36000 && s < 36010) }' ||
    fail "the session rendered $long_len s, not sixty times 600.1 s"
[ "$long_kb" -lt 16384 ] || fail "the 10-hour render peaked at $long_kb kB"
[ "$long_kb" -le $((short_kb + short_kb / 10 + 512)) ] ||
    fail "memory grew with the length: $short_kb kB for 10 minutes, $long_kb kB for 10 hours"
