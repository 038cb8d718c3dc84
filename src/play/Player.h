#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace qv {

struct PlayOptions {
    std::filesystem::path input;     // a setup (.qrv) or a session (.ses)
    std::optional<double> duration;  // seconds; overrides the input's own length
    bool loop = false;
    std::string device;  // an output device's name; empty for the default
    // Seconds the sound is mixed ahead: a player nobody watches need answer nothing
    // quickly, and a long lead wakes the machine seldom.
    double latency = 0.5;
    double volume_db = 0;              // attenuation on top of the setup's own volume
    std::optional<double> stop_after;  // the sleep timer, seconds
    double fade = 60;                  // how long the sleep timer fades, seconds
    bool status = false;               // a status line on standard error
    bool quiet = false;
    bool verbose = false;
};

// Plays a setup or a session on the sound card on the program's own form, in real time:
// a setup as a double click in the setup list and Play do, a session as a double click in
// the session list and "Run Sess". It ends where the renderer ends (0.1 s after the last
// key, the end of the session, the stop at 600 s), at --duration or at the sleep timer,
// whichever comes first, and always with a fade; a signal fades out over half a second.
// Gives the exit status: 0 played, 1 a file or the device could not be used, 2 wrong usage.
int play(const PlayOptions& options);

}  // namespace qv
