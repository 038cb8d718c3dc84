#!/usr/bin/env bash
# quorvane-play through a private PulseAudio null sink, on a private bus with a stand-in
# for logind. What it plays is compared, sample by sample, with what the renderer writes for
# the same input and options: a setup rising from silence, --loop of a 2 s setup over 6.5 s
# and the sleep timer with its default fade. Also: the beat setup's two tones without a
# click; --duration 0.4 heard for 0.4 s; a player stopped for 3 s (Ctrl-Z) goes on where it
# was; a session's setups start where the renderer's trace says; SIGINT fades and ends; a
# missing device is refused with its reason; a sound server killed and started again
# brings the tone back; the machine kept awake while playing; and no Qt in the program.
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
[ "$("$play" --version)" = "quorvane-play 0.2" ] || fail "--version: $("$play" --version 2>&1)"
status=0
ALSA_CONFIG_PATH=/dev/null "$play" --list-devices >"$out/none.out" 2>"$out/none.err" || status=$?
[ "$status" -eq 1 ] && grep -q "^quorvane-play: no sound devices" "$out/none.err" ||
    fail "--list-devices without devices: status $status, $(cat "$out/none.out" "$out/none.err")"

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

# NAME [OPTIONS...]: plays WORK/NAME.qrv with the options and renders the same; what was
# heard must be the render, delayed: in every 50 ms window the difference stays 40 dB below
# the render's level, or below -90 dBFS (16 bits keep it near -100). The recorder runs
# half a second before the player, so that the whole render lies inside the recording.
heard_as_rendered() {
    local name=$1
    shift
    "$render" -q "$work/$name.qrv" -o "$out/$name.render.wav" --bits 32f "$@"
    record_start "$name"
    sleep 0.5
    "$play" -q "$work/$name.qrv" "$@" || fail "$name did not play"
    sleep 0.3
    record_stop
    "$tone_track" --compare "$out/$name.wav" "$out/$name.render.wav" 0.05 >"$out/$name.compare" ||
        fail "no comparison of $name"
    awk 'NR > 1 && $3 > ($2 - 40 > -90 ? $2 - 40 : -90) { bad++ } END { exit bad > 0 }' \
        "$out/$name.compare" ||
        fail "$name $* was not heard as rendered (see $out/$name.compare)"
}
# A setup rising from silence over 3 s; a 2 s setup turning over 6.5 s; the sleep timer
# at 3 s with its fade of 60 s, a straight line from the start.
{ key_entry 0 "${beat[@]}" Vol=0; key_entry 3 "${beat[@]}"; } >"$work/rise.qrv"
{ key_entry 0 "${beat[@]}"; key_entry 2 "${beat[@]}" Tune=20; } >"$work/turns.qrv"
heard_as_rendered rise
heard_as_rendered turns --loop --duration 6.5
no_click turns
cp "$work/beat.qrv" "$work/sleep.qrv"
heard_as_rendered sleep --stop-after 3
no_click sleep

# Pink noise at -30 dBFS beneath tones that are silent: heard at that level in each ear.
{ key_entry 0 Vol=100; key_entry 4 Vol=100; } >"$work/still.qrv"
record_start noise
"$play" -q "$work/still.qrv" --noise pink --noise-level -30 || fail "the noise did not play"
record_stop
for channel in 1 2; do
    level=$(sox "$out/noise.wav" -n remix $channel trim 1 2 stats 2>&1 | awk '$1 == "RMS" && $2 == "lev" { print $4 }')
    awk -v l="$level" 'BEGIN { exit !(l > -31 && l < -29) }' || fail "noise at $level dBFS in channel $channel"
done

# --duration 0.4: heard for 0.4 s (its first 30 ms are silent until the first tick).
record_start short
sleep 0.5  # the recorder's own start may be late: the whole 0.4 s must fall inside it
"$play" -q "$work/beat.qrv" --duration 0.4 || fail "--duration 0.4 failed"
sleep 0.3
record_stop
awk '$3 > -60 { n++ } END { exit !(n >= 35 && n <= 38) }' "$(track short 1 0.01)" ||
    fail "--duration 0.4 was not heard for 0.4 s (see $out/short.ch1.track)"

# Stopped for 3 s and continued: nothing said about the device, at most the latency lost.
record_start suspend
"$play" "$work/beat.qrv" --duration 6 2>"$out/suspend.log" &
player=$!
e2e_program_pid=$player
sleep 2
kill -STOP "$player"
sleep 3
kill -CONT "$player"
wait "$player" || fail "the player failed after a stop: $(cat "$out/suspend.log")"
record_stop
grep -q "device" "$out/suspend.log" && fail "a stop was taken for a lost device: $(cat "$out/suspend.log")"
read -r _ seconds _ <<<"$(steady_tone "$(track suspend 1 0.05)" 754.19)"
awk -v t="$seconds" 'BEGIN { exit !(t >= 5.2) }' || fail "only $seconds s of 6 were heard around a stop"

# SIGINT: half a second of fade, one line, status 0.
record_start signal
"$play" "$work/beat.qrv" --duration 60 --loop 2>"$out/signal.log" &
player=$!
e2e_program_pid=$player
sleep 2
kill -INT "$player"
status=0
wait "$player" || status=$?
record_stop
[ "$status" -eq 0 ] || fail "SIGINT gave status $status"
grep -q "stopped by SIGINT after 0:0" "$out/signal.log" || fail "no summary: $(cat "$out/signal.log")"
no_click signal

# The session's setups start where the renderer's trace says: the trace shows the first
# synthesis tick after the start, which comes within 30 ms.
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
    awk 'NF == 2 { n++; d = $1 - $2; if (d < 0 || d >= 0.03) bad = 1 }
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
e2e_program_pid=$player
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
