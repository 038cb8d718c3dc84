#include "audio/CardFeed.h"

#include <algorithm>
#include <cmath>

namespace qv {

CardFeed::CardFeed(std::size_t capacity_frames, double rate, float volume)
    : ring_(2 * capacity_frames), capacity_(capacity_frames), rate_(rate), volume_(volume) {}

std::size_t CardFeed::queued() const {
    return static_cast<std::size_t>(written_.load(std::memory_order_relaxed) -
                                    taken_.load(std::memory_order_acquire));
}

std::size_t CardFeed::space() const {
    return capacity_ - queued();
}

void CardFeed::push(const float* frames, std::size_t count) {
    const std::uint64_t written = written_.load(std::memory_order_relaxed);
    const auto at = static_cast<std::size_t>(written % capacity_);
    const std::size_t first = std::min(count, capacity_ - at);  // then round the ring's end
    std::copy_n(frames, 2 * first, ring_.begin() + static_cast<long>(2 * at));
    std::copy_n(frames + 2 * first, 2 * (count - first), ring_.begin());
    written_.store(written + count, std::memory_order_release);
}

void CardFeed::send(float from, float to, double seconds) {
    Fade& fade = fades_.back();
    fade = {++fades_sent_, from, to,
            static_cast<std::uint32_t>(std::lround(std::max(0.0, seconds) * rate_))};
    fades_.publish();
}

void CardFeed::open_fade() {
    send(0.0f, 1.0f, kOpenFadeSeconds);
}

void CardFeed::fade_out(double seconds) {
    send(-1.0f, 0.0f, seconds);
}

void CardFeed::render(float* out, std::size_t frames) noexcept {
    if (const Fade& fade = fades_.latest(); fade.serial != fades_seen_) {
        fades_seen_ = fade.serial;
        if (fade.from >= 0.0f) gain_ = fade.from;
        target_ = fade.to;
        left_ = fade.frames;
        if (left_ == 0) gain_ = target_;
        step_ = left_ == 0 ? 0.0f : (target_ - gain_) / static_cast<float>(left_);
    }
    // Faded out, the card takes nothing more: what it has taken is what was heard.
    const std::uint64_t taken = taken_.load(std::memory_order_relaxed);
    const auto n = left_ == 0 && gain_ == 0.0f
                       ? 0
                       : static_cast<std::size_t>(std::min<std::uint64_t>(
                             frames, written_.load(std::memory_order_acquire) - taken));
    const float* from = ring_.data() + 2 * (taken % capacity_);
    const float* end = ring_.data() + ring_.size();
    for (std::size_t i = 0; i < n; ++i, from += 2) {
        if (from == end) from = ring_.data();
        if (left_ > 0) gain_ = --left_ == 0 ? target_ : gain_ + step_;
        const float gain = volume_ * gain_;
        out[2 * i] = from[0] * gain;
        out[2 * i + 1] = from[1] * gain;
    }
    std::fill(out + 2 * n, out + 2 * frames, 0.0f);
    taken_.store(taken + n, std::memory_order_release);
    faded_out_.store(left_ == 0 && gain_ == 0.0f, std::memory_order_release);
}

}  // namespace qv
