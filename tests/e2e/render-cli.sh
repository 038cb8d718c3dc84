#!/usr/bin/env bash
# The renderer's command line as a careless script or a typo uses it: every bad option
# value and every unusable input is refused with its status and a message in words; no
# output is ever an input or the other output; a full disk, a device or a signal leaves
# the old file whole and no temporary behind; links and permissions are kept.
# Usage: render-cli.sh QUORVANE_RENDER EXAMPLES_FOLDER
set -euo pipefail
render=$1
examples=$2
work=$(mktemp -d)
trap 'umount "$work/small" 2>/dev/null || true; rm -rf "$work"' EXIT
cd "$work"
cp "$examples"/* .
fail() { echo "FAIL: $*"; exit 1; }

# expect STATUS MESSAGE ARGUMENTS...: the status, and MESSAGE in what the renderer said.
expect() {
    local want=$1 message=$2
    shift 2
    local status=0
    timeout 60 "$render" -q "$@" >out 2>err || status=$?
    [ "$status" -eq "$want" ] || fail "$*: status $status, not $want: $(cat err)"
    [ -z "$message" ] || grep -qF -- "$message" err || fail "$*: no '$message' in: $(cat err)"
    [ ! -s out ] || fail "$*: wrote to standard output: $(head -c 200 out | od -c | head -3)"
}
# Nothing half-written anywhere: no temporary file, and the examples as shipped.
expect_tidy() {
    local left
    left=$(find . -name '.*.??????' | head -3)
    [ -z "$left" ] || fail "temporary files left after $1: $left"
    for f in "$examples"/*; do cmp -s "$f" "$(basename "$f")" || fail "$1 changed $(basename "$f")"; done
}

"$render" --help >help || fail "--help exits $?"
grep -q "INPUT" help && grep -q -- "--duration" help && grep -q "Tour.ses" help ||
    fail "--help does not explain the options"
status=0; "$render" >/dev/null 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "no arguments gave status $status, not 2"

seconds="must be a number of seconds (or [h:]mm:ss) between"
while IFS='|' read -r status message args; do
    [ -n "$status" ] || continue
    # shellcheck disable=SC2086
    expect "$status" "$message" $args
done <<EOF
2|--duration $seconds 0.001 and 86400|SlowBeat.qrv -o x.wav --duration nan
2|--duration $seconds 0.001 and 86400|SlowBeat.qrv -o x.wav --duration inf
2|--duration $seconds 0.001 and 86400|SlowBeat.qrv -o x.wav --duration 1e3
2|--duration $seconds 0.001 and 86400|SlowBeat.qrv -o x.wav --duration 0.0001
2|--duration $seconds 0.001 and 86400|SlowBeat.qrv -o x.wav --duration 24:00:01
2|--duration $seconds 0.001 and 86400|SlowBeat.qrv -o x.wav --duration 1:60
2|--tail $seconds 0 and 86400|SlowBeat.qrv -o x.wav --tail nan
2|--tail $seconds 0 and 86400|SlowBeat.qrv -o x.wav --tail 1e30
2|--tail $seconds 0 and 86400|SlowBeat.qrv -o x.wav --tail -1
2|--fade-out $seconds 0 and 86400|SlowBeat.qrv -o x.wav --fade-out nan
2|--fade-out $seconds 0 and 86400|SlowBeat.qrv -o x.wav --fade-out 1e9
2|--fade-out is too long for a session|Tour.ses -o x.wav --fade-out 200
2|--stop-after $seconds 0.001 and 86400|SlowBeat.qrv -o x.wav --stop-after 0
2|--loop never ends by itself|SlowBeat.qrv -o x.wav --loop
2|--noise must be white, pink, brown or off|SlowBeat.qrv -o x.wav --noise purple
2|--noise-level must be a number of dB between -80 and -10|SlowBeat.qrv -o x.wav --noise-level -5
2|--noise-level must be a number of dB between -80 and -10|SlowBeat.qrv -o x.wav --noise-level 30
2|--rate must be a whole number of Hz between 8000 and 384000|SlowBeat.qrv -o x.wav --rate 44100.5
2|--rate must be a whole number of Hz between 8000 and 384000|SlowBeat.qrv -o x.wav --rate 0x10
2|--rate must be a whole number of Hz between 8000 and 384000|SlowBeat.qrv -o x.wav --rate 400000
2|--quality must be a number between 0 and 1|SlowBeat.qrv -o x.ogg --quality 2
2|--format must be wav, flac, ogg, mp3 or opus|SlowBeat.qrv -o x --format aiff
2|unknown output format '.aiff'|SlowBeat.qrv -o x.aiff
2|give --format|SlowBeat.qrv -o -
2|Opus takes a --rate of 8000, 12000, 16000, 24000 or 48000 Hz|SlowBeat.qrv -o x.opus --rate 44100
2|MP3 takes a --rate of 8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100 or 48000 Hz|SlowBeat.qrv -o x.mp3 --rate 96000
2|--bits is for .wav and .flac|SlowBeat.qrv -o x.mp3 --bits 24
2|--bits|SlowBeat.qrv -o x.wav --bits 12
EOF
[ ! -e x.wav ] || fail "a refused render left x.wav"
expect_tidy "the refused options"

# Inputs that are no setup: refused at once, whatever the options.
mkfifo pipe.qrv
mkdir folder.qrv
ln -s /dev/zero device.qrv
ln -s loop-b.qrv loop-a.qrv
ln -s loop-a.qrv loop-b.qrv
truncate -s 65M huge.qrv
while IFS='|' read -r input message; do
    expect 1 "cannot read $input: $message" "$input" -o x.wav --duration 1
done <<EOF
missing.qrv|No such file or directory
pipe.qrv|not a regular file
folder.qrv|Is a directory
device.qrv|not a regular file
loop-a.qrv|Too many levels of symbolic links
huge.qrv|too large for a setup or session file
EOF
[ ! -e x.wav ] || fail "an unreadable input left x.wav"

# A byte-order mark before the first key costs nothing.
{ printf '\357\273\277'; cat SlowBeat.qrv; } >bom.qrv
expect 0 "" bom.qrv -o bom.wav
expect 0 "" SlowBeat.qrv -o plain.wav
cmp -s bom.wav plain.wav || fail "a byte-order mark changed the render"
[ ! -s err ] || fail "the byte-order mark was reported: $(cat err)"
# Without -q, a summary line at the end.
"$render" SlowBeat.qrv -o short.wav --duration 0:02.5 2>summary
[ "$(soxi -s short.wav)" -eq 120000 ] || fail "--duration 0:02.5 gave $(soxi -s short.wav) frames"
grep -q "^short.wav: 2.5 s of sound, 1 setup, " summary || fail "unexpected summary: $(cat summary)"
# Noise and tones that pass full scale are held there, and the summary says so.
"$render" FirstTone.qrv -o loud.wav --duration 2 --noise brown --noise-level -10 2>summary
grep -q "samples were held at full scale" summary || fail "no word of held samples: $(cat summary)"

# No output is an input, through a link or a hard link, nor the other output.
ln SlowBeat.qrv hard.txt
ln -s SlowBeat.qrv soft.trace
expect 2 "the trace hard.txt is the input SlowBeat.qrv" SlowBeat.qrv -o x.wav --trace hard.txt
expect 2 "the trace soft.trace is the input SlowBeat.qrv" SlowBeat.qrv -o x.wav --trace soft.trace
expect 2 "the trace ShiftSweep.qrv is the setup ShiftSweep.qrv of Tour.ses" Tour.ses -o x.wav --trace ShiftSweep.qrv
expect 2 "the output and the trace are the same file" SlowBeat.qrv -o same.wav --trace ./same.wav
[ ! -e x.wav ] && [ ! -e same.wav ] || fail "a refused render wrote its output"
expect_tidy "the outputs that were inputs"

# Every format into a device that is always full, a full disk holding an older file, and
# a reader that leaves (SIGPIPE at its default and ignored, with and without a trace):
# status 1 with the system's reason, nothing on standard output, the old files byte for
# byte, no temporary. WAV goes to no pipe at all.
echo old >keep.trace
mkdir small
mount -t tmpfs -o size=200k tmpfs small 2>/dev/null && full=small ||
    { full=""; echo "skipped the full file system: no tmpfs can be mounted here"; }
for format in wav flac ogg mp3 opus; do
    expect 1 "cannot write /dev/full: No space left on device" AmSwitchSync.qrv -o /dev/full --format $format
    expect 1 "cannot write /dev/full: No space left on device" AmSwitchSync.qrv -o x.$format --trace /dev/full
    if [ -n "$full" ]; then
        head -c 9000 /dev/urandom >small/old.$format
        cp small/old.$format old.copy
        expect 1 "cannot write small/old.$format: No space left on device" AmSwitchSync.qrv -o small/old.$format
        cmp -s small/old.$format old.copy || fail "a full disk lost the old .$format"
        [ "$(ls -A small)" = "old.$format" ] || fail "left on the full disk: $(ls -A small)"
        rm small/old.$format
    fi
    piped=1 reason="Broken pipe"
    [ $format = wav ] && piped=2 reason="a WAV file needs an output it can go back in"
    for sigpipe in - ""; do
        for trace in "" "--trace keep.trace"; do
            # shellcheck disable=SC2086
            status=$(trap "$sigpipe" PIPE
                     { "$render" -q AmSwitchSync.qrv -o - --format $format $trace 2>err
                       echo $? >status; } | head -c 100 >/dev/null
                     cat status)
            [ "$status" -eq $piped ] && grep -qF "$reason" err ||
                fail ".$format to a reader that left (SIGPIPE '$sigpipe', '$trace'): $status, $(cat err)"
        done
    done
    [ ! -e x.$format ] && [ "$(cat keep.trace)" = old ] || fail "a failed .$format render changed an output"
    expect_tidy "the failed writes of .$format"
done
umount small 2>/dev/null || true

# A WAV that cannot go back to its header is refused before anything is written, a FIFO
# before it blocks; standard output by any of its names, but never a terminal.
mkfifo fifo.wav
expect 2 "a WAV file needs an output it can go back in" SlowBeat.qrv -o fifo.wav
status=0
"$render" -q SlowBeat.qrv -o - --format wav >>appended.wav 2>err || status=$?
[ "$status" -eq 2 ] && [ ! -s appended.wav ] || fail "a WAV appended to a stream: status $status"
[ "$("$render" -q SlowBeat.qrv --duration 1 -o /dev/stdout --format flac | head -c 4)" = fLaC ] ||
    fail "/dev/stdout into a pipe was not written"
# An MP3 through a pipe, which cannot go back for its summary frame, still holds it all.
"$render" -q SlowBeat.qrv --duration 5 -o - --format mp3 | cat >piped.mp3
sndfile-convert -pcm16 piped.mp3 piped.wav && [ "$(soxi -s piped.wav)" -ge 240000 ] ||
    fail "an MP3 through a pipe decodes to $(soxi -s piped.wav 2>&1) frames"
script -qec "$render -q SlowBeat.qrv --duration 1 -o - --format flac" /dev/null >tty.out || true
grep -q "is a terminal" tty.out && ! grep -qa fLaC tty.out || fail "sound on a terminal: $(head -c 300 tty.out)"
# Names from files reach the terminal escaped; the program names itself in every message.
printf '\033]0;title\a.qrv\r\nSlowBeat.qrv\r\n' >odd.ses
"$render" -q odd.ses -o odd.flac --duration 1 2>err || fail "odd.ses: $(cat err)"
! grep -q $'\033' err && grep -qF '\033]0;title\a.qrv' err || fail "not escaped: $(od -c err | head)"
[ "$("$render" --version)" = "quorvane-render 0.2" ] || fail "--version: $("$render" --version 2>&1)"
expect 2 "quorvane-render: " SlowBeat.qrv -o x.wav --nosuch
expect_tidy "the streams and names"

# An existing file keeps its permissions; a link stays a link and the file it names changes.
echo old >keep.wav
chmod 640 keep.wav
mkdir store
ln -s store/real.flac link.flac
"$render" -q SlowBeat.qrv -o keep.wav --duration 1
"$render" -q SlowBeat.qrv -o link.flac --duration 1
[ "$(stat -c %a keep.wav)" = 640 ] || fail "keep.wav lost its permissions: $(stat -c %a keep.wav)"
[ -L link.flac ] && [ "$(head -c 4 store/real.flac)" = fLaC ] || fail "the link was not written through"

# A signal in the middle: one line, its status, no temporary, the old file whole.
for sig in INT:130 TERM:143 HUP:129; do
    echo old >sig.wav
    "$render" -q SlowBeat.qrv -o sig.wav --duration 3600 --trace sig.trace 2>err &
    pid=$!
    for _ in $(seq 200); do
        [ -n "$(find . -name '.sig.wav.*')" ] && break
        sleep 0.05
    done
    [ -n "$(find . -name '.sig.wav.*')" ] || fail "no temporary appeared for SIG${sig%:*}"
    kill -"${sig%:*}" "$pid"
    status=0
    wait "$pid" || status=$?
    [ "$status" -eq "${sig#*:}" ] || fail "SIG${sig%:*} gave status $status, not ${sig#*:}"
    grep -qF "interrupted by SIG${sig%:*}: nothing was written" err || fail "after SIG${sig%:*}: $(cat err)"
    [ "$(cat sig.wav)" = old ] && [ ! -e sig.trace ] || fail "SIG${sig%:*} changed the outputs"
    expect_tidy "SIG${sig%:*}"
done

echo "render command line: ok"
