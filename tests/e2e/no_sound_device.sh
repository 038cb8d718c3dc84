#!/usr/bin/env bash
# With no usable sound device (an ALSA configuration without devices, no PulseAudio
# server) the window program ends at start-up with a non-zero status and one line on
# stderr that names the reason, before any window is shown.
# Usage: no_sound_device.sh QUORVANE OUTPUT_FOLDER
set -euo pipefail
. "$(dirname "$0")/e2e-lib.sh"
if [ "${1:-}" != --inside ]; then
    command -v xvfb-run >/dev/null && command -v xdotool >/dev/null ||
        { echo "skipped: xvfb-run or xdotool is not installed"; exit 77; }
    exec timeout -k 5 40 "${e2e_xvfb[@]}" "$0" --inside "$@"
fi
shift
quorvane=$(realpath "$1")
out=$2
rm -rf "$out"
mkdir -p "$out"
work=$(mktemp -d)
pid=""
cleanup() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -m 0700 "$work/runtime"
: >"$work/asound.conf"

(cd "$work" && exec env -u PULSE_SERVER ALSA_CONFIG_PATH="$work/asound.conf" \
    XDG_RUNTIME_DIR="$work/runtime" HOME="$work" "$quorvane") \
    >"$out/stdout" 2>"$out/stderr" &
pid=$!
window=""
for _ in $(seq 400); do
    kill -0 "$pid" 2>/dev/null || break
    window+=$(xdotool search --onlyvisible --name "^$e2e_title\$" 2>/dev/null || true)
    sleep 0.05
done
status=0
wait "$pid" || status=$?
pid=""
echo "status $status; stderr: $(cat "$out/stderr")"

[ "$status" -ne 0 ] || fail "the program ended with status 0"
[ -z "$window" ] || fail "a window was shown"
[ "$(wc -l <"$out/stderr")" -eq 1 ] || fail "stderr holds $(wc -l <"$out/stderr") lines, not one"
grep -q '^quorvane: .*sound.*: [^ ]' "$out/stderr" || fail "the line does not name the reason"
[ ! -s "$out/stdout" ] || fail "unexpected output: $(cat "$out/stdout")"
