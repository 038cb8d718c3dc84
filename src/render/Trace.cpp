#include "render/Trace.h"

#include <cstdio>
#include <utility>

namespace qv {

Trace::Trace(std::function<std::int64_t()> now_ms)
    : text_("tick\ttime_ms\tvolume\tfreq_left\tfreq_right\tpan_left\tpan_right\tleft\tright\n"),
      now_ms_(std::move(now_ms)) {}

void Trace::frequency_set(int channel, std::int32_t hz) {
    if (channel == 0 || channel == 1) freq_[channel] = hz;
}

void Trace::pan_set(int channel, std::int32_t pan) {
    if (channel == 0 || channel == 1) pan_[channel] = pan;
}

void Trace::channel_written(int channel, const SampleArray& samples) {
    if (channel != 0 && channel != 1) return;
    static constexpr char kDigits[] = "0123456789abcdef";
    char* hex = hex_[channel];
    for (int i = 0; i < kChannelBufferBytes; ++i) {
        hex[2 * i] = kDigits[samples[static_cast<std::size_t>(i)] >> 4];
        hex[2 * i + 1] = kDigits[samples[static_cast<std::size_t>(i)] & 15];
    }
    if (channel == 0) return;
    char numbers[128];
    const int n = std::snprintf(numbers, sizeof numbers, "%ld\t%lld\t%d\t%d\t%d\t%d\t%d\t", ++tick_,
                                static_cast<long long>(now_ms_()), volume_, freq_[0], freq_[1],
                                pan_[0], pan_[1]);
    text_.append(numbers, static_cast<std::size_t>(n));
    text_.append(hex_[0], 2 * kChannelBufferBytes).append(1, '\t');
    text_.append(hex_[1], 2 * kChannelBufferBytes).append(1, '\n');
}

}  // namespace qv
