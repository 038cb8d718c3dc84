#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "audio/OfflineBackend.h"
#include "controls/VirtualClock.h"

namespace qv {

struct RunOptions {
    std::filesystem::path input;  // a setup (.qrv) or a session (.ses)
    int rate = 48000;
    std::optional<double> duration;    // seconds of sound, whatever the input says
    bool loop = false;                 // the input again and again, as Stop and Play would
    std::optional<double> stop_after;  // the sleep timer: seconds of sound until silence
    double fade = 60;                  // how long the sleep timer fades
    double fade_out = 0.5;             // every end fades over this long
    double tail = 0;                   // seconds of sound after the end
    NoiseColour noise = NoiseColour::Off;
    double noise_level = -30;  // dBFS, the band's RMS in each ear at full volume
};

// Whether a file given to read can be a setup or a session: by its name (".qrv" or
// ".ses"), and as what the name leads to, a regular file. Only looked at, not opened: the
// loaders open it, once and without waiting, so that a pipe or a device never holds a
// program up.
struct InputCheck {
    int status = 0;  // 0 usable, 1 cannot be read, 2 neither a setup nor a session
    std::string error;
    bool session = false;
};
InputCheck check_input(const std::filesystem::path& input);

// A setup or a session played on the program's own form without a window, on a virtual
// clock, as a stream of stereo frames: what the renderer writes to a file and the player
// to the sound card, sample for sample the same. The form works in the input's folder, so
// that the names in a session resolve as they do in the window started there.
//
// The stream ends where the input does (one tick after a setup's last key or at its stop
// at 600 s, the end of a session) plus the tail, or at --duration plus the tail; --loop
// starts the input again at its end; the sleep timer fades to silence at --stop-after,
// counted in sound played; and every end fades over --fade-out.
class HeadlessRun {
public:
    struct SetupStart {
        long long frame;       // where in the stream it starts
        long long turn_frame;  // where the --loop turn it belongs to began
        int turn;              // 0 for the first
        long position;         // its entry in the session, 0 for a setup
        int count;             // the session's entries, 1 for a setup
        std::string name;
    };

    explicit HeadlessRun(RunOptions options);
    ~HeadlessRun();
    HeadlessRun(const HeadlessRun&) = delete;
    HeadlessRun& operator=(const HeadlessRun&) = delete;

    // Checks and loads the input as the window would (a setup by a double click in the
    // setup list, a session from the session list) and starts it (Play, "Run Sess").
    // Gives 0, or 1 for an input that cannot be read and 2 for one that cannot start or
    // options that do not fit it, with why in `error`.
    int start(std::string& error);

    // Writes up to `frames` interleaved frames to `out` and gives how many; fewer only
    // at the end, and 0 once the stream is over.
    long produce(float* out, long frames);

    // Told when a setup starts: the first, a session's next, each --loop turn's.
    std::function<void(const SetupStart&)> on_setup_start;
    // Told after each timer tick, with the frame at which it took effect.
    std::function<void(long long frame)> after_tick;

    MainForm& form() { return *form_; }
    modSynth_DX7& tone() { return *tone_; }
    const VirtualClock& clock() const { return clock_; }
    bool session() const { return session_; }
    const std::filesystem::path& folder() const { return folder_; }
    int rate() const { return options_.rate; }

    // The stream's last frame plus one, or -1 while that is not known (a session's end
    // shows only as it comes).
    long long end_frame() const { return end_; }
    // The most the stream can hold.
    long long longest() const { return longest_; }
    long long frames_done() const { return done_; }
    // Samples that the mix had to hold at full scale.
    long long held() const { return clipped_; }
    int setups_started() const { return setups_started_; }
    // The session entry in play, as "2/3 SlowBeat.qrv"; empty for a setup.
    std::string playing() const;

private:
    long generate(float* out, long frames);
    void begin_turn();
    void announce(long position);
    void session_ended();
    long long frame_of(std::int64_t ms) const { return ms * options_.rate / 1000; }

    RunOptions options_;
    std::filesystem::path folder_;
    std::string name_;
    bool session_ = false;

    VirtualClock clock_;
    OfflineBackend* device_;
    std::unique_ptr<modSynth_DX7> tone_;
    std::unique_ptr<MainForm> form_;

    long long end_ = -1;
    long long longest_ = -1;
    long long sleep_end_ = -1;  // the sleep timer's silence, or -1
    long long sleep_fade_ = 0;
    long long end_fade_ = 0;
    long long tail_ = 0;
    std::optional<std::int64_t> setup_end_ms_;  // the transport's end of one turn of a setup

    long long generated_ = 0;
    long long clipped_ = 0;
    long long done_ = 0;
    std::optional<std::int64_t> turn_end_ms_;
    long long turn_frame_ = 0;
    int turn_ = 0;
    int setups_started_ = 0;
    long announced_ = -1;
    bool session_over_ = false;

    // Without a known end, the last `hold_` frames wait until it comes, for the end fade.
    long long hold_ = 0;
    std::vector<float> held_;
    std::size_t held_from_ = 0;
};

}  // namespace qv
