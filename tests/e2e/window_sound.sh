#!/usr/bin/env bash
# The real window and its sound through PortAudio into the private null sink:
# - without a usable sound device (no device in the ALSA configuration, or no sound server
#   behind it) the program ends before any window with status 1 and one line on stderr
#   that names the reason;
# - the window opens at its size under the splash, which then goes;
# - with the first partial of both ears raised, " Pan" 0 and " Diff" 100, the left channel
#   holds the left ear's 754.19 Hz and the right one the right ear's 745.81 Hz, each at the
#   level the AM base gives, and Play starts the tone over without a gap to speak of;
# - with the AM modulator swinging, the four views draw moving curves, green towards yellow;
# - the sound server dies: the window runs on, Play reports why in a message that blocks
#   nothing, and once a server is back the next Play brings the tone back.
# Usage: window_sound.sh QUORVANE TONE_TRACK OUTPUT_FOLDER
set -euo pipefail
. "$(dirname "$0")/e2e-lib.sh"
e2e_enter 120 "$@"
e2e_setup "$@"

: >"$work/no-devices.conf"
for environment in "ALSA_CONFIG_PATH=$work/no-devices.conf" "PULSE_SERVER=unix:$work/no-server"; do
    (cd "$work" && exec env "$environment" "$quorvane") >"$out/refused.out" 2>"$out/refused.err" &
    e2e_program_pid=$!
    shown=""
    wait_for 20 eval 'window_shown && shown=yes; ! program_running' || fail "$environment: still running"
    status=0
    wait "$e2e_program_pid" || status=$?
    echo "$environment: status $status; stderr: $(cat "$out/refused.err")"
    [ "$status" -eq 1 ] || fail "$environment: the program ended with status $status"
    [ -z "$shown" ] || fail "$environment: a window was shown"
    [ "$(wc -l <"$out/refused.err")" -eq 1 ] || fail "$environment: stderr does not hold one line"
    grep -q '^quorvane: .*sound.*: [^ ]' "$out/refused.err" || fail "$environment: no reason given"
    [ ! -s "$out/refused.out" ] || fail "$environment: unexpected output: $(cat "$out/refused.out")"
done

record_start tone
window_start
for name in splash after_splash; do
    size=$(identify -format '%wx%h+0+0' "$out/$name.png")
    [ "$size" = "$(area form)" ] || fail "$name.png is $size, not the client area $(area form)"
done
changed=$(changed_pixels splash after_splash about)
echo "the splash's area: $changed pixels changed when it went"
awk -v c="$changed" -v a="$(area about)" 'BEGIN { split(a, s, /[x+]/); exit !(c > s[1] * s[2] / 2) }' ||
    fail "the splash did not show, or did not go"

# Pan 0 puts the left ear's buffer on the left and the right ear's on the right; the
# right ear plays 100 samples a second slower. The volume jumps from 0 to 100 at once.
set_param Pan=0 Diff=100 LeftPartial1=100 RightPartial1=100
# Play while " Vol" is 0: the new buffers take the silence at once, without a click.
click play
sleep 0.5
set_param Vol=100
sleep 1.5
# Play while the tone plays starts over on the stream that runs.
click play
sleep 1.5
record_stop
# Neither the jump nor Play is a click: the volume glides, the old take fades out and the
# new one in.
no_click tone

# The AM modulator swells both ears together between half and full amplitude, so that the
# curves move; a slow sine, so three shots 0.3 s apart never all look alike.
set_param AmBase=75 AmSpeed=10 AmDepth=25 AmOffset=100
sleep 1
shot curves_1
sleep 0.3
shot curves_2
sleep 0.3
shot curves_3
set_param AmDepth=0
program_running || fail "the program ended: $(cat "$work/quorvane.log")"

for view in WF1PB WF2PB WF3PB WF4PB; do
    read -r idle _ <<<"$(curve_colours after_splash "$view")"
    least=255 most=0 moved=0 summary=""
    for n in 1 2 3; do
        read -r rows low high <<<"$(curve_colours "curves_$n" "$view")"
        [ "$rows" -gt $((idle + 4)) ] || fail "$view shows no raised curve in curves_$n.png"
        least=$((low < least ? low : least))
        most=$((high > most ? high : most))
        summary+=" $rows"
    done
    for pair in "1 2" "2 3" "1 3"; do
        read -r a b <<<"$pair"
        n=$(changed_pixels "curves_$a" "curves_$b" "$view")
        moved=$((n > moved ? n : moved))
    done
    echo "$view: curve $idle rows high idle,$summary raised; red $least..$most of 255;" \
        "up to $moved pixels changed between shots"
    [ "$moved" -gt 20 ] || fail "$view did not move"
    [ "$least" -lt 30 ] || fail "$view has no green part"
    [ "$most" -ge 45 ] || fail "$view does not shade towards yellow"
done

# heard RECORDING CHANNEL HZ AM_BASE SECONDS: the channel holds HZ for SECONDS at least, at
# the level of a full first partial at that AM base (a third of it, in bytes from the rest
# level 127 out of 128), within half a decibel, and falls silent for half a second at most.
heard() {
    local share seconds level gap expected
    read -r share seconds level gap <<<"$(steady_tone "$(track "$1" "$2" 0.05)" "$3")"
    expected=$(awk -v base="$4" 'BEGIN { printf "%.1f", 20 * log(base / 3 / 128 / sqrt(2)) / log(10) }')
    echo "$1, channel $2: $seconds s at $3 Hz ($share of the loud part), $level dB" \
        "(expected $expected dB), silent $gap s at most"
    awk -v s="$share" -v t="$seconds" -v "l=$level" -v e="$expected" -v g="$gap" -v want="$5" \
        'BEGIN { exit !(s > 0.8 && t >= want && (l - e) ^ 2 < 0.25 && g <= 0.5) }' ||
        fail "$1, channel $2 does not hold $3 Hz at $expected dB without a gap"
}
heard tone 1 "$(tone_hz "${default[Tune]}")" "${default[AmBase]}" 2.5
heard tone 2 "$(tone_hz "${default[Tune]}" 100)" "${default[AmBase]}" 2.5

sound_server_kill
sleep 1
program_running || fail "the program ended with the sound server: $(cat "$work/quorvane.log")"
window_shown || fail "the window went with the sound server"
shot server_gone

click play
wait_for 5 eval '[ "$(xdotool search --onlyvisible --name "^$e2e_title\$" | wc -l)" -ge 2 ]' ||
    fail "Play without a sound server showed no message"
message=$(xdotool search --onlyvisible --name "^$e2e_title\$" | grep -vx "$window" | head -1)
timeout 10 import -window "$message" "$out/message.png"
timeout 10 import -window root -crop 1000x700+0+0 "$out/screen_with_message.png"
# The message blocks nothing: the transport runs on beside it.
shot message_a
sleep 1.2
shot message_b
[ "$(changed_pixels message_a message_b Text2)" -gt 0 ] ||
    fail "the time stood still while the message was shown"

sound_server_restart
record_start after
click play
sleep 2
record_stop
program_running || fail "the program ended: $(cat "$work/quorvane.log")"
heard after 1 "$(tone_hz "${default[Tune]}")" 75 1
echo "screenshots and recordings: $out"
