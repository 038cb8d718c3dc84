#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/LatestState.h"

namespace qv {

// What the player's sound card plays: stereo frames handed over by the run through a
// lock-free ring, with the gains that belong to the card and to no setup: the listener's
// volume, a fade-in whenever a stream opens on it, and the fade of an interrupt, which
// starts from what is heard at that moment. One thread pushes, the card's callback takes;
// the callback never locks, allocates or waits, and plays silence when the ring is empty.
class CardFeed {
public:
    static constexpr double kOpenFadeSeconds = 0.010;

    CardFeed(std::size_t capacity_frames, double rate, float volume);

    // Pushing side.
    std::size_t space() const;
    std::size_t queued() const;
    // `count` at most space().
    void push(const float* frames, std::size_t count);
    // A stream opens: it starts from silence and fades in. Call before it starts.
    void open_fade();
    // From what is heard now, down to silence over `seconds`; then the card takes no more.
    void fade_out(double seconds);
    bool faded_out() const { return faded_out_.load(std::memory_order_acquire); }
    // Frames the card has taken from the ring.
    std::uint64_t taken() const { return taken_.load(std::memory_order_acquire); }

    // The card's callback.
    void render(float* out, std::size_t frames) noexcept;

private:
    struct Fade {
        std::uint32_t serial = 0;
        float from = 0.0f;  // negative: from where the gain stands
        float to = 1.0f;
        std::uint32_t frames = 0;
    };
    void send(float from, float to, double seconds);

    std::vector<float> ring_;
    std::size_t capacity_;
    double rate_;
    float volume_;
    std::atomic<std::uint64_t> written_{0};
    std::atomic<std::uint64_t> taken_{0};

    LatestState<Fade> fades_;
    std::uint32_t fades_sent_ = 0;  // pushing side
    std::uint32_t fades_seen_ = 0;  // callback
    float gain_ = 1.0f;             // callback
    float target_ = 1.0f;
    float step_ = 0.0f;
    std::uint32_t left_ = 0;
    std::atomic<bool> faded_out_{false};
};

}  // namespace qv
