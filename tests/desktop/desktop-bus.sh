#!/usr/bin/env bash
# The window on a private session bus, once with the desktop portal, once with only power
# management and once with neither (the sound plays on; the calls are watched). The stand-ins
# use Debian's own Python and its D-Bus bindings, whatever python3 comes first in PATH.
# Usage: desktop-bus.sh DESKTOP_BUS_TEST
set -euo pipefail
test_program=$1
here=$(cd "$(dirname "$0")" && pwd)
command -v dbus-run-session >/dev/null || { echo "skipped: dbus-run-session is not installed"; exit 77; }
/usr/bin/python3 -c 'import dbus, gi' 2>/dev/null || { echo "skipped: python3-dbus or python3-gi is missing"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work" FAKE_DESKTOP_SCRIPT="$here/fake_desktop.py"
chmod 700 "$work"
for mode in portal power none; do
    echo "== $mode"
    FAKE_DESKTOP=$mode FAKE_DESKTOP_LOG="$work/$mode.log" dbus-run-session -- bash -c '
        /usr/bin/python3 "$1" "$FAKE_DESKTOP" "$FAKE_DESKTOP_LOG" >"$FAKE_DESKTOP_LOG.ready" &
        for _ in $(seq 100); do [ -s "$FAKE_DESKTOP_LOG.ready" ] && break; sleep 0.05; done
        "$2"' _ "$here/fake_desktop.py" "$test_program" \
        2> >(grep -v -e "Failed to set fd limit" -e "became a monitor" >&2)
done
