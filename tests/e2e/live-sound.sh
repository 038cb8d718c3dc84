#!/usr/bin/env bash
# live-sound.sh PROGRAM
#
# The live sound path end to end: PROGRAM (quorvane_live_sound) plays known tones through
# the real PortAudio backend into a private PulseAudio null sink while parecord records
# the sink's monitor; then the recording is checked side by side for frequency and level.
# Also checks that a missing sound server makes the device fail to open, with a reason.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$1

if [ "${2:-}" != "--inside" ]; then
    exec "$here/with-null-sink.sh" "$0" "$program" --inside
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-live.XXXXXX")
recorder=""
cleanup() {
    if [ -n "$recorder" ]; then
        kill -INT "$recorder" 2>/dev/null || true
        wait "$recorder" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# The null sink starts with a latency of 2 s: record first, then wait until it is low, or
# the recorder misses the start and the player stalls.
parecord --latency-msec=20 --device=null.monitor --file-format=wav --format=s16le \
    --rate=48000 --channels=2 "$work/recording.wav" &
recorder=$!
latency=""
for _ in $(seq 100); do
    latency=$(pactl list sinks | awk '$1 == "Latency:" { print $2; exit }')
    if [ -n "$latency" ] && [ "$latency" -lt 100000 ]; then break; fi
    sleep 0.1
done
echo "null sink latency: ${latency} usec"

"$program" play 3
sleep 0.3
kill -INT "$recorder"
wait "$recorder" || true
recorder=""

"$program" check "$work/recording.wav"

# No server to play to: InitSynth fails and says why; nothing hangs.
PULSE_SERVER="unix:$work/no-server" "$program" no-device
# No ALSA device at all (an empty configuration): the same, where PortAudio's own device
# scan would abort.
: >"$work/empty.conf"
ALSA_CONFIG_PATH="$work/empty.conf" PULSE_SERVER="unix:$work/no-server" "$program" no-device
