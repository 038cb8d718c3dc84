// How long Play holds the UI thread while a tone sounds through the sound card: the
// synthesis tick cannot run meanwhile, so the longest gap between two ticks around Play
// is one tick period plus this. The form plays AmSwitchSync.qrv on a virtual clock, the
// sound goes to the default PortAudio device, as in the window; run it beside a sound
// server, e.g.
//   tests/e2e/with-null-sink.sh ./build/bench/play_bench --benchmark_min_time=2
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "app/MainForm.h"
#include "audio/PortAudioBackend.h"
#include "controls/VirtualClock.h"

namespace {

void Play(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "quorvane-play-bench";
    fs::create_directories(folder);
    fs::copy_file(QUORVANE_EXAMPLES_DIR "/AmSwitchSync.qrv", folder / "AmSwitchSync.qrv",
                  fs::copy_options::overwrite_existing);
    qv::PortAudioBackend::Options options;
    options.latency = 0.15;  // the window's
    qv::modSynth_DX7 tone(std::make_unique<qv::PortAudioBackend>(options));
    qv::VirtualClock clock;
    qv::MainForm form(clock, tone, folder);
    if (!form.Form_Load()) {
        state.SkipWithError("no sound device");
        return;
    }
    form.File1.refresh_list();
    form.File1.double_click(0);
    form.play.click();
    double longest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Half a second of sound, heard.
        clock.advance(500);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        form.play.click();
        const std::chrono::duration<double, std::milli> held =
            std::chrono::steady_clock::now() - start;
        longest = std::max(longest, held.count());
    }
    state.counters["longest_tick_gap_ms"] = 30 + longest;
    form.Form_Unload();
}
BENCHMARK(Play)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
