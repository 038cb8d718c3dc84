#!/usr/bin/env bash
# quorvane-play through a private PulseAudio null sink, on a private bus with a stand-in
# for logind: the beat setup's two tones; a session's setups starting when the renderer's
# trace says; no click at the start or at any end (the natural end, the sleep timer,
# SIGINT); the machine kept awake while playing and let go at the end; a missing device
# refused with its reason; a sound server killed and started again brings the tone back;
# and no Qt in the program.
# Usage: player.sh QUORVANE_PLAY TONE_TRACK QUORVANE_RENDER OUTPUT_FOLDER
set -euo pipefail
. "$(dirname "$0")/e2e-lib.sh"
if [ "${1:-}" != --inside ]; then
    for tool in pulseaudio parecord pactl dbus-run-session; do
        command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
    done
    /usr/bin/python3 -c 'import dbus, gi' 2>/dev/null || { echo "skipped: no python3-dbus"; exit 77; }
    exec timeout -k 5 280 "$e2e_here/with-null-sink.sh" dbus-run-session -- "$0" --inside "$@" \
        2> >(grep -v "Failed to set fd limit" >&2)
fi
e2e_setup "$2" "$3" "$5"
play=$quorvane
render=$(realpath "$4")

ldd "$play" | grep -qi 'libQt' && fail "quorvane-play links Qt: $(ldd "$play" | grep -i qt)"

# logind, as far as the player asks it: the inhibitor lock is one end of a pipe.
/usr/bin/python3 "$e2e_here/fake_logind.py" "$out/logind.log" >"$work/logind.ready" &
wait_for 5 test -s "$work/logind.ready" || fail "the stand-in for logind did not start"
export DBUS_SYSTEM_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS

beat=(LeftPartial1=100 RightPartial1=100 Pan=0 Vol=100 Diff=100)
{ key_entry 0 "${beat[@]}"; key_entry 4 "${beat[@]}"; } >"$work/beat.qrv"

# The beat setup: both tones, held for the setup's 4.1 s, the machine kept awake meanwhile.
record_start beat
"$play" -v "$work/beat.qrv" 2>"$out/beat.log" || fail "the beat setup did not play: $(cat "$out/beat.log")"
record_stop
heard_tone() {
    local share seconds
    read -r share seconds _ <<<"$(steady_tone "$(track beat "$1" 0.05)" "$2")"
    echo "beat, channel $1: $seconds s at $2 Hz ($share of the loud part)"
    awk -v s="$share" -v t="$seconds" 'BEGIN { exit !(s > 0.8 && t >= 3.5) }' ||
        fail "channel $1 does not hold $2 Hz"
}
heard_tone 1 754.19
heard_tone 2 745.81
no_click beat
grep -qx "inhibit sleep:idle quorvane-play playing_a_listening_session block" "$out/logind.log" ||
    fail "no inhibitor was taken: $(cat "$out/logind.log")"
wait_for 3 grep -qx released "$out/logind.log" || fail "the inhibitor was not released at the end"

# The sleep timer: fades over its last second and ends at 3 s, before the setup would.
record_start sleep
start=$(date +%s%N)
"$play" -q "$work/beat.qrv" --stop-after 3 --fade 1 || fail "the sleep timer ended in failure"
took=$((($(date +%s%N) - start) / 1000000))
record_stop
[ "$took" -ge 2900 ] && [ "$took" -lt 4000 ] || fail "--stop-after 3 played ${took} ms"
awk '$3 > -60 { last = $1 } $1 >= 1.0 && $1 < 1.5 { loud += $3; n++ }
     END { exit !(n && last > 2.5) }' "$(track sleep 1 0.05)" || fail "no sound before the fade"
no_click sleep

# SIGINT: half a second of fade, one line, status 0.
record_start signal
"$play" "$work/beat.qrv" --duration 60 --loop 2>"$out/signal.log" &
player=$!
sleep 2
kill -INT "$player"
status=0
wait "$player" || status=$?
record_stop
[ "$status" -eq 0 ] || fail "SIGINT gave status $status"
grep -q "stopped by SIGINT after 0:0" "$out/signal.log" || fail "no summary: $(cat "$out/signal.log")"
no_click signal

# The session's setups start when the renderer's trace says, within 50 ms.
for tune in 20 40 60; do
    { key_entry 0 "${beat[@]}" Tune=$tune; key_entry 2 "${beat[@]}" Tune=$tune; } >"$work/T$tune.qrv"
done
printf 'T20.qrv\r\nT40.qrv\r\nT60.qrv\r\n' >"$work/three.ses"
"$render" -q "$work/three.ses" -o "$work/three.wav" --trace "$out/three.trace"
"$play" -v "$work/three.ses" 2>"$out/three.log" || fail "the session did not play"
# The trace's ticks where the left rate changes; the player's starts, from the first.
awk -F'\t' 'NR > 2 && $4 != rate { print $2 / 1000 } NR > 1 { rate = $4 }' "$out/three.trace" >"$work/trace.starts"
sed -n 's/.* starts \([0-9.]*\) s in.*/\1/p' "$out/three.log" | tail -n +2 >"$work/play.starts"
paste "$work/trace.starts" "$work/play.starts" | tee "$out/starts" |
    awk 'NF == 2 { n++; d = $1 - $2; if (d < 0) d = -d; if (d > 0.05) bad = 1 }
         END { exit !(n == 2 && !bad) }' || fail "the setups started elsewhere: $(cat "$out/starts")"

# No such device, and no sound server at all: one line with the reason, status 1.
for case in "--device nosuch:no output device named" ":"; do
    status=0
    if [ "${case%%:*}" = "--device nosuch" ]; then
        "$play" -q --device nosuch "$work/beat.qrv" 2>"$out/refused.err" || status=$?
    else
        PULSE_SERVER=unix:/nonexistent "$play" -q "$work/beat.qrv" 2>"$out/refused.err" || status=$?
    fi
    [ "$status" -eq 1 ] && [ "$(wc -l <"$out/refused.err")" -eq 1 ] &&
        grep -q "quorvane-play: the sound device could not be opened: ${case#*:}" "$out/refused.err" ||
        fail "a missing device gave status $status: $(cat "$out/refused.err")"
done

# The sound server killed and started again: the player goes on and the tone comes back.
"$play" -q "$work/beat.qrv" --loop --duration 16 2>"$out/restart.log" &
player=$!
sleep 3
sound_server_kill
sleep 2
kill -0 "$player" 2>/dev/null || fail "the player ended with the sound server: $(cat "$out/restart.log")"
sound_server_restart
record_start restart
sleep 6
record_stop
wait "$player" || fail "the player failed after the restart: $(cat "$out/restart.log")"
grep -q "stopped playing" "$out/restart.log" && grep -q "plays again" "$out/restart.log" ||
    fail "the loss and the return were not told: $(cat "$out/restart.log")"
awk '$2 > 754 && $2 < 754.4 { n++ } END { exit !(n >= 20) }' "$(track restart 1 0.05)" ||
    fail "no tone after the sound server came back"
echo "player: ok"
