# What the bench scripts that play share. A script sources it first, with its own arguments:
#   . "$(dirname "$0")/bench-lib.sh" [--display] "$@"
# It sets `root` and `build` (the script's first argument, build/ by default) and runs the
# script again inside a private PulseAudio null sink, and with --display under a private
# Xvfb screen too, unless it runs there already; there it reads the window's control
# layout and the end-to-end helpers (key_entry, rect, record_start...).
# shellcheck shell=bash
bench_display=
if [ "${1:-}" = --display ]; then
    bench_display=1
    shift
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
if [ "${QUORVANE_BENCH_INSIDE:-}" != 1 ]; then
    export QUORVANE_BENCH_INSIDE=1
    if [ -n "$bench_display" ]; then
        exec "$root/tests/e2e/with-null-sink.sh" xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
            "$0" "$@"
    fi
    exec "$root/tests/e2e/with-null-sink.sh" "$0" "$@"
fi
export QUORVANE_LAYOUT=$build/tests/e2e/layout.sh
# shellcheck source=/dev/null
. "$root/tests/e2e/e2e-lib.sh"
