#!/usr/bin/env bash
# The renderer's command line: help, usage errors (status 2), unreadable input
# (status 1, no output left), and a render of the example session.
# Usage: render-cli.sh QUORVANE_RENDER EXAMPLES_FOLDER
set -euo pipefail
render=$1
examples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$render" --help >"$work/help" || fail "--help exits $?"
grep -q "INPUT" "$work/help" && grep -q -- "--duration" "$work/help" || fail "--help does not explain the options"

status=0; "$render" >/dev/null 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "no arguments gave status $status, not 2"
status=0; "$render" "$examples/Tour.ses" -o "$work/x.wav" --bits 12 >/dev/null 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "--bits 12 gave status $status, not 2"

status=0; "$render" "$work/missing.qrv" -o "$work/out.wav" 2>"$work/err" || status=$?
[ "$status" -eq 1 ] || fail "a missing input gave status $status, not 1"
grep -q "missing.qrv" "$work/err" || fail "the message does not name the file: $(cat "$work/err")"
[ -z "$(ls -A "$work" | grep -v -e help -e err)" ] || fail "files left behind: $(ls "$work")"

"$render" "$examples/Tour.ses" -o "$work/tour.flac" 2>"$work/summary" || fail "the example session did not render"
grep -q "3 setups" "$work/summary" || fail "unexpected summary: $(cat "$work/summary")"
[ -s "$work/tour.flac" ] || fail "no sound file"
echo "render command line: ok"
