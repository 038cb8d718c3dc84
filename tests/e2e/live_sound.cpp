// The live sound path through the real PortAudio backend, for tests/e2e/live-sound.sh.
//
//   quorvane_live_sound play SECONDS   plays the known tones on the default output device,
//                                      re-opening it halfway as Play does
//   quorvane_live_sound check WAV      checks a recording of them, side by side
//   quorvane_live_sound no-device      expects the device not to open, with a reason
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "audio/PortAudioBackend.h"
#include "audio/modSynth_DX7.h"

namespace {

// Left ear: 15 turns at 9000 Hz (754.19 Hz), all to the left. Right ear: 20 turns at
// 12000 Hz (1340.78 Hz), all to the right. Master volume 6 dB down, bytes 127 +- 100.
struct Side {
    int turns, rate, pan;
    double hz() const { return rate * turns / 179.0; }
};
constexpr Side kSides[2] = {{15, 9000, -10000}, {20, 12000, 10000}};
constexpr int kVolume = -600;
const double kAmplitude = 100.0 / 128.0 * std::pow(10.0, kVolume / 2000.0);

bool start(qv::modSynth_DX7& tone) {
    if (!tone.InitSynth(0)) {
        std::fprintf(stderr, "the sound device could not be opened: %s\n", tone.failure().c_str());
        return false;
    }
    for (int i = 0; i < 2; ++i) {
        qv::SampleArray bytes{};
        for (std::size_t n = 0; n < bytes.size(); ++n)
            bytes[n] = std::uint8_t(std::lround(
                127.0 +
                100.0 * std::sin(2.0 * std::numbers::pi * kSides[i].turns * double(n) / 179.0)));
        tone.channelBuffer(i)->Play();
        tone.channelBuffer(i)->SetFrequency(kSides[i].rate);
        tone.channelBuffer(i)->SetPan(kSides[i].pan);
        tone.WriteChannel(i, bytes);
    }
    tone.primaryBuffer()->SetVolume(kVolume);
    std::printf("playing at %.0f Hz\n", tone.soundDevice()->output_rate());
    return true;
}

int play(double seconds) {
    qv::modSynth_DX7 tone(std::make_unique<qv::PortAudioBackend>());
    const auto half = std::chrono::duration<double>(seconds / 2);
    if (!start(tone)) return 1;
    std::this_thread::sleep_for(half);
    const auto before = std::chrono::steady_clock::now();
    if (!start(tone)) return 1;
    std::printf("re-opened in %.1f ms\n",
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - before)
                    .count());
    std::this_thread::sleep_for(half);
    tone.Release();
    return 0;
}

int no_device() {
    qv::modSynth_DX7 tone(std::make_unique<qv::PortAudioBackend>());
    if (tone.InitSynth(0) || tone.failure().empty() || tone.channelBuffer(0) ||
        tone.primaryBuffer()) {
        std::fprintf(stderr, "without a device the open must fail, say why and leave no buffers\n");
        return 1;
    }
    std::printf("not opened: %s\n", tone.failure().c_str());
    return 0;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::nth_element(v.begin(), v.begin() + long(v.size() / 2), v.end());
    return v[v.size() / 2];
}

int check(const char* path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path, SFM_READ, &info);
    if (!file || info.channels != 2) {
        std::fprintf(stderr, "%s: not a stereo recording\n", path);
        return 1;
    }
    std::vector<float> frames(std::size_t(info.frames) * 2);
    sf_readf_float(file, frames.data(), info.frames);
    sf_close(file);
    const double rate = info.samplerate;
    int failures = 0;
    for (int s = 0; s < 2; ++s) {
        // Length and peak of every period: the mean of the periods near the median is exact,
        // yet blind to a buffer lost here and there.
        std::vector<double> peaks, lengths;
        double peak = 0.0, last = -1.0;
        for (std::size_t i = 2 + s; i < frames.size(); i += 2) {
            const float a = frames[i - 2], b = frames[i];
            peak = std::max(peak, double(std::abs(b)));
            if (a < 0.0f && b >= 0.0f) {
                const double t = double(i / 2 - 1) + a / (a - b);
                if (last >= 0.0 && peak > 0.05) lengths.push_back(t - last), peaks.push_back(peak);
                last = t;
                peak = 0.0;
            }
        }
        const double typical = median(lengths);
        double sum = 0.0;
        int count = 0;
        for (double length : lengths)
            if (std::abs(length / typical - 1.0) < 0.01) sum += length, ++count;
        const double hz = rate * count / sum,
                     level_db = 20.0 * std::log10(median(peaks) / kAmplitude);
        const double seconds = double(lengths.size()) / kSides[s].hz();
        std::printf("%s: %.3f Hz (expected %.3f), level %+.2f dB, %.2f s of tone\n",
                    s == 0 ? "left" : "right", hz, kSides[s].hz(), level_db, seconds);
        failures +=
            std::abs(hz / kSides[s].hz() - 1.0) > 1e-4 || std::abs(level_db) > 0.5 || seconds < 1.0;
    }
    // The old stream closes and the new one starts when Play re-opens the device: the
    // longest silence between the first and the last sound on the left stays short.
    std::size_t first = frames.size(), gap = 0, run = 0;
    for (std::size_t i = 0; i < frames.size(); i += 2) {
        if (std::abs(frames[i]) > 0.01f) {
            gap = first < i ? std::max(gap, run) : 0;
            first = std::min(first, i);
            run = 0;
        } else {
            ++run;
        }
    }
    std::printf("longest silence while playing: %.0f ms\n", double(gap) / rate * 1000.0);
    return failures == 0 && double(gap) / rate <= 0.5 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "play" && argc == 3) return play(std::atof(argv[2]));
    if (mode == "check" && argc == 3) return check(argv[2]);
    if (mode == "no-device" && argc == 2) return no_device();
    std::fprintf(stderr, "usage: %s play SECONDS | check WAV | no-device\n", argv[0]);
    return 2;
}
