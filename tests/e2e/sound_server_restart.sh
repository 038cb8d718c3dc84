#!/usr/bin/env bash
# The sound server dies while the window plays: the window goes on running (its transport
# too), Play without a server reports why in a message that blocks nothing, and once a
# server is back the next Play brings the tone back.
# Usage: sound_server_restart.sh QUORVANE TONE_TRACK OUTPUT_FOLDER
set -euo pipefail
. "$(dirname "$0")/e2e-lib.sh"
e2e_enter 60 "$@"
e2e_setup "$@"

# played NAME WHEN: checks that recording NAME holds the left ear's 754.19 Hz for a second.
played() {
    local share seconds level
    read -r share seconds level <<<"$(steady_tone "$(track "$1" 1 0.1)" "$(tone_hz 9000)")"
    echo "$2: $seconds s at $(tone_hz 9000) Hz ($share of the loud part), $level dB"
    awk -v s="$share" -v t="$seconds" -v db="$level" 'BEGIN { exit !(s > 0.8 && t >= 1 && db > -30) }' ||
        fail "no tone $2"
}

record_start before
window_start
type_into "$TX14" 0
type_into "$TX0" 100
type_into "$TX4" 100
type_into "$TX15" 100
click "$PLAY"
sleep 1.5
record_stop
played before "before the server died"

sound_server_kill
sleep 1
program_running || fail "the program ended with the sound server: $(cat "$work/quorvane.log")"
window_shown || fail "the window went with the sound server"
shot server_gone

click "$PLAY"
wait_for 5 eval '[ "$(xdotool search --onlyvisible --name "^$e2e_title\$" | wc -l)" -ge 2 ]' ||
    fail "Play without a sound server showed no message"
message=$(xdotool search --onlyvisible --name "^$e2e_title\$" | grep -vx "$window" | head -1)
timeout 10 import -window "$message" "$out/message.png"
timeout 10 import -window root -crop 1000x700+0+0 "$out/screen_with_message.png"
# The message blocks nothing: the transport runs on beside it.
shot message_a
sleep 1.2
shot message_b
[ "$(changed_pixels message_a message_b "$TEXT2")" -gt 0 ] ||
    fail "the time stood still while the message was shown"

sound_server_restart
record_start after
click "$PLAY"
sleep 2
record_stop
program_running || fail "the program ended: $(cat "$work/quorvane.log")"
played after "after the next Play"
echo "screenshots and recordings: $out"
