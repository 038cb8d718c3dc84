#pragma once

#include <functional>

#include "controls/ListBox.h"
#include "params/Panel.h"
#include "timeline/Timeline.h"

namespace qv {

// Moves every parameter text along the straight line between the keyframe last hit
// exactly (`curkeyidx`) and the one after it (`nextkeyidx`), evaluated at `playtime`.
// It never searches the list: the segment is whatever the last hit recorded.
class Interpolation {
public:
    struct Parts {
        Panel& panel;
        const ListBox& List2;
        const Timeline& timeline;
    };

    explicit Interpolation(Parts parts) : p_(parts) {}

    // Runs after the parameters whenever no entry follows the recorded one: the end of
    // this setup's keyframes. Session playback continues from here; by default nothing.
    std::function<void()> on_keys_ended;

    void calculate();

private:
    Parts p_;
};

}  // namespace qv
