// The live sound path through the real PortAudio backend, for tests/e2e/live-sound.sh.
//
//   quorvane_live_sound play SECONDS   plays the known tones on the default output device,
//                                      re-opening it halfway as Play does
//   quorvane_live_sound check WAV      checks a recording of them, side by side
//   quorvane_live_sound no-device      expects the device not to open, with a reason
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "audio/PortAudioBackend.h"
#include "audio/modSynth_DX7.h"

namespace {

// Left ear: 15 turns at 9000 Hz (754.19 Hz), all to the left. Right ear: 20 turns at
// 12000 Hz (1340.78 Hz), all to the right. Master volume 6 dB down.
struct Side {
    int turns;
    std::int32_t rate;
    std::int32_t pan;
    double hz() const { return rate * turns / 179.0; }
};
constexpr Side kSides[2] = {{15, 9000, -10000}, {20, 12000, 10000}};
constexpr std::int32_t kVolume = -600;
constexpr double kBytesAmplitude = 100.0;

double expected_amplitude() {
    return kBytesAmplitude / 128.0 * std::pow(10.0, kVolume / 2000.0);
}

bool start(qv::modSynth_DX7& tone) {
    if (!tone.InitSynth(0)) {
        std::fprintf(stderr, "the sound device could not be opened: %s\n", tone.failure().c_str());
        return false;
    }
    for (int i = 0; i < 2; ++i) {
        qv::SampleArray bytes{};
        for (std::size_t n = 0; n < bytes.size(); ++n) {
            const double a =
                2.0 * std::numbers::pi * kSides[i].turns * static_cast<double>(n) / 179.0;
            bytes[n] =
                static_cast<std::uint8_t>(std::lround(127.0 + kBytesAmplitude * std::sin(a)));
        }
        qv::SoundBuffer* buffer = tone.channelBuffer(i);
        buffer->Play();
        buffer->SetFrequency(kSides[i].rate);
        buffer->SetPan(kSides[i].pan);
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
    const std::chrono::duration<double, std::milli> reopen =
        std::chrono::steady_clock::now() - before;
    std::printf("re-opened in %.1f ms\n", reopen.count());
    std::this_thread::sleep_for(half);
    tone.Release();
    return 0;
}

int no_device() {
    qv::modSynth_DX7 tone(std::make_unique<qv::PortAudioBackend>());
    if (tone.InitSynth(0)) {
        std::fprintf(stderr, "the device opened although there is none\n");
        return 1;
    }
    if (tone.failure().empty() || tone.channelBuffer(0) || tone.primaryBuffer()) {
        std::fprintf(stderr, "a failed open must say why and leave no buffers\n");
        return 1;
    }
    std::printf("not opened: %s\n", tone.failure().c_str());
    return 0;
}

struct Recording {
    double rate = 0.0;
    std::vector<std::vector<float>> channels;
};

// A 16-bit or float WAV file.
Recording read_wav(const char* path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> file{std::istreambuf_iterator<char>(in), {}};
    auto u16 = [&](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(file[at]) |
                                     static_cast<unsigned char>(file[at + 1]) << 8);
    };
    auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0 ||
        std::memcmp(&file[8], "WAVE", 4) != 0)
        return {};
    unsigned format = 0, channels = 0, bits = 0, rate = 0;
    for (std::size_t at = 12; at + 8 <= file.size();) {
        const std::size_t size = u32(at + 4);
        const std::size_t body = at + 8;
        if (std::memcmp(&file[at], "fmt ", 4) == 0 && body + 16 <= file.size()) {
            format = u16(body);
            channels = u16(body + 2);
            rate = u32(body + 4);
            bits = u16(body + 14);
            if (format == 0xFFFE && size >= 26) format = u16(body + 24);  // WAVE_FORMAT_EXTENSIBLE
        } else if (std::memcmp(&file[at], "data", 4) == 0 && channels > 0) {
            // A recorder stopped by a signal may leave the data size open.
            const std::size_t end = size == 0 || size == 0xFFFFFFFF || body + size > file.size()
                                        ? file.size()
                                        : body + size;
            std::vector<std::vector<float>> out(channels);
            const std::size_t width = bits / 8;
            for (std::size_t p = body; p + width * channels <= end; p += width * channels) {
                for (unsigned c = 0; c < channels; ++c) {
                    const std::size_t s = p + c * width;
                    if (format == 1 && bits == 16) {
                        out[c].push_back(static_cast<float>(static_cast<std::int16_t>(u16(s))) /
                                         32768.0f);
                    } else if (format == 3 && bits == 32) {
                        float v;
                        std::memcpy(&v, &file[s], 4);
                        out[c].push_back(v);
                    } else {
                        return {};
                    }
                }
            }
            return {static_cast<double>(rate), out};
        }
        at = body + size + (size & 1);
    }
    return {};
}

double median(std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// Longest run of silence between the first and the last sound, in seconds.
double longest_gap(const std::vector<float>& x, double rate) {
    const auto loud = [](float v) { return std::abs(v) > 0.01f; };
    const auto first = std::find_if(x.begin(), x.end(), loud);
    const auto last = std::find_if(x.rbegin(), x.rend(), loud).base();
    std::size_t longest = 0;
    std::size_t run = 0;
    for (auto it = first; it < last; ++it) {
        run = loud(*it) ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return static_cast<double>(longest) / rate;
}

int check(const char* path) {
    const Recording recording = read_wav(path);
    const auto& channels = recording.channels;
    const double rate = recording.rate;
    if (channels.size() != 2) {
        std::fprintf(stderr, "%s: not a stereo recording\n", path);
        return 1;
    }
    int failures = 0;
    for (int s = 0; s < 2; ++s) {
        const std::vector<float>& x = channels[static_cast<std::size_t>(s)];
        // Peaks of every period: robust against a lost buffer here and there.
        std::vector<double> peaks;
        std::vector<double> lengths;
        double peak = 0.0;
        double last = -1.0;
        for (std::size_t i = 1; i < x.size(); ++i) {
            peak = std::max(peak, static_cast<double>(std::abs(x[i])));
            if (x[i - 1] < 0.0f && x[i] >= 0.0f) {
                const double t = static_cast<double>(i - 1) + x[i - 1] / (x[i - 1] - x[i]);
                if (last >= 0.0 && peak > 0.05) {
                    lengths.push_back(t - last);
                    peaks.push_back(peak);
                }
                last = t;
                peak = 0.0;
            }
        }
        // The mean of the periods near the median: exact, yet blind to lost buffers.
        const double typical = median(lengths);
        double sum = 0.0;
        int count = 0;
        for (double length : lengths) {
            if (std::abs(length / typical - 1.0) < 0.01) {
                sum += length;
                ++count;
            }
        }
        const double hz = rate * count / sum;
        const double level_db = 20.0 * std::log10(median(peaks) / expected_amplitude());
        const double seconds = static_cast<double>(lengths.size()) / kSides[s].hz();
        std::printf("%s: %.3f Hz (expected %.3f), level %+.2f dB, %.2f s of tone\n",
                    s == 0 ? "left" : "right", hz, kSides[s].hz(), level_db, seconds);
        if (std::abs(hz / kSides[s].hz() - 1.0) > 1e-4 || std::abs(level_db) > 0.5 || seconds < 1.0)
            ++failures;
    }
    // The old stream closes and the new one starts when Play re-opens the device.
    const double gap = longest_gap(channels[0], rate);
    std::printf("longest silence while playing: %.0f ms\n", gap * 1000.0);
    if (gap > 0.5) ++failures;
    return failures == 0 ? 0 : 1;
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
