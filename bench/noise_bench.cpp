// What the noise bed costs a render: a minute of the example setup of one tone pair, run
// headless at 48 kHz without noise and with each colour. The noise's cost is the
// difference; the goal is at most 15 % on top.
#include <benchmark/benchmark.h>

#include <vector>

#include "app/HeadlessRun.h"

namespace {

void BM_MinuteOfSound(benchmark::State& state) {
    qv::RunOptions options;
    options.input = QUORVANE_EXAMPLES_DIR "/FirstTone.qrv";
    options.duration = 60;
    options.noise = static_cast<qv::NoiseColour>(state.range(0));
    std::vector<float> block(2 * 4096);
    for (auto _ : state) {
        qv::HeadlessRun run(options);
        std::string error;
        if (run.start(error) != 0) state.SkipWithError(error.c_str());
        while (run.produce(block.data(), 4096) > 0) benchmark::DoNotOptimize(block.data());
    }
    state.SetLabel(qv::noise_colour_name(options.noise));
}
BENCHMARK(BM_MinuteOfSound)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
