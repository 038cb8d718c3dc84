#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "audio/LatestState.h"
#include "audio/LoopReader.h"
#include "audio/MixState.h"

namespace qv {

// Mixes the two looping channel buffers into stereo float frames at the output rate. The
// live device's callback and the offline device both call render_block, so what is
// rendered to a file is what is heard.
//
// One thread publishes states (the UI thread), one other thread renders blocks; a block
// mixes the state that was newest when it began, so a change of rate, pan, volume or
// content takes effect at the next block, a change of rate as a step.
class ToneMixer {
public:
    explicit ToneMixer(double output_rate);

    double output_rate() const { return output_rate_; }

    // UI thread: fill the whole state, then publish it.
    MixState& next_state() { return states_.back(); }
    void publish() { states_.publish(); }

    // Mixing thread: writes `frames` interleaved left/right frames to `out`. Each loop is
    // read at its playback rate with band-limited interpolation, panned, scaled by the
    // master volume, and both are summed per side and held within full scale. No lock,
    // allocation or wait.
    void render_block(float* out, std::size_t frames) noexcept;

private:
    struct Voice {
        LoopReader reader;
        bool playing = false;
    };

    double output_rate_;
    LatestState<MixState> states_;
    std::array<Voice, 2> voices_{};
};

}  // namespace qv
