#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

#include "controls/Button.h"
#include "controls/ListBox.h"
#include "controls/ScrollBar.h"
#include "controls/TextBox.h"
#include "controls/Timer.h"
#include "timeline/KeyframeStore.h"
#include "timeline/Timeline.h"

namespace qv {

// The time line's transport: the play time advanced by the 100 ms tick `Timer2`, the
// time cursor `time` with its text `Text2`, Play, Pause, Stop, the one-second steps and
// the jumps to the previous and next keyframe. The cursor holds whole seconds for
// Set Key; the play time is what keyframe hits and interpolation use.
class Transport {
public:
    static constexpr int kLastSecond = 600;

    struct Parts {
        ScrollBar& time;
        TextBox& Text2;
        Button& play;
        Timer& Timer1;
        Timer& Timer2;
        const ListBox& List2;
        Timeline& timeline;
        KeyframeStore& keys;
        // Play opens the sound device anew and rebuilds the angle table.
        std::function<void()> reopen_sound;
        // Stop restarts the AM and shift modulators from phase 0.
        std::function<void()> reset_modulator_phases;
        // Within a session the time line does not stop at 600 s.
        std::function<bool()> in_session;
    };

    explicit Transport(Parts parts) : p_(std::move(parts)) {}

    // Whether the time line moves (Play or Run Sess, until Pause, Stop or its end).
    bool running() const { return p_.Timer2.enabled(); }
    // A session's own moves: the time line runs on from where it stands, or holds; and
    // while a session runs, Play is held off and the synthesis ticks.
    void run() { p_.Timer2.set_enabled(true); }
    void halt() { p_.Timer2.set_enabled(false); }
    void hand_to_session() {
        p_.play.set_enabled(false);
        p_.Timer1.set_enabled(true);
    }
    // Where a setup played from 0 s is done, in milliseconds: one tick after its last key,
    // or at the stop at 600 s. None for a setup without a key after 0 s: its time line
    // runs on to the stop with nothing left to change.
    std::optional<std::int64_t> end_ms() const;

    void time_Change();
    void oneback_Click();
    void oneforward_Click();
    void nextkey_Click();
    void prevkey_Click();
    void play_Click();
    void pause_Click();
    void stop_Click();
    void Timer2_Timer();

private:
    void jump_to_key(float position);

    Parts p_;
};

}  // namespace qv
