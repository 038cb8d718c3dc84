# shellcheck shell=bash
# e2e-lib.sh: sourced by the end-to-end scripts that drive the real window the way a user
# does (xdotool), photograph it (import) and record what it plays (parecord on the private
# null sink of with-null-sink.sh). Such a script starts with
#
#     . "$(dirname "$0")/e2e-lib.sh"
#     e2e_enter SECONDS "$@"          # re-runs the script on a display with a sound server
#     e2e_setup QUORVANE TONE_TRACK OUTPUT_FOLDER
#
# and keeps its screenshots, recordings and the program's log in OUTPUT_FOLDER. Controls
# are named as in layout.sh (play, File1, tx.Vol, sc.Tune), parameters by their names in
# code (Vol, Tune). Scripts that only write setups (key_entry) source it too. QUORVANE_LAYOUT
# names the layout file.
#
# rect, default, params and switches come from that file:
# shellcheck disable=SC2154

e2e_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
readonly e2e_title='Quorvane 0.2 Beta'

# rect (a control's place by name, "left top width height" in twips), default (the
# parameters' and switches' values when the window opens) and params and switches (their
# names in keyframe order), as the build writes them from the form and its parameter table.
# shellcheck source=/dev/null
. "${QUORVANE_LAYOUT:?names tests/e2e/layout.sh of the build}"

fail() {
    echo "FAIL: $*"
    exit 1
}

