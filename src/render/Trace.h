#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "audio/modSynth_DX7.h"

namespace qv {

// Records one tab-separated line per synthesis tick: what the tick asked the tone output
// to do. A tick ends with the write of the right channel, so that call closes the line.
// The lines gather in text() until the owner writes them out.
class Trace : public ToneOutputObserver {
public:
    // `now_ms` gives the virtual time of the tick being recorded.
    explicit Trace(std::function<std::int64_t()> now_ms);

    std::string& text() { return text_; }

    void volume_set(std::int32_t volume) override { volume_ = volume; }
    void frequency_set(int channel, std::int32_t hz) override;
    void pan_set(int channel, std::int32_t pan) override;
    void channel_written(int channel, const SampleArray& samples) override;

private:
    std::string text_;
    std::function<std::int64_t()> now_ms_;
    long tick_ = 0;
    std::int32_t volume_ = 0;
    std::int32_t freq_[2] = {0, 0};
    std::int32_t pan_[2] = {0, 0};
    char hex_[2][2 * kChannelBufferBytes + 1] = {};
};

}  // namespace qv
