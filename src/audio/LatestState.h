#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace qv {

// Hands whole states from one writer thread to one reader thread without locks, waits or
// allocation (a triple buffer). The writer fills back() completely and publishes it; the
// reader's latest() gives the newest published state and keeps it untouched until the
// reader asks again, so the reader never sees a state half-written.
template <class State>
class LatestState {
public:
    // Writer side. The slot holds an older state: fill all of it.
    State& back() { return slots_[back_]; }
    void publish() { back_ = middle_.exchange(back_ | kFresh, std::memory_order_acq_rel) & kIndex; }

    // Reader side.
    const State& latest() {
        if (middle_.load(std::memory_order_relaxed) & kFresh) {
            front_ = middle_.exchange(front_, std::memory_order_acq_rel) & kIndex;
        }
        return slots_[front_];
    }

private:
    static constexpr std::uint8_t kIndex = 3;
    static constexpr std::uint8_t kFresh = 4;

    std::array<State, 3> slots_{};
    std::uint8_t back_ = 0;
    std::atomic<std::uint8_t> middle_{1};
    std::uint8_t front_ = 2;
};

}  // namespace qv
