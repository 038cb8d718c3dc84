#!/usr/bin/env bash
# with-null-sink.sh CMD [ARGS...]
#
# Runs CMD with a private PulseAudio server whose only sink is a null sink: "null",
# 48000 Hz stereo, the default sink; what is played there can be recorded from
# "null.monitor". CMD gets PULSE_SERVER, XDG_RUNTIME_DIR, PULSE_RUNTIME_PATH and
# ALSA_CONFIG_PATH (a private ALSA configuration whose default device is that server),
# so PortAudio's default output device plays into the null sink. The server and its
# folder go when CMD ends; the exit status is CMD's.
set -euo pipefail

if [ $# -lt 1 ]; then
    echo "usage: $0 CMD [ARGS...]" >&2
    exit 2
fi

dir=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-sound.XXXXXX")
chmod 700 "$dir"
server=""
cleanup() {
    if [ -n "$server" ]; then
        kill "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
    fi
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

mkdir -m 700 "$dir/pulse"
cat >"$dir/asound.conf" <<'CONF'
pcm.!default { type pulse }
ctl.!default { type pulse }
CONF

export XDG_RUNTIME_DIR="$dir"
export PULSE_RUNTIME_PATH="$dir/pulse"
export PULSE_SERVER="unix:$dir/native"
export ALSA_CONFIG_PATH="$dir/asound.conf"
# Clients need no cookie (anonymous access); keep them out of the user's own.
export PULSE_COOKIE="$dir/cookie"

# HOME too, so that the server keeps its state files in the private folder.
HOME="$dir" pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit \
    --use-pid-file=no --log-level=error \
    -L "module-null-sink sink_name=null rate=48000 channels=2" \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$dir/native" \
    >"$dir/server.log" 2>&1 &
server=$!

for _ in $(seq 100); do
    if pactl info >/dev/null 2>&1; then break; fi
    if ! kill -0 "$server" 2>/dev/null; then
        echo "with-null-sink: the PulseAudio server did not start:" >&2
        cat "$dir/server.log" >&2
        exit 1
    fi
    sleep 0.1
done
if ! pactl info >/dev/null 2>&1; then
    echo "with-null-sink: the PulseAudio server does not answer" >&2
    exit 1
fi

status=0
"$@" || status=$?
exit "$status"
