#pragma once

#include <atomic>
#include <optional>
#include <string>

#include "audio/CardFeed.h"

namespace qv {

// The player's sound card: one PortAudio output stream of stereo float at a rate the
// caller chooses, playing what a CardFeed holds. Each start begins a PortAudio session of
// its own, so that a sound server started again since is the one found.
class PortAudioStream {
public:
    // `device` by its name, empty for the default output; `latency` in seconds is how
    // much sound the device holds, and so how seldom it wakes the program.
    PortAudioStream(std::string device, double latency)
        : device_(std::move(device)), latency_(latency) {}
    ~PortAudioStream() { close(false); }
    PortAudioStream(const PortAudioStream&) = delete;
    PortAudioStream& operator=(const PortAudioStream&) = delete;

    // `wanted` if the device takes that rate, else the device's own; none, and why,
    // without a device.
    std::optional<int> rate_for(int wanted, std::string& error);
    // Opens and starts the stream at `rate` exactly; the feed fades in from silence.
    bool start(CardFeed& feed, int rate, std::string& error);
    // Whether the stream runs; PortAudio ends one whose device failed.
    bool active() const;
    // Seconds from a frame leaving the feed to its being heard.
    double output_latency() const;
    // Ends the stream; `drain` lets the device play what it was given first.
    void close(bool drain);

    // The card's callback: `heard_at` is when the first of `frames` is heard, on the
    // stream's clock.
    void fill(float* out, unsigned long frames, double heard_at) noexcept;

private:
    std::string device_;
    double latency_;
    void* stream_ = nullptr;
    bool session_ = false;
    CardFeed* feed_ = nullptr;
    int rate_ = 0;
    // On the stream's clock, when the last frame taken from the feed is heard.
    std::atomic<double> last_heard_{0};
};

}  // namespace qv
