#!/usr/bin/env bash
# The window with the first partial of both ears raised: the four views draw moving curves,
# green shading towards yellow, and the sound device plays the left ear at 754.19 Hz on the
# left and, with " Diff" at 100, the right ear 8.38 Hz lower on the right.
# Usage: window_tone.sh QUORVANE TONE_TRACK OUTPUT_FOLDER
set -euo pipefail
. "$(dirname "$0")/e2e-lib.sh"
e2e_enter 60 "$@"
e2e_setup "$@"

record_start tone
window_start
shot idle
# Pan 0 puts the left ear's buffer on the left and the right ear's on the right. The AM
# modulator swells both ears together between half and full amplitude, so that the curves
# move; a slow sine, so three shots 0.3 s apart never all look alike.
type_into "$TX14" 0
type_into "$TX20" 100
type_into "$TX10" 75
type_into "$TX11" 10
type_into "$TX12" 25
type_into "$TX13" 100
type_into "$TX0" 100
type_into "$TX4" 100
type_into "$TX15" 100
sleep 1
shot curves_1
sleep 0.3
shot curves_2
sleep 0.3
shot curves_3
sleep 1.5
record_stop
program_running || fail "the program ended: $(cat "$work/quorvane.log")"

for view in WF1PB WF2PB WF3PB WF4PB; do
    rect=${!view}
    read -r idle _ <<<"$(curve_colours idle "$rect")"
    least=255 most=0 moved=0 summary=""
    for n in 1 2 3; do
        read -r rows low high <<<"$(curve_colours "curves_$n" "$rect")"
        [ "$rows" -gt $((idle + 4)) ] || fail "$view shows no raised curve in curves_$n.png"
        least=$((low < least ? low : least))
        most=$((high > most ? high : most))
        summary+=" $rows"
    done
    for pair in "1 2" "2 3" "1 3"; do
        read -r a b <<<"$pair"
        n=$(changed_pixels "curves_$a" "curves_$b" "$rect")
        moved=$((n > moved ? n : moved))
    done
    echo "$view: curve $idle rows high idle,$summary raised; red $least..$most of 255;" \
        "up to $moved pixels changed between shots"
    [ "$moved" -gt 20 ] || fail "$view did not move"
    [ "$least" -lt 30 ] || fail "$view has no green part"
    [ "$most" -ge 45 ] || fail "$view does not shade towards yellow"
done

left=$(tone_hz 9000)
right=$(tone_hz 8900)
read -r share seconds level <<<"$(steady_tone "$(track tone 1 0.1)" "$left")"
echo "left: $seconds s at $left Hz ($share of the loud part), $level dB"
awk -v s="$share" -v t="$seconds" 'BEGIN { exit !(s > 0.8 && t > 1.5) }' ||
    fail "the left channel does not hold $left Hz"
read -r share seconds level <<<"$(steady_tone "$(track tone 2 0.1)" "$right")"
echo "right: $seconds s at $right Hz ($share of the loud part), $level dB"
awk -v s="$share" -v t="$seconds" 'BEGIN { exit !(s > 0.8 && t > 1.5) }' ||
    fail "the right channel does not hold $right Hz"
echo "screenshots and recording: $out"
