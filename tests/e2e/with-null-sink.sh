#!/usr/bin/env bash
# with-null-sink.sh CMD [ARGS...]
#
# Runs CMD with a private PulseAudio server whose only sink is a null sink: "null",
# 48000 Hz stereo, the default sink; what is played there can be recorded from
# "null.monitor". CMD gets PULSE_SERVER, XDG_RUNTIME_DIR, PULSE_RUNTIME_PATH and
# ALSA_CONFIG_PATH (a private ALSA configuration whose default device is that server),
# so PortAudio's default output device plays into the null sink. The server and its
# folder go when CMD ends; the exit status is CMD's.
#
# CMD may kill the server (its process id is in $QUORVANE_SOUND_DIR/server.pid) and start
# a fresh one on the same socket with `with-null-sink.sh --restart-server`.
set -euo pipefail

if [ $# -lt 1 ]; then
    echo "usage: $0 CMD [ARGS...] | $0 --restart-server" >&2
    exit 2
fi

# Starts the server in $dir, notes its process id and waits until it answers. The server
# is started from a subshell, so that it is no child of this script: a first server and a
# restarted one are ended alike, and a killed one is not announced on stderr.
start_server() {
    (
        # HOME too, so that the server keeps its state files in the private folder.
        HOME="$dir" XDG_RUNTIME_DIR="$dir" pulseaudio -n --daemonize=no --exit-idle-time=-1 \
            --disallow-exit --use-pid-file=no --log-level=error \
            -L "module-null-sink sink_name=null rate=48000 channels=2" \
            -L "module-native-protocol-unix auth-anonymous=1 socket=$dir/native" \
            >>"$dir/server.log" 2>&1 &
        echo $! >"$dir/server.pid"
    )
    local server
    server=$(cat "$dir/server.pid")
    for _ in $(seq 100); do
        if pactl info >/dev/null 2>&1; then return 0; fi
        if ! kill -0 "$server" 2>/dev/null; then
            echo "with-null-sink: the PulseAudio server did not start:" >&2
            cat "$dir/server.log" >&2
            return 1
        fi
        sleep 0.1
    done
    echo "with-null-sink: the PulseAudio server does not answer" >&2
    return 1
}

if [ "$1" = --restart-server ]; then
    dir=${QUORVANE_SOUND_DIR:?"--restart-server runs only inside $0"}
    start_server
    exit
fi

dir=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-sound.XXXXXX")
chmod 700 "$dir"
cleanup() {
    local server
    if server=$(cat "$dir/server.pid" 2>/dev/null) && kill "$server" 2>/dev/null; then
        for _ in $(seq 50); do
            kill -0 "$server" 2>/dev/null || break
            sleep 0.1
        done
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

export QUORVANE_SOUND_DIR="$dir"
start_server

status=0
"$@" || status=$?
exit "$status"
