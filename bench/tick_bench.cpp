// One synthesis tick on the core alone (controls, coupling, modulators, sample loop and
// view points, no window attached) beside a bare loop of the 2880 sines the tick needs.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <vector>

#include "audio/modSynth_DX7.h"
#include "controls/PictureBox.h"
#include "params/Panel.h"
#include "synth/EngineState.h"
#include "synth/NTable.h"
#include "synth/SynthTick.h"

namespace {

using namespace qv;

struct Engine {
    Panel panel;
    std::array<PictureBox, 4> views{PictureBox{180, 255}, PictureBox{180, 255},
                                    PictureBox{180, 255}, PictureBox{180, 255}};
    modSynth_DX7 tone;
    NTableArray NTable{};
    EngineState state;
    SynthTick tick{panel, {views[0], views[1], views[2], views[3]}, tone, NTable, state};

    // Every partial of both ears sounding and both modulators moving, so that no sine is
    // skipped and the modulated sliders and their texts change on every tick.
    Engine() {
        tone.InitSynth(0);
        BuildNTable(NTable);
        for (int k = 0; k < 8; ++k) panel.sc(k).set_value(100 - 10 * k);
        for (int k = 26; k < 34; ++k) panel.tx(k).set_text(std::to_string(9 * (k - 25)));
        panel.sc(11).set_value(7);
        panel.sc(12).set_value(30);
        panel.sc(16).set_value(5);
        panel.sc(17).set_value(60);
        panel.sc(15).set_value(80);
    }
};

void BM_Tick(benchmark::State& s) {
    Engine engine;
    for (auto _ : s) {
        engine.tick.Timer1_Timer();
        benchmark::DoNotOptimize(engine.tone.leftBytes);
        benchmark::DoNotOptimize(engine.tone.rightBytes);
    }
}
BENCHMARK(BM_Tick);

// The same count of double sines over angles of the tick's kind: 180 samples x 4 partials
// x (left, right) x (sound, view).
void BM_BareSines(benchmark::State& s) {
    std::vector<double> angles;
    const double step = static_cast<float>(-15 * 0.0351);
    const double view = static_cast<float>(0.0351);
    for (int i = 0; i < 180; ++i) {
        for (double r : kPartialRatio) {
            const double phase = 0.3 * r;
            angles.push_back(step * r * i - phase);
            angles.push_back(view * r * i + phase);
            angles.push_back(step * r * i + phase);
            angles.push_back(view * r * i - phase);
        }
    }
    for (auto _ : s) {
        double sum = 0;
        for (double a : angles) sum += std::sin(a);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_BareSines);

}  // namespace

BENCHMARK_MAIN();
