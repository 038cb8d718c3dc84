#!/usr/bin/env bash
# Setup files and sessions in the window, in a folder holding a silent setup and three
# short ones (keys at 0 s and 2 s, "Tune" 25, 40 and 55): the silent one opens with a
# double click, the three go into the session list with "Add", the session is saved, the
# list cleared and the session loaded again with a double click; "Run Sess" then plays the
# three tones one after another, each for the 2.1 s of its setup.
# Usage: session_run.sh QUORVANE TONE_TRACK OUTPUT_FOLDER
set -euo pipefail
. "$(dirname "$0")/e2e-lib.sh"
e2e_enter 60 "$@"
e2e_setup "$@"

# Partial 1 of both ears, the AM base at 100 so that both play at full amplitude, " Pan" 0
# so that the left channel carries the left ear alone.
tunes=(25 40 55)
for n in 1 2 3; do
    tone=(LeftPartial1=100 RightPartial1=100 AmBase=100 Pan=0 Vol=80 "Tune=${tunes[n - 1]}")
    { key_entry 0 "${tone[@]}"; key_entry 2 "${tone[@]}"; } >"$work/Tone$n.qrv"
done
# Nothing but defaults: silent, so that it does not mix with the session's tones.
{ key_entry 0; key_entry 4; } >"$work/Keys.qrv"

record_start session
window_start
shot start
# The first row of the setup list is Keys.qrv.
click_first_row File1 2
shot setup_loaded
markers=$(dark_columns setup_loaded Picture1)
echo "key strip after the double click: dark columns $markers"
[ -z "$(dark_columns start Picture1)" ] && [ -n "$markers" ] ||
    fail "the double click on the setup did not load its keys"

for n in 1 2 3; do
    click_first_row File1
    xdotool type --delay 30 "Tone$n"   # the list's type-ahead selects the file
    sleep 0.3
    click addtolist
done
type_into Text3 Three.ses
click saveses
shot saved
saved=$(od -An -c "$work/Three.ses" | tr -s ' \n' ' ')
echo "Three.ses:$saved"
cmp -s "$work/Three.ses" <(printf 'Tone1.qrv\r\nTone2.qrv\r\nTone3.qrv\r\n') ||
    fail "the saved session does not list the three setups"

click clrlist
shot cleared
click_first_row File2 2
shot reloaded
for pair in "saved cleared" "cleared reloaded"; do
    read -r a b <<<"$pair"
    n=$(changed_pixels "$a" "$b" List1)
    echo "session list: $n pixels changed from $a to $b"
    [ "$n" -gt 100 ] || fail "the session list did not change from $a.png to $b.png"
done

click execute
sleep 1
shot session_running
[ "$(changed_pixels reloaded session_running play)" -gt 20 ] || fail "Play stays enabled in a session"
sleep 7
record_stop
# The session is over: the last setup's tone goes on, "Play" stays disabled.
shot session_over
[ "$(changed_pixels session_running session_over play)" -lt 20 ] ||
    fail "Play changed at the end of the session"
program_running || fail "the program ended: $(cat "$work/quorvane.log")"

# Each window named by the setup whose tone it holds (1, 2, 3; - for none), then the runs.
track=$(track session 1 0.1)
runs=$(awk -v a="$(tone_hz "${tunes[0]}")" -v b="$(tone_hz "${tunes[1]}")" -v c="$(tone_hz "${tunes[2]}")" '
    function near(x, y) { return (x / y - 1) ^ 2 < 1e-6 }
    { label = near($2, a) ? 1 : near($2, b) ? 2 : near($2, c) ? 3 : "-" }
    label != run { if (run != "") printf "%s:%.1f ", run, n * 0.1; run = label; n = 0 }
    { n++ }
    END { printf "%s:%.1f\n", run, n * 0.1 }' "$track")
echo "tones in the recording (setup:seconds): $runs"
# The three tones in this order, the first two for about the 2.1 s of their setups (longer
# when a busy machine delays the transport's ticks).
echo "$runs" | tr ' ' '\n' | grep -v '^-' | awk -F: '
    $1 != last { order = order $1; len[$1] = $2; last = $1; next } { len[$1] += $2 }
    END {
        if (order != "123") { print "setups heard in the order " order; exit 1 }
        for (s = 1; s <= 2; s++)
            if (len[s] < 1.5 || len[s] > 3.5) { print "setup " s " lasted " len[s] " s"; exit 1 }
        if (len[3] < 1.5) { print "setup 3 is missing"; exit 1 }
    }' || fail "the session did not play its setups in turn (see $track)"
echo "screenshots and recording: $out"
