// CPU time per second of stereo sound at 48 kHz from the mixer, both channel buffers
// looping at playback rates that change every 25 ms (one synthesis tick). The counter
// "x_real_time" is how many seconds of sound one second of CPU time renders.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "audio/OfflineBackend.h"
#include "audio/modSynth_DX7.h"

namespace {

constexpr double kOutputRate = 48000.0;
constexpr int kTicksPerSecond = 40;
constexpr std::size_t kFramesPerTick = 1200;

// Four partials over 15 turns of the fundamental, as the synthesis tick writes them;
// `shift` moves the upper partials like the shift modulator does.
qv::SampleArray waveform(double shift) {
    qv::SampleArray bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const double a = 15 * 0.0351 * static_cast<double>(i);
        const double v = 40 * std::sin(a) + 25 * std::sin(1.333 * a + shift) +
                         15 * std::sin(1.666 * a + 2 * shift) +
                         10 * std::sin(1.999 * a + 3 * shift);
        bytes[i] = static_cast<std::uint8_t>(std::lround(v + 127));
    }
    return bytes;
}

struct Playing {
    qv::OfflineBackend* device;
    qv::modSynth_DX7 tone;

    Playing() : Playing(std::make_unique<qv::OfflineBackend>(kOutputRate)) {}
    explicit Playing(std::unique_ptr<qv::OfflineBackend> backend)
        : device(backend.get()), tone(std::move(backend)) {
        tone.InitSynth(0);
        tone.channelBuffer(0)->Play();
        tone.channelBuffer(1)->Play();
        tone.channelBuffer(0)->SetPan(-2000);
        tone.channelBuffer(1)->SetPan(2000);
        tone.primaryBuffer()->SetVolume(-300);
        tone.WriteChannel(0, waveform(0.0));
        tone.WriteChannel(1, waveform(0.5));
    }
};

// Rates of the program's range (5000..25100 Hz), a new pair every tick.
std::int32_t left_rate(int tick) {
    return 5000 + (tick * 2371) % 20000;
}

void BM_SecondOfSound_RatesChange(benchmark::State& state) {
    Playing p;
    std::vector<float> block(kFramesPerTick * 2);
    int tick = 0;
    for (auto _ : state) {
        for (int t = 0; t < kTicksPerSecond; ++t, ++tick) {
            p.tone.channelBuffer(0)->SetFrequency(left_rate(tick));
            p.tone.channelBuffer(1)->SetFrequency(left_rate(tick) - 8);
            p.device->pull(block.data(), kFramesPerTick);
        }
        benchmark::DoNotOptimize(block.data());
    }
    state.counters["x_real_time"] =
        benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_SecondOfSound_RatesChange)->Unit(benchmark::kMillisecond);

// The same with everything a synthesis tick sends: both buffers rewritten, pans and the
// master volume set again.
void BM_SecondOfSound_EveryTickCall(benchmark::State& state) {
    Playing p;
    std::vector<float> block(kFramesPerTick * 2);
    const qv::SampleArray a = waveform(0.0);
    const qv::SampleArray b = waveform(1.0);
    int tick = 0;
    for (auto _ : state) {
        for (int t = 0; t < kTicksPerSecond; ++t, ++tick) {
            p.tone.primaryBuffer()->SetVolume(-300);
            p.tone.channelBuffer(0)->SetFrequency(left_rate(tick));
            p.tone.channelBuffer(1)->SetFrequency(left_rate(tick) - 8);
            p.tone.channelBuffer(0)->SetPan(-2000);
            p.tone.channelBuffer(1)->SetPan(2000);
            p.tone.WriteChannel(0, tick % 2 ? a : b);
            p.tone.WriteChannel(1, tick % 2 ? b : a);
            p.device->pull(block.data(), kFramesPerTick);
        }
        benchmark::DoNotOptimize(block.data());
    }
    state.counters["x_real_time"] =
        benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_SecondOfSound_EveryTickCall)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
