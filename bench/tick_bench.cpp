// One synthesis tick on the core alone (controls, coupling, modulators, sample loop and
// view points, no window attached), its waveform arithmetic without controls, and a bare
// loop of the 2880 sines the tick needs.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <vector>

#include "app/PanelCoupling.h"
#include "audio/modSynth_DX7.h"
#include "controls/PictureBox.h"
#include "params/Panel.h"
#include "synth/EngineState.h"
#include "synth/NTable.h"
#include "synth/SynthTick.h"
#include "synth/Synthesis.h"

namespace {

using namespace qv;

struct Engine {
    Panel panel;
    std::array<PictureBox, 4> views{PictureBox{180, 255}, PictureBox{180, 255},
                                    PictureBox{180, 255}, PictureBox{180, 255}};
    modSynth_DX7 tone;
    SynthTick tick{panel, {views[0], views[1], views[2], views[3]}, tone};

    // Every partial of both ears sounding and both modulators moving, so that no sine is
    // skipped and the modulated sliders and their texts change on every tick.
    Engine() {
        couple(panel);
        tone.InitSynth(0);
        tick.build_angles();
        int n = 0;
        for (const params::Ear& ear : {params::kLeft, params::kRight}) {
            for (int i = 0; i < 4; ++i, ++n) {
                panel.sc(ear.partials[i]).set_value(100 - 10 * n);
                panel.tx(ear.phases[i]).set_text(std::to_string(9 * (n + 1)));
            }
        }
        panel.sc(P::AmSpeed).set_value(7);
        panel.sc(P::AmDepth).set_value(30);
        panel.sc(P::ShiftSpeed).set_value(5);
        panel.sc(P::ShiftDepth).set_value(60);
        panel.sc(P::Vol).set_value(80);
    }
};

void BM_Tick(benchmark::State& s) {
    Engine engine;
    for (auto _ : s) {
        engine.tick.Timer1_Timer();
        benchmark::DoNotOptimize(engine.tick.state().leftBytes);
        benchmark::DoNotOptimize(engine.tick.state().rightBytes);
    }
}
BENCHMARK(BM_Tick);

// The tick's arithmetic alone, on values: both ears' waveforms with every partial sounding.
void BM_Waveforms(benchmark::State& s) {
    NTableArray NTable{};
    BuildNTable(NTable);
    const synth::AngleSteps steps = synth::angle_steps(15);
    const std::array<double, 4> phases = {0.1, 0.2, 0.3, 0.4};
    for (auto _ : s) {
        auto left = synth::ear_wave(synth::Ear::Left, {100, 90, 80, 70}, 50, steps, phases, NTable);
        auto right =
            synth::ear_wave(synth::Ear::Right, {60, 50, 40, 30}, 50, steps, phases, NTable);
        benchmark::DoNotOptimize(left);
        benchmark::DoNotOptimize(right);
    }
}
BENCHMARK(BM_Waveforms);

// The same count of double sines over angles of the tick's kind: 180 samples x 4 partials
// x (left, right) x (sound, view).
void BM_BareSines(benchmark::State& s) {
    std::vector<double> angles;
    const double step = static_cast<float>(-15 * 0.0351);
    const double view = static_cast<float>(0.0351);
    for (int i = 0; i < 180; ++i) {
        for (double r : synth::kPartialRatio) {
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
