# shellcheck shell=bash
# e2e-lib.sh: sourced by the end-to-end scripts that drive the real window the way a user
# does (xdotool), photograph it (import) and record what it plays (parecord on the private
# null sink of with-null-sink.sh). Such a script starts with
#
#     . "$(dirname "$0")/e2e-lib.sh"
#     e2e_enter SECONDS "$@"          # re-runs the script on a display with a sound server
#     e2e_setup QUORVANE TONE_TRACK OUTPUT_FOLDER
#
# and keeps its screenshots, recordings and the program's log in OUTPUT_FOLDER.

e2e_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
readonly e2e_title='Quorvane 0.2 Beta'

# Control rectangles in twips (left top width height), as the form places them.
readonly TX0="240 2640 375 285"          # left partial 1 amplitude text
readonly TX4="5760 2640 375 285"         # right partial 1 amplitude text
readonly TX9="6720 6240 375 285"         # "Tune"
readonly TX10="1200 6240 375 285"        # AM base
readonly TX11="1680 6240 375 285"        # AM speed
readonly TX12="2160 6240 375 285"        # AM depth
readonly TX13="2640 6240 375 285"        # AM offset
readonly TX14="8280 6240 375 285"        # " Pan"
readonly TX15="8760 6240 375 285"        # " Vol"
readonly TX20="7200 6240 375 285"        # " Diff"
readonly SC9="6720 4200 375 1935"        # "Tune" slider
readonly SC15="8760 4200 375 1935"       # " Vol" slider
readonly WF3PB="2160 240 1695 975"       # left view, 360 degrees
readonly WF1PB="2160 1320 1695 975"      # left view, as played
readonly WF4PB="3960 240 1695 975"       # right view, 360 degrees
readonly WF2PB="3960 1320 1695 975"      # right view, as played
readonly FILE1="2160 3000 1695 675"
readonly TEXT3="3960 2400 1695 285"
readonly SAVESES="3960 2760 1695 255"
readonly FILE2="3960 3000 1695 675"
readonly LIST1="7800 360 1455 1815"
readonly ADDTOLIST="7800 2400 1455 375"
readonly CLRLIST="7800 3360 1455 375"
readonly PICTURE1="360 6960 8655 135"    # key strip
readonly TIME="120 7080 9135 375"        # time cursor
readonly PLAY="5640 7560 975 375"
readonly ONEFORWARD="6720 7560 975 375"
readonly TEXT2="8880 7560 405 285"
readonly SETKEY="3480 8040 975 375"
readonly EXECUTE="4560 8040 975 375"

fail() {
    echo "FAIL: $*"
    exit 1
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
    for tool in xvfb-run xdotool import convert compare pulseaudio parecord pactl; do
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

# The splash covers 281 x 169 pixels at (192, 184) for the first 3 s, file lists included.
# It is dark; the controls beneath it are light, a window not yet painted is black.
readonly e2e_splash="2880 2760 4215 2535"

splash_gone() {
    shot after_splash
    awk -v b="$(mean_brightness after_splash "$e2e_splash")" 'BEGIN { exit !(b > 0.4) }'
}

# Starts the program in the work folder and waits for its window and then for the splash
# to go.
window_start() {
    (cd "$work" && exec "$quorvane") >"$work/quorvane.log" 2>&1 &
    e2e_program_pid=$!
    wait_for 20 window_shown || fail "no window titled '$e2e_title' within 20 s: $(cat "$work/quorvane.log")"
    wait_for 15 splash_gone || fail "the splash did not go within 15 s"
    program_running || fail "the program ended: $(cat "$work/quorvane.log")"
}

# Pixel centre of a rectangle in twips: "x y".
centre() {
    echo "$((($1 + $3 / 2 + 7) / 15)) $((($2 + $4 / 2 + 7) / 15))"
}

# click_at X Y [COUNT]: clicks a point of the window, in pixels (twice: a double click).
click_at() {
    xdotool mousemove --window "$window" "$1" "$2" click --repeat "${3:-1}" --delay 80 1
    sleep 0.2
}

# click RECT: clicks the middle of a control.
click() {
    # shellcheck disable=SC2046,SC2086
    click_at $(centre $1)
}

# type_into RECT TEXT: replaces the text of a text box as a user does.
type_into() {
    click "$1"
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 30 "$2"
    sleep 0.2
}

# shot NAME: photographs the window's client area into OUTPUT_FOLDER/NAME.png.
shot() {
    timeout 10 import -window "$window" "$out/$1.png"
}

# crop NAME RECT: the control's area of screenshot NAME, as a file name.
crop() {
    local r
    read -r -a r <<<"$2"
    local name=$work/$1-${2// /_}.png
    convert "$out/$1.png" -crop \
        "$(((r[2] + 7) / 15))x$(((r[3] + 7) / 15))+$(((r[0] + 7) / 15))+$(((r[1] + 7) / 15))" \
        +repage "$name"
    echo "$name"
}

# changed_pixels SHOT_A SHOT_B RECT: how many pixels of a control differ between two shots.
changed_pixels() {
    local n
    n=$(compare -metric AE "$(crop "$1" "$3")" "$(crop "$2" "$3")" null: 2>&1 || true)
    echo "${n%% *}"
}

# mean_brightness SHOT RECT: 0..1.
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

# steady_tone TRACK HZ: "SHARE SECONDS LEVEL" of the loud windows of a track (within 10 dB
# of the loudest): the share of them whose tone lies within 0.1 % of HZ, how many seconds
# these make and their mean level in dB.
steady_tone() {
    awk -v hz="$2" 'NR == FNR { if ($3 > top) top = $3; if (NR == 2) w = $1; next }
        $3 > top - 10 { n++; if ($2 > 0 && ($2 / hz - 1) ^ 2 < 1e-6) { k++; db += $3 } }
        END { if (k) printf "%.3f %.1f %.1f\n", k / n, k * w, db / k; else print "0 0 -120" }' \
        top=-200 "$1" "$1"
}

# tone_hz RATE: the tone in Hz of the window's 179-byte buffer, which holds 15 turns,
# played at RATE samples per second.
tone_hz() {
    awk -v rate="$1" 'BEGIN { printf "%.2f", rate * 15 / 179 }'
}

# curve_colours SHOT RECT: "ROWS LEAST_RED MOST_RED" of the curve in a view: how many rows
# its strongly green pixels span (1 for a flat line), and the least and the most red among
# them (0..255).
curve_colours() {
    local view
    view=$(crop "$1" "$2")
    convert "$view" -fx 'g > 0.5' -format '%@ ' info: | sed 's/^[0-9]*x\([0-9]*\).*/\1 /' | tr -d '\n'
    convert "$view" -fx 'g > 0.5 ? r : 1' -format '%[fx:round(minima.r * 255)] ' info:
    convert "$view" -fx 'g > 0.5 ? r : 0' -format '%[fx:round(maxima.r * 255)]\n' info:
}

# dark_columns SHOT RECT: the x positions (pixels from the control's left) of the columns
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
