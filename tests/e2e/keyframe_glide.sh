#!/usr/bin/env bash
# Two keyframes set in the window, at 0 s ("Tune" 20, " Vol" 50) and at 5 s ("Tune" 50,
# " Vol" 100): their markers appear on the key strip, and after Play a series of screenshots
# shows the "Tune" and " Vol" sliders and the time cursor moving while the recorded tone
# glides from 754.19 Hz to 1256.98 Hz in whole steps of "Tune", 5 dB louder at the end.
# Usage: keyframe_glide.sh QUORVANE TONE_TRACK OUTPUT_FOLDER
set -euo pipefail
. "$(dirname "$0")/e2e-lib.sh"
e2e_enter 60 "$@"
e2e_setup "$@"

record_start glide
window_start
# Pan 0: the left channel carries the left ear alone. In the middle both ears' loops sum
# there, at whatever offset they happen to run, which may all but cancel them.
set_param Pan=0 LeftPartial1=100 RightPartial1=100 Tune=20 Vol=50
shot no_keys
click setkey
for _ in 1 2 3 4 5; do click oneforward; done
set_param Tune=50 Vol=100
click setkey
shot two_keys
click play
sleep 0.3
for n in 1 2 3 4; do
    shot "playing_$n"
    sleep 1
done
sleep 1.5
record_stop
program_running || fail "the program ended: $(cat "$work/quorvane.log")"

# Markers at x = 20 + 14.23 t twips of the strip: pixel columns 1 and 6.
before=$(dark_columns no_keys Picture1)
after=$(dark_columns two_keys Picture1)
echo "key strip: dark columns '$before' before Set Key, '$after' after"
[ -z "$before" ] || fail "the key strip shows markers before any key was set"
[ "$after" = "1 6 " ] || fail "the key strip does not show markers at 0 s and 5 s"

# Shots over a second apart within the glide: the sliders and the second in Text2 change
# between each two, the cursor's thumb (about a pixel a second) from the first to the last.
for control in sc.Tune sc.Vol Text2; do
    changes=""
    for n in 1 2 3; do
        changed=$(changed_pixels "playing_$n" "playing_$((n + 1))" "$control")
        changes+=" $changed"
        [ "$changed" -gt 0 ] ||
            fail "$control did not change between playing_$n.png and playing_$((n + 1)).png"
    done
    echo "$control: pixels changed between shots:$changes"
done
changed=$(changed_pixels playing_1 playing_4 time)
echo "time: $changed pixels changed from the first shot to the last"
[ "$changed" -gt 0 ] || fail "the time cursor did not move"

# The glide: from the last window at "Tune" 20 to the first at 50 the tone rises through
# the whole "Tune" steps in between (a window that straddles a step measures in between).
track=$(track glide 1 0.05)
awk -v low="$(tone_hz 20)" -v high="$(tone_hz 50)" -v turns="${default[Freq]}" '
    function near(a, b) { return a > 0 && (a / b - 1) ^ 2 < 1e-6 }
    { t[NR] = $1; hz[NR] = $2; db[NR] = $3 }
    END {
        for (i = 1; i <= NR; i++) if (near(hz[i], low)) first = i
        for (i = first; i <= NR && !last; i++) if (near(hz[i], high)) last = i
        if (!first || !last) { print "no glide from " low " Hz to " high " Hz"; exit 1 }
        previous = 20
        for (i = first; i <= last; i++) {
            if (hz[i] == 0) continue
            measured++
            tune = (hz[i] * 179 / turns - 5000) / 200
            if ((tune - int(tune + 0.5)) ^ 2 > 0.01) continue
            tune = int(tune + 0.5)
            if (tune < previous) { print "falling at " t[i] " s: " hz[i] " Hz"; exit 1 }
            # A sixth of a second a step: a jump of three is no glide.
            if (tune > previous + 2) { print "jumping at " t[i] " s: " hz[i] " Hz"; exit 1 }
            if (tune > previous) steps++
            previous = tune
            on_steps++
        }
        printf "glide: %.2f s from %s Hz (%.1f dB) to %s Hz (%.1f dB) through %d steps;" \
            " %d of %d windows on a step\n", t[last] - t[first], low, db[first], high, db[last],
            steps, on_steps, measured
        if (t[last] - t[first] < 4 || t[last] - t[first] > 6.5) { print "the glide does not take 5 s"; exit 1 }
        if (steps < 15 || on_steps * 2 < measured) { print "the tone does not move in steps of Tune"; exit 1 }
        if (db[last] - db[first] < 3 || db[last] - db[first] > 7) { print "the volume did not rise by 5 dB"; exit 1 }
    }' "$track" || fail "the recording does not glide (see $track)"
echo "screenshots and recording: $out"
