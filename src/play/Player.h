#pragma once

#include <string>

#include "app/HeadlessRun.h"

namespace qv {

// What to play comes from the run's options (input, length, loop, sleep timer, fades,
// tail); the rate is the card's.
struct PlayOptions : RunOptions {
    std::string device;  // an output device's name; empty for the default
    // Seconds of sound the card holds ahead: a player nobody watches need answer nothing
    // quickly, and a long lead wakes the machine seldom.
    double latency = 0.5;
    double volume_db = 0;  // attenuation on top of the setup's own volume
    bool status = false;   // a status line on standard error
    bool quiet = false;
    bool verbose = false;
};

// Plays the headless run of a setup or a session on the sound card, paced by the card:
// the same samples the renderer writes for the same input and options, only later. A
// signal fades out over half a second; a lost device is waited for, and the run with it.
// Gives the exit status: 0 played, 1 a file or the device could not be used, 2 wrong usage.
int play(PlayOptions options);

}  // namespace qv
