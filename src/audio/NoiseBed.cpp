#include "audio/NoiseBed.h"

#include <cmath>
#include <complex>
#include <cstring>
#include <numbers>

#pragma GCC diagnostic ignored "-Wpsabi"

namespace qv {

namespace {

constexpr double kLowest = 20.0;      // Hz: no DC, no infrasound
constexpr double kHighest = 20000.0;  // Hz

// Pink noise as white noise through three one-pole low-passes and a little of itself:
// the poles and weights of a well-known economical filter for 44.1 kHz, as frequencies
// and gains, so that any rate gets the same curve.
constexpr std::array<double, 3> kPinkPoles = {16.49, 263.9, 3945.0};  // Hz
constexpr std::array<double, 3> kPinkGains = {42.147, 8.0140, 2.4481};
constexpr double kPinkDirect = 0.1848;
// Brown noise: white noise summed up, forgetting slowly enough to fall 6 dB an octave
// from well below the band.
constexpr double kBrownPole = 5.0;  // Hz

using Complex = std::complex<double>;

}  // namespace

// The block's sums are built twice, so that machines with AVX2 use them (not under the
// sanitizers nor with clang, as the mixer's loops). Eight-lane values pass only inside
// one copy: block() is always inlined, as the two copies pass them differently.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__) || defined(__clang__)
#define QV_NOISE_CLONES
#else
#define QV_NOISE_CLONES __attribute__((target_clones("avx2", "default")))
#endif

std::optional<NoiseColour> noise_colour_named(std::string_view name) {
    for (NoiseColour c :
         {NoiseColour::Off, NoiseColour::White, NoiseColour::Pink, NoiseColour::Brown}) {
        if (name == noise_colour_name(c)) return c;
    }
    return std::nullopt;
}

const char* noise_colour_name(NoiseColour colour) {
    constexpr const char* kNames[] = {"off", "white", "pink", "brown"};
    return kNames[static_cast<int>(colour)];
}

NoiseBed::NoiseBed(std::uint32_t seed) {
    // Sixteen generators started far apart: the ears hear unrelated noise.
    std::uint64_t mix = seed;
    for (Ear& ear : ears_) {
        for (std::size_t k = 0; k < kBlock; ++k) {
            mix += 0x9E3779B97F4A7C15u;
            std::uint64_t z = (mix ^ (mix >> 30)) * 0xBF58476D1CE4E5B9u;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
            ear.random[k] = static_cast<std::uint32_t>(z >> 32) | 1u;
        }
    }
}

void NoiseBed::rest() {
    for (Ear& ear : ears_) ear.state = {};
}

float NoiseBed::step(NoiseColour id, std::array<float, kStates>& s, float x) const {
    const Colour& c = colours_[static_cast<int>(id)];
    float y = c.direct * x;
    for (std::size_t k = 0; k < 3; ++k) {
        s[4 + k] = c.pole[k] * s[4 + k] + c.weight[k] * x;
        y += s[4 + k];
    }
    const float h = high_.b0 * y + s[0];
    s[0] = high_.b1 * y - high_.a1 * h + s[1];
    s[1] = high_.b2 * y - high_.a2 * h;
    const float out = low_.b0 * h + s[2];
    s[2] = low_.b1 * h - low_.a1 * out + s[3];
    s[3] = low_.b2 * h - low_.a2 * out;
    return out;
}

void NoiseBed::prepare(double rate) {
    if (rate == rate_) return;
    rate_ = rate;
    const double nyquist = rate / 2;
    // Butterworth high- and low-passes at the band's edges.
    auto section = [rate](double hz, bool high) {
        const double w = 2 * std::numbers::pi * hz / rate, c = std::cos(w);
        const double alpha = std::sin(w) / std::sqrt(2.0), a0 = 1 + alpha;
        Biquad q;
        const double b = (high ? 1 + c : 1 - c) / 2;
        q.b0 = static_cast<float>(b / a0);
        q.b1 = static_cast<float>((high ? -2 * b : 2 * b) / a0);
        q.b2 = q.b0;
        q.a1 = static_cast<float>(-2 * c / a0);
        q.a2 = static_cast<float>((1 - alpha) / a0);
        return q;
    };
    high_ = section(kLowest, true);
    low_ = kHighest < 0.95 * nyquist ? section(kHighest, false) : Biquad{};

    auto one_pole = [rate](double hz) { return std::exp(-2 * std::numbers::pi * hz / rate); };
    Colour& white = colours_[static_cast<int>(NoiseColour::White)];
    white.direct = 1;
    Colour& pink = colours_[static_cast<int>(NoiseColour::Pink)];
    pink.direct = static_cast<float>(kPinkDirect);
    for (std::size_t i = 0; i < 3; ++i) {
        const double a = one_pole(kPinkPoles[i]);
        pink.pole[i] = static_cast<float>(a);
        pink.weight[i] = static_cast<float>((1 - a) * kPinkGains[i]);
    }
    Colour& brown = colours_[static_cast<int>(NoiseColour::Brown)];
    brown.pole[0] = static_cast<float>(one_pole(kBrownPole));
    brown.weight[0] = 1 - brown.pole[0];

    auto response = [](const Biquad& q, Complex z1) {
        const Complex z2 = z1 * z1;
        return (Complex(q.b0) + Complex(q.b1) * z1 + Complex(q.b2) * z2) /
               (1.0 + Complex(q.a1) * z1 + Complex(q.a2) * z2);
    };
    for (NoiseColour id : {NoiseColour::White, NoiseColour::Pink, NoiseColour::Brown}) {
        Colour& colour = colours_[static_cast<int>(id)];
        // The power that comes out for white noise of variance 1/3 (uniform in -1..1), from
        // the filters' response on a logarithmic grid: what a meter shows of the band.
        constexpr int kSteps = 6000;
        constexpr double kFrom = 0.5;
        double power = 0, last_w = 0, last_p = 0;
        for (int i = 0; i <= kSteps; ++i) {
            const double hz = kFrom * std::pow(nyquist / kFrom, double(i) / kSteps);
            const double w = 2 * std::numbers::pi * hz / rate;
            const Complex z1 = std::polar(1.0, -w);
            Complex h = colour.direct;
            for (std::size_t k = 0; k < 3; ++k)
                h += double(colour.weight[k]) / (1.0 - double(colour.pole[k]) * z1);
            h *= response(high_, z1) * response(low_, z1);
            const double p = std::norm(h);
            if (i > 0) power += (w - last_w) * (p + last_p) / 2;
            last_w = w;
            last_p = p;
        }
        colour.scale = static_cast<float>(1 / std::sqrt(power / 3 / std::numbers::pi));
        // The filters are linear: eight steps at once are what eight steps give for each
        // input and each state alone, added up.
        for (std::size_t j = 0; j < kBlock + kStates; ++j) {
            std::array<float, kStates> state{};
            if (j >= kBlock) state[j - kBlock] = 1;
            Lanes out{};
            for (std::size_t k = 0; k < kBlock; ++k) out[k] = step(id, state, k == j ? 1.0f : 0.0f);
            Lanes next{};
            for (std::size_t m = 0; m < kStates; ++m) next[m] = state[m];
            (j < kBlock ? colour.out_by_input[j] : colour.out_by_state[j - kBlock]) =
                out * colour.scale;
            (j < kBlock ? colour.state_by_input[j] : colour.state_by_state[j - kBlock]) = next;
        }
    }
}

__attribute__((always_inline)) inline NoiseBed::Lanes NoiseBed::block(const Colour& c,
                                                                      Ear& ear) noexcept {
    Words& r = ear.random;
    r ^= r << 13;
    r ^= r >> 17;
    r ^= r << 5;
    using Signed = std::int32_t __attribute__((vector_size(32)));
    const Lanes white = __builtin_convertvector((Signed)r, Lanes) * (1.0f / 2147483648.0f);
    // Four sums of each, so that no addition waits long for the one before it.
    Lanes out[4] = {}, next[4] = {};
#pragma GCC unroll 8
    for (std::size_t j = 0; j < kBlock; ++j) {
        out[j % 4] += c.out_by_input[j] * white[j];
        next[j % 4] += c.state_by_input[j] * white[j];
    }
#pragma GCC unroll 8
    for (std::size_t m = 0; m < kStates; ++m) {
        out[m % 4] += c.out_by_state[m] * ear.state[m];
        next[m % 4] += c.state_by_state[m] * ear.state[m];
    }
    const Lanes state = (next[0] + next[1]) + (next[2] + next[3]);
#pragma GCC unroll 8
    for (std::size_t m = 0; m < kStates; ++m) ear.state[m] = state[m];
    return (out[0] + out[1]) + (out[2] + out[3]);
}

QV_NOISE_CLONES void NoiseBed::add(NoiseColour colour, const float* gains, float* left,
                                   float* right, std::size_t count) noexcept {
    if (colour == NoiseColour::Off) return;
    const Colour& c = colours_[static_cast<int>(colour)];
    // Both ears in one pass: each block waits for its ear's last, not for the other ear's.
    Ear &one = ears_[0], &two = ears_[1];
    std::size_t i = 0;
    for (; i < count && used_ < kBlock; ++i, ++used_) {
        left[i] += one.ahead[used_] * gains[i];
        right[i] += two.ahead[used_] * gains[i];
    }
    auto add_lanes = [](float* to, const float* gain, Lanes noise) {
        Lanes sum, g;
        std::memcpy(&sum, to, sizeof sum);
        std::memcpy(&g, gain, sizeof g);
        sum += noise * g;
        std::memcpy(to, &sum, sizeof sum);
    };
    for (; i + kBlock <= count; i += kBlock) {
        const Lanes a = block(c, one), b = block(c, two);
        add_lanes(left + i, gains + i, a);
        add_lanes(right + i, gains + i, b);
    }
    if (i == count) return;
    const Lanes a = block(c, one), b = block(c, two);
    for (std::size_t k = 0; k < kBlock; ++k) one.ahead[k] = a[k], two.ahead[k] = b[k];
    for (used_ = 0; i < count; ++i, ++used_) {
        left[i] += one.ahead[used_] * gains[i];
        right[i] += two.ahead[used_] * gains[i];
    }
}

}  // namespace qv