# key_entry SECOND [NAME=VALUE...]: one keyframe line of a setup file, 121 digits and CR LF:
# every parameter and switch at its default but those named (a switch as ck.NAME).
key_entry() {
    local -A value
    local name pair
    for name in "${!default[@]}"; do value[$name]=${default[$name]}; done
    for pair in "${@:2}"; do
        name=${pair%%=*}
        [ -n "${value[$name]+set}" ] || fail "key_entry: no parameter or switch named $name"
        value[$name]=${pair#*=}
    done
    printf '%03d' "$1"
    for name in "${params[@]}"; do printf '%03d' "${value[$name]}"; done
    for name in "${switches[@]}"; do printf '%d' "${value[ck.$name]}"; done
    printf '\r\n'
}

# tone_hz TUNE [DIFF]: the tone in Hz of an ear's 179-byte buffer, which holds Freq turns,
# played at the rate that " Tune" gives, lowered by DIFF as " Diff" lowers the right ear's.
tone_hz() {
    awk -v tune="$1" -v diff="${2:-0}" -v turns="${default[Freq]}" \
        'BEGIN { printf "%.2f", (5000 + 200 * tune - diff) * turns / 179 }'
}

# A private X display. xvfb-run -a takes the first number from -n on that has no lock
# file, so two runs starting at once from the same number may take the same display:
# tests that run side by side start their search at random places far apart. Without
# -noreset the server resets whenever its last client leaves, and a client connecting
# just then (the program while xdotool polls) is refused.
e2e_xvfb=(xvfb-run -a -n $((1000 + RANDOM % 30000)) -s "-screen 0 1280x1024x24 -noreset")

# Outside: checks the tools and re-runs the calling script under an outer timeout, with a
# private PulseAudio server and a private X display (no window manager: the window sits at
# 0,0 without decorations). Inside (first argument --inside): returns.
e2e_enter() {
    local seconds=$1
    shift
    [ "${1:-}" = --inside ] && return 0
    local tool
    for tool in xvfb-run xdotool import convert compare identify pulseaudio parecord pactl; do
        command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
    done
    exec timeout -k 5 "$seconds" "$e2e_here/with-null-sink.sh" "${e2e_xvfb[@]}" "$0" --inside "$@"
}

e2e_program_pid=""
e2e_recorder_pid=""
e2e_cleanup() {
    local pid
    for pid in "$e2e_recorder_pid" "$e2e_program_pid"; do
        [ -n "$pid" ] || continue
        kill -INT "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    [ -f "$work/quorvane.log" ] && cp "$work/quorvane.log" "$out/" 2>/dev/null
    rm -rf "$work"
}

# Sets quorvane, tone_track, out (emptied) and work (the program's working folder, removed
# at exit); the program and the recorder are ended at exit.
e2e_setup() {
    [ "${1:-}" = --inside ] && shift
    [ $# -eq 3 ] || { echo "usage: $0 QUORVANE TONE_TRACK OUTPUT_FOLDER" >&2; exit 2; }
    quorvane=$(realpath "$1")
    tone_track=$(realpath "$2")
    out=$3
    rm -rf "$out"
    mkdir -p "$out"
    out=$(realpath "$out")
    work=$(mktemp -d)
    trap e2e_cleanup EXIT
    mkdir -m 0700 "$work/runtime"
    export XDG_RUNTIME_DIR="$work/runtime"
}

# Polls COMMAND... every 0.1 s for up to SECONDS; fails the wait (status 1) at the end.
wait_for() {
    local seconds=$1
    shift
    local end=$((SECONDS + seconds))
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.1
    done
}

window_shown() {
    window=$(xdotool search --name "^$e2e_title\$" 2>/dev/null | head -1 || true)
    [ -n "$window" ]
}

program_running() {
    kill -0 "$e2e_program_pid" 2>/dev/null
}

# The splash is dark; the controls beneath it are light, a window not yet painted is black.
splash_gone() {
    shot after_splash
    awk -v b="$(mean_brightness after_splash about)" 'BEGIN { exit !(b > 0.4) }'
}

# Starts the program in the work folder, waits for its window, photographs it with the
# splash (splash.png, about 1 s after the start; the splash stays 3 s) and waits for the
# splash to go (after_splash.png).
window_start() {
    local started=$EPOCHREALTIME
    (cd "$work" && exec "$quorvane") >"$work/quorvane.log" 2>&1 &
    e2e_program_pid=$!
    wait_for 20 window_shown || fail "no window titled '$e2e_title' within 20 s: $(cat "$work/quorvane.log")"
    sleep "$(awk -v t="$started" -v now="$EPOCHREALTIME" 'BEGIN { d = t + 1 - now; print (d > 0 ? d : 0) }')"
    shot splash
    wait_for 15 splash_gone || fail "the splash did not go within 15 s"
    program_running || fail "the program ended: $(cat "$work/quorvane.log")"
}

# area CONTROL: the control's area in whole pixels, as ImageMagick writes one: WxH+X+Y.
area() {
    local r
    read -r -a r <<<"${rect[$1]:?no control named $1 in $QUORVANE_LAYOUT}"
    echo "$(((r[2] + 7) / 15))x$(((r[3] + 7) / 15))+$(((r[0] + 7) / 15))+$(((r[1] + 7) / 15))"
}

# centre CONTROL: the pixel at its middle, "X Y".
centre() {
    local r
    read -r -a r <<<"${rect[$1]:?no control named $1 in $QUORVANE_LAYOUT}"
    echo "$(((r[0] + r[2] / 2 + 7) / 15)) $(((r[1] + r[3] / 2 + 7) / 15))"
}

# click_at X Y [COUNT]: clicks a point of the window, in pixels (twice: a double click).
click_at() {
    xdotool mousemove --window "$window" "$1" "$2" click --repeat "${3:-1}" --delay 80 1
    sleep 0.2
}

# click CONTROL: clicks its middle.
click() {
    # shellcheck disable=SC2046
    click_at $(centre "$1")
}

# click_first_row LIST [COUNT]: clicks the first row of a list (rows are 15 pixels high).
click_first_row() {
    local x r
    read -r x _ <<<"$(centre "$1")"
    read -r -a r <<<"${rect[$1]}"
    click_at "$x" $(((r[1] + 7) / 15 + 7)) "${2:-1}"
}

# type_into CONTROL TEXT: replaces the text of a text box as a user does.
type_into() {
    click "$1"
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 30 "$2"
    sleep 0.2
}

# set_param NAME=VALUE...: types each value into its parameter's text box.
set_param() {
    local pair
    for pair in "$@"; do type_into "tx.${pair%%=*}" "${pair#*=}"; done
}

# shot NAME: photographs the window's client area into OUTPUT_FOLDER/NAME.png.
shot() {
    timeout 10 import -window "$window" "$out/$1.png"
}

# crop NAME CONTROL: the control's area of screenshot NAME, as a file name.
crop() {
    local name=$work/$1-$2.png
    convert "$out/$1.png" -crop "$(area "$2")" +repage "$name"
    echo "$name"
}

# changed_pixels SHOT_A SHOT_B CONTROL: how many pixels of a control differ between two shots.
changed_pixels() {
    local n
    n=$(compare -metric AE "$(crop "$1" "$3")" "$(crop "$2" "$3")" null: 2>&1 || true)
    echo "${n%% *}"
}

# mean_brightness SHOT CONTROL: 0..1.
mean_brightness() {
    convert "$(crop "$1" "$2")" -colorspace Gray -format '%[fx:mean]' info:
}

sink_latency_low() {
    local latency
    latency=$(pactl list sinks 2>/dev/null | awk '$1 == "Latency:" { print $2; exit }')
    [ -n "$latency" ] && [ "$latency" -lt 100000 ]
}

# record_start NAME: records the null sink into OUTPUT_FOLDER/NAME.wav. The sink starts
# with a latency of 2 s that only a running recorder brings down; until then a player
# stalls and the recording misses the start, so this waits for it.
record_start() {
    parecord --latency-msec=20 --device=null.monitor --file-format=wav --format=s16le \
        --rate=48000 --channels=2 "$out/$1.wav" &
    e2e_recorder_pid=$!
    wait_for 15 sink_latency_low || fail "the null sink's latency stayed high"
}

# record_stop: ends the recording; SIGINT makes parecord write the WAV header.
record_stop() {
    kill -INT "$e2e_recorder_pid" 2>/dev/null || true
    wait "$e2e_recorder_pid" 2>/dev/null || true
    e2e_recorder_pid=""
}

# track NAME CHANNEL WINDOW: the tone track of OUTPUT_FOLDER/NAME.wav, kept beside it.
track() {
    "$tone_track" "$out/$1.wav" "$2" "$3" >"$out/$1.ch$2.track" || fail "no tone track of $1.wav"
    echo "$out/$1.ch$2.track"
}

# no_click RECORDING: no sample step larger than 1.25 times the tone's own largest step plus
# 2 in the whole recording (the steady tone's step taken from its loudest windows).
no_click() {
    local track1 track2
    track1=$(track "$1" 1 0.01)
    track2=$(track "$1" 2 0.01)
    awk 'BEGIN { top = -1e9 } NR == FNR { if ($3 > top) top = $3; next }
         $3 > top - 0.5 && $4 > own { own = $4 }
         { if ($4 > most) { most = $4; at = $1 } }
         END { printf "largest step %d at %.2f s, the tone'\''s own %d\n", most, at, own
               exit !(most <= 1.25 * own + 2) }' "$track1" "$track1" "$track2" ||
        fail "a click in $1 (see $track1 and $track2)"
}

# steady_tone TRACK HZ: "SHARE SECONDS LEVEL GAP" of the loud windows of a track (within
# 10 dB of the loudest): the share of them whose tone lies within 0.1 % of HZ, how many
# seconds these make and their mean level in dB; and the longest silence (30 dB below the
# loudest) between the first loud window and the last, in seconds.
steady_tone() {
    awk -v hz="$2" 'NR == FNR { if ($3 > top) top = $3; if (NR == 2) w = $1; next }
        $3 > top - 10 { n++; if ($2 > 0 && ($2 / hz - 1) ^ 2 < 1e-6) { k++; db += $3 } }
        $3 > top - 10 { if (quiet > gap && n > 1) gap = quiet; quiet = 0 }
        $3 < top - 30 { quiet++ }
        END { if (k) printf "%.3f %.2f %.1f %.2f\n", k / n, k * w, db / k, gap * w
              else print "0 0 -120 0" }' top=-200 "$1" "$1"
}

# curve_colours SHOT CONTROL: "ROWS LEAST_RED MOST_RED" of the curve in a view: how many rows
# its strongly green pixels span (1 for a flat line), and the least and the most red among
# them (0..255).
curve_colours() {
    local view
    view=$(crop "$1" "$2")
    convert "$view" -fx 'g > 0.5' -format '%@ ' info: | sed 's/^[0-9]*x\([0-9]*\).*/\1 /' | tr -d '\n'
    convert "$view" -fx 'g > 0.5 ? r : 1' -format '%[fx:round(minima.r * 255)] ' info:
    convert "$view" -fx 'g > 0.5 ? r : 0' -format '%[fx:round(maxima.r * 255)]\n' info:
}

# dark_columns SHOT CONTROL: the x positions (pixels from the control's left) of the columns
# that hold dark pixels, as the key strip's markers draw them.
dark_columns() {
    convert "$(crop "$1" "$2")" -colorspace Gray -threshold 30% txt:- |
        awk -F'[,:]' 'NR > 1 && /#000000|black|gray\(0\)/ { seen[$1] = 1 }
            END { for (x in seen) print x }' | sort -n | tr '\n' ' '
}

sound_server_gone() {
    ! pactl info >/dev/null 2>&1
}

# sound_server_kill: the private PulseAudio server dies as in a crash.
sound_server_kill() {
    kill -KILL "$(cat "$QUORVANE_SOUND_DIR/server.pid")"
    wait_for 5 sound_server_gone || fail "the sound server still answers after SIGKILL"
}

# sound_server_restart: a fresh server on the same socket, with the same null sink.
sound_server_restart() {
    "$e2e_here/with-null-sink.sh" --restart-server || fail "the sound server did not start again"
}
