#include "audio/ToneMixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

// Eight-lane vectors pass between functions of this file only: the note that their ABI
// differs between machines with and without AVX does not concern us.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace qv {
namespace {

// Loops played faster than this share of the output rate are read with a stretched
// kernel, so that their 0.6-of-the-rate stopband edge stays at the output's Nyquist
// frequency and nothing folds back.
constexpr double kFastest = 1.0 / 1.2;

constexpr std::size_t kChunk = 256;

using Lanes = float __attribute__((vector_size(32)));
constexpr std::size_t kLanes = 8;
static_assert(kChunk % kLanes == 0);

Lanes lanes_at(const float* p) {
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void store(float* p, Lanes v) {
    std::memcpy(p, &v, sizeof v);
}

Lanes clamped(Lanes v) {
    const Lanes top = Lanes{} + 1.0f;
    const Lanes bottom = Lanes{} - 1.0f;
    v = v > top ? top : v;
    return v < bottom ? bottom : v;
}

}  // namespace

ToneMixer::ToneMixer(double output_rate, float initial_gain)
    : output_rate_(output_rate),
      glide_frames_(static_cast<std::uint32_t>(std::lround(kGlideSeconds * output_rate))),
      start_over_frames_(static_cast<std::uint32_t>(std::lround(kStartOverSeconds * output_rate))),
      faded_out_(initial_gain == 0.0f) {
    // Build the kernel tables here, on the UI thread, not in the first audio block.
    LoopKernel::instance();
    fade_.now = fade_.target = initial_gain;
}

void ToneMixer::Glide::start(float to, std::uint32_t frames) {
    target = to;
    left = frames;
    if (frames == 0) {
        now = to;
    } else {
        step = (to - now) / static_cast<float>(frames);
    }
}

void ToneMixer::fade_to(float gain, double seconds) {
    Fade& fade = fades_.back();
    fade.serial = ++fades_sent_;
    fade.gain = gain;
    fade.frames = static_cast<std::uint32_t>(std::lround(std::max(0.0, seconds) * output_rate_));
    fades_.publish();
}

void ToneMixer::apply_fade(float* left, float* right, std::size_t count) {
    if (fade_.left == 0 && fade_.now == 1.0f) return;
    for (std::size_t i = 0; i < count; ++i) {
        const float gain = fade_.next();
        left[i] *= gain;
        right[i] *= gain;
    }
}

bool ToneMixer::plan_noise(const MixState& state) {
    if (!noise_bed_) return false;
    if (state.noise != noise_colour_ && noise_.now == 0.0f && noise_.left == 0) {
        noise_colour_ = state.noise;
        noise_bed_->rest();
    }
    const float target = state.noise == noise_colour_ ? state.noise_gain : 0.0f;
    if (target != noise_.target) noise_.start(target, glide_frames_);
    return noise_colour_ != NoiseColour::Off && (noise_.now != 0.0f || noise_.left > 0);
}

void ToneMixer::render_block(float* out, std::size_t frames) noexcept {
    const MixState& newest = states_.latest();
    if (newest.take != take_ && !ending_take_) {
        ending_take_ = true;
        fade_.start(0.0f, fade_.now == 0.0f ? 0 : start_over_frames_);
    }
    if (ending_take_ && fade_.left == 0 && fade_.now == 0.0f) {
        ending_take_ = false;
        take_ = newest.take;
        for (Voice& voice : voices_) voice.playing = false;
    }
    // A take that is ending plays on as it was; no fade but its own applies meanwhile.
    if (!ending_take_) {
        playing_ = newest;
        if (const Fade& fade = fades_.latest(); fade.serial != fades_seen_) {
            fades_seen_ = fade.serial;
            fade_.start(fade.gain, fade.frames);
        }
    }
    const MixState& state = playing_;

    struct Plan {
        std::uint64_t step = 0;
        double scale = 1.0;
        bool audible = false;
    };
    Plan plans[2];
    for (std::size_t v = 0; v < voices_.size(); ++v) {
        const LoopVoice& loop = state.voices[v];
        Voice& voice = voices_[v];
        if (!loop.playing) {
            voice.playing = false;
            continue;
        }
        if (!voice.playing) {
            voice.playing = true;
            voice.sounded = false;
            voice.reader.restart();
        }
        // Until a voice has sounded there is nothing to glide from: its first gains, as the
        // tick that first fills it sets them, apply at once. Later changes glide.
        const std::uint32_t glide = voice.sounded ? glide_frames_ : 0;
        voice.sounded = voice.sounded || loop.sounding;
        if (loop.left_gain != voice.left.target || glide == 0)
            voice.left.start(loop.left_gain, glide);
        if (loop.right_gain != voice.right.target || glide == 0)
            voice.right.start(loop.right_gain, glide);
        const double ratio = static_cast<double>(loop.rate) / output_rate_;
        plans[v].step =
            static_cast<std::uint64_t>(std::llround(std::ldexp(ratio, LoopReader::kFractionBits)));
        plans[v].scale = std::min(1.0, kFastest / ratio);
        plans[v].audible = loop.left_gain != 0.0f || loop.right_gain != 0.0f ||
                           voice.left.now != 0.0f || voice.right.now != 0.0f;
        if (plans[v].audible) {
            voice.reader.load(loop.bytes);
        } else {
            voice.reader.skip(plans[v].step, frames);
        }
    }

    const bool noisy = plan_noise(state);

    // Whole lanes are mixed even past the end of a short chunk; only `count` frames leave.
    alignas(32) float mono[kChunk] = {};
    for (std::size_t done = 0; done < frames; done += kChunk) {
        const std::size_t count = std::min(kChunk, frames - done);
        alignas(32) float left[kChunk] = {};
        alignas(32) float right[kChunk] = {};
        for (std::size_t v = 0; v < voices_.size(); ++v) {
            if (!voices_[v].playing || !plans[v].audible) continue;
            Voice& voice = voices_[v];
            voice.reader.read(plans[v].step, plans[v].scale, mono, count);
            if (voice.left.left > 0 || voice.right.left > 0) {
                for (std::size_t i = 0; i < count; ++i) {
                    left[i] += mono[i] * voice.left.next();
                    right[i] += mono[i] * voice.right.next();
                }
                continue;
            }
            const float gain_left = voice.left.now;
            const float gain_right = voice.right.now;
            for (std::size_t i = 0; i < count; i += kLanes) {
                const Lanes m = lanes_at(mono + i);
                store(left + i, lanes_at(left + i) + m * gain_left);
                store(right + i, lanes_at(right + i) + m * gain_right);
            }
        }
        if (noisy) {
            alignas(32) float gains[kChunk];
            if (noise_.left == 0) {
                std::fill_n(gains, count, noise_.now);
            } else {
                for (std::size_t i = 0; i < count; ++i) gains[i] = noise_.next();
            }
            noise_bed_->add(noise_colour_, gains, left, right, count);
        }
        apply_fade(left, right, count);
        float* frame = out + done * 2;
        std::size_t i = 0;
        for (; i + kLanes <= count; i += kLanes) {
            const Lanes l = clamped(lanes_at(left + i));
            const Lanes r = clamped(lanes_at(right + i));
            store(frame + 2 * i, __builtin_shufflevector(l, r, 0, 8, 1, 9, 2, 10, 3, 11));
            store(frame + 2 * i + kLanes,
                  __builtin_shufflevector(l, r, 4, 12, 5, 13, 6, 14, 7, 15));
        }
        for (; i < count; ++i) {
            frame[2 * i] = std::clamp(left[i], -1.0f, 1.0f);
            frame[2 * i + 1] = std::clamp(right[i], -1.0f, 1.0f);
        }
    }
    faded_out_.store(fade_.left == 0 && fade_.now == 0.0f, std::memory_order_release);
}

}  // namespace qv
