#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qv {

enum class NoiseColour : std::uint8_t { Off, White, Pink, Brown };

// "off", "white", "pink" or "brown".
std::optional<NoiseColour> noise_colour_named(std::string_view name);
const char* noise_colour_name(NoiseColour colour);

// Soft noise beneath the tones: white (flat), pink (-3 dB an octave) or brown (-6 dB an
// octave), held to 20 Hz - 20 kHz, each ear its own. One generator serves a whole run, so
// that a new device (Play, a --loop turn) goes on with it rather than starting it again,
// and the same seed gives the same samples.
class NoiseBed {
public:
    explicit NoiseBed(std::uint32_t seed = 0x9E3779B9u);

    // The filters for a device's rate, and how loud they come out; the generator goes on.
    // UI thread, before the device mixes.
    void prepare(double rate);
    double rate() const { return rate_; }

    // Adds `count` frames of noise of `colour` to both sides, frame i at gains[i] times the
    // band's RMS: a gain of 1 is a band of 0 dBFS in each ear. Mixing thread; no lock,
    // allocation or wait. `count` is a whole number of kBlock but for the last call.
    void add(NoiseColour colour, const float* gains, float* left, float* right,
             std::size_t count) noexcept;
    // Starts a colour's filters from rest, as after silence.
    void rest();

    static constexpr std::size_t kBlock = 8;
    static constexpr std::size_t kStates = 7;

private:
    // One step of the filters of `colour`: white noise `x` in, the noise out, unscaled;
    // the states are the high-pass's two, the low-pass's two, then the colour's three
    // one-poles. What the blocks compute eight at a time.
    float step(NoiseColour colour, std::array<float, kStates>& state, float x) const;

    using Lanes = float __attribute__((vector_size(32)));

    struct Colour {
        std::array<float, 3> pole{}, weight{};  // one-pole sections on white noise
        float direct = 0;                       // and white noise itself
        float scale = 1;                        // to a band of RMS 1
        // Eight steps at once: outputs and next states from eight inputs and the states.
        std::array<Lanes, kBlock> out_by_input{}, state_by_input{};
        std::array<Lanes, kStates> out_by_state{}, state_by_state{};
    };
    struct Biquad {
        float b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    };
    using Words = std::uint32_t __attribute__((vector_size(32)));
    struct Ear {
        Words random;  // one generator for each place in a block
        std::array<float, kStates> state{};
        // Noise made but not yet added, when a call ends inside a block.
        std::array<float, kBlock> ahead{};
    };
    // The next block of an ear's noise, at the colour's scale.
    static Lanes block(const Colour& colour, Ear& ear) noexcept;

    double rate_ = 0;
    Biquad high_, low_;
    std::array<Ear, 2> ears_;
    std::size_t used_ = kBlock;  // of the ears' noise made ahead
    std::array<Colour, 4> colours_{};
};

}  // namespace qv
