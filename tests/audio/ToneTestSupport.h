#pragma once

// Playing the tone output offline and measuring what comes out.

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "FailingBackend.h"
#include "audio/modSynth_DX7.h"

namespace qv::test {

inline constexpr double kOutputRate = 48000.0;

// `turns` whole turns of a sine of `amplitude` (in bytes) over the 179 played samples, and
// as many `overtone` turns at the same amplitude where given.
inline SampleArray sine_loop(int turns, double amplitude = 100.0, int overtone = 0) {
    SampleArray bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const double a = 2.0 * std::numbers::pi * static_cast<double>(i) / kChannelBufferBytes;
        bytes[i] = static_cast<std::uint8_t>(std::lround(
            127.0 + amplitude * (std::sin(turns * a) + (overtone ? std::sin(overtone * a) : 0))));
    }
    return bytes;
}

inline SampleArray filled(std::uint8_t value) {
    SampleArray bytes;
    bytes.fill(value);
    return bytes;
}

// A tone output on the offline device, opened, both channel buffers looping, and the
// device's fade-in with the first write already past.
struct OfflineTone {
    FailingBackend* device = new FailingBackend(kOutputRate);
    modSynth_DX7 tone{std::unique_ptr<FailingBackend>(device)};

    OfflineTone() {
        if (!tone.InitSynth(0)) return;
        tone.WriteChannel(0, filled(127));
        pull(static_cast<std::size_t>(SoundDevice::kFadeSeconds * kOutputRate));
        channel(0).Play();
        channel(1).Play();
    }
    SoundBuffer& channel(int i) { return *tone.channelBuffer(i); }
    bool play(int i, const SampleArray& loop, int hz) {
        return tone.WriteChannel(i, loop) && channel(i).SetFrequency(hz);
    }
    SoundBuffer& primary() { return *tone.primaryBuffer(); }
    // The next `frames` frames, left and right interleaved.
    std::vector<float> pull(std::size_t frames) {
        std::vector<float> block(frames * 2);
        device->pull(block.data(), frames);
        return block;
    }
};

// One side (0 left, 1 right) of interleaved frames.
inline std::vector<float> side(const std::vector<float>& frames, int which) {
    std::vector<float> out;
    for (std::size_t i = static_cast<std::size_t>(which); i < frames.size(); i += 2)
        out.push_back(frames[i]);
    return out;
}

inline double rms(const std::vector<float>& x) {
    double sum = 0.0;
    for (float v : x) sum += static_cast<double>(v) * v;
    return std::sqrt(sum / static_cast<double>(x.size()));
}

inline double db(double ratio) {
    return 20.0 * std::log10(ratio);
}

// Frequency from the rising zero crossings, each placed between its two samples.
inline double frequency(const std::vector<float>& x, double rate) {
    double first = -1.0, last = -1.0;
    int crossings = 0;
    for (std::size_t i = 1; i < x.size(); ++i) {
        if (x[i - 1] < 0.0f && x[i] >= 0.0f) {
            last = static_cast<double>(i - 1) + x[i - 1] / (x[i - 1] - x[i]);
            if (crossings++ == 0) first = last;
        }
    }
    return crossings < 2 ? 0.0 : (crossings - 1) * rate / (last - first);
}

// Magnitudes of the DFT of x at bins 0..x.size() / 2, as amplitudes of the sines.
inline std::vector<double> spectrum(const std::vector<float>& x) {
    const std::size_t n = x.size();
    std::vector<std::complex<double>> turn(n);
    for (std::size_t k = 0; k < n; ++k)
        turn[k] = std::polar(1.0, -2.0 * std::numbers::pi * double(k) / double(n));
    std::vector<double> magnitude(n / 2 + 1);
    for (std::size_t bin = 0; bin < magnitude.size(); ++bin) {
        std::complex<double> sum;
        for (std::size_t i = 0; i < n; ++i) sum += static_cast<double>(x[i]) * turn[(bin * i) % n];
        magnitude[bin] = std::abs(sum) * 2.0 / static_cast<double>(n);
    }
    return magnitude;
}

// The largest step from one sample to the next on either side, from frame `from` on.
inline float largest_step(const std::vector<float>& x, std::size_t from = 0,
                          std::size_t to = SIZE_MAX) {
    float most = 0;
    for (std::size_t i = 2 * from + 2; i < x.size() && i < 2 * to; ++i)
        most = std::max(most, std::abs(x[i] - x[i - 2]));
    return most;
}

// The largest sample on either side from frame `from` to frame `to`.
inline float peak(const std::vector<float>& x, std::size_t from, std::size_t to) {
    float most = 0;
    for (std::size_t i = 2 * from; i < 2 * to && i < x.size(); ++i)
        most = std::max(most, std::abs(x[i]));
    return most;
}

}  // namespace qv::test
