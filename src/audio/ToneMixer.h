#pragma once

#include <array>
#include <atomic>
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
// mixes the state that was newest when it began, so a change of rate or content takes
// effect at the next block, a change of rate as a step. A change of volume or pan glides
// over kGlideSeconds from there instead, so that it is no step in the waveform, once the
// voice has sounded; before, its gains apply at once.
//
// After the mix, one gain stage fades the whole output: a device fades in with its first
// sound and out before it closes.
class ToneMixer {
public:
    static constexpr double kGlideSeconds = 0.005;
    static constexpr double kStartOverSeconds = 0.010;

    // `initial_gain` is where the gain stage stands before any fade: 1 for an output that
    // starts at once, 0 for one that fades in.
    explicit ToneMixer(double output_rate, float initial_gain = 1.0f);

    double output_rate() const { return output_rate_; }

    // UI thread: the gain stage glides in a straight line from where it stands to `gain`
    // over `seconds` (at once for 0).
    void fade_to(float gain, double seconds);
    // Whether the gain stage has come to rest at silence.
    bool faded_out() const { return faded_out_.load(std::memory_order_acquire); }

    // UI thread, before the device mixes: where the noise beneath the tones comes from.
    void set_noise_bed(NoiseBed* bed) { noise_bed_ = bed; }

    // UI thread: fill the whole state, then publish it.
    MixState& next_state() { return states_.back(); }
    void publish() {
        states_.back().take = takes_;
        states_.publish();
    }
    // UI thread: starts over as a device opened afresh would, without a pause. What plays
    // fades out over kStartOverSeconds; then the states published from now on play, the
    // loops from their start and the gain stage at silence until its next fade.
    void start_over() { ++takes_; }

    // Mixing thread: writes `frames` interleaved left/right frames to `out`. Each loop is
    // read at its playback rate with band-limited interpolation, panned, scaled by the
    // master volume, and both are summed per side with the noise and held within full scale.
    // No lock, allocation or wait.
    void render_block(float* out, std::size_t frames) noexcept;

private:
    // A gain that glides to its target in equal steps, one a frame.
    struct Glide {
        float now = 0.0f;
        float target = 0.0f;
        float step = 0.0f;
        std::uint32_t left = 0;  // frames until the target

        void start(float to, std::uint32_t frames);
        float next() {
            if (left == 0) return now;
            now = --left == 0 ? target : now + step;
            return now;
        }
    };
    struct Voice {
        LoopReader reader;
        bool playing = false;
        bool sounded = false;  // has played more than the rest level
        Glide left;
        Glide right;
    };
    struct Fade {
        std::uint32_t serial = 0;
        float gain = 1.0f;
        std::uint32_t frames = 0;
    };

    // The gain stage over one chunk of both sides.
    void apply_fade(float* left, float* right, std::size_t count);
    // Whether noise sounds in this block; a new colour waits until the old one has glided
    // out.
    bool plan_noise(const MixState& state);

    double output_rate_;
    std::uint32_t glide_frames_;
    LatestState<MixState> states_;
    std::uint32_t takes_ = 0;  // UI thread
    // Mixing thread: the state being played, and the take it belongs to; a newer take
    // waits until this one has faded out.
    MixState playing_;
    std::uint32_t take_ = 0;
    bool ending_take_ = false;
    std::uint32_t start_over_frames_;
    std::array<Voice, 2> voices_{};

    NoiseBed* noise_bed_ = nullptr;
    NoiseColour noise_colour_ = NoiseColour::Off;
    Glide noise_;

    LatestState<Fade> fades_;
    std::uint32_t fades_sent_ = 0;  // UI thread
    std::uint32_t fades_seen_ = 0;  // mixing thread
    Glide fade_;
    std::atomic<bool> faded_out_;
};

}  // namespace qv
