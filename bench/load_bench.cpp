// Loading a setup of 200 000 keyframes in random order (24 MB): into the form alone, into
// the window (its hidden key list and the key strip on Qt's offscreen platform), and the
// renderer's first second of it, which loads it and then plays it.
//   ./build/bench/load_bench --benchmark_min_time=1
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "app/MainForm.h"
#include "controls/VirtualClock.h"
#include "gui/MainWindow.h"
#include "render/Renderer.h"

namespace {

namespace fs = std::filesystem;

// A folder holding many.qrv, made once.
const fs::path& folder() {
    static const fs::path path = [] {
        std::string pattern = (fs::temp_directory_path() / "quorvane-load-XXXXXX").string();
        fs::path dir = mkdtemp(pattern.data());
        std::ofstream out(dir / "many.qrv", std::ios::binary);
        std::mt19937 random(1);
        for (int i = 0; i < 200000; ++i) {
            char second[4];
            std::snprintf(second, sizeof second, "%03u", static_cast<unsigned>(random() % 601));
            out << second << std::string(114, '0') << "0000\r\n";
        }
        return dir;
    }();
    return path;
}

void load(qv::MainForm& form) {
    form.File1.refresh_list();
    form.File1.double_click(0);
    if (form.List2.list_count() != 200000) std::abort();
}

void BM_LoadIntoTheForm(benchmark::State& state) {
    for (auto _ : state) {
        qv::VirtualClock clock;
        qv::modSynth_DX7 tone;
        qv::MainForm form(clock, tone, folder());
        form.Form_Load();
        load(form);
    }
}
BENCHMARK(BM_LoadIntoTheForm)->Unit(benchmark::kMillisecond);

void BM_LoadIntoTheWindow(benchmark::State& state) {
    for (auto _ : state) {
        qv::VirtualClock clock;
        qv::modSynth_DX7 tone;
        qv::MainForm form(clock, tone, folder());
        form.Form_Load();
        qv::MainWindow window(form);
        // Shown: a window out of sight leaves its widgets until it is seen.
        window.show();
        QApplication::processEvents();
        load(form);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_LoadIntoTheWindow)->Unit(benchmark::kMillisecond);

void BM_RenderTheFirstSecond(benchmark::State& state) {
    for (auto _ : state) {
        qv::RenderOptions options;
        options.input = folder() / "many.qrv";
        options.output = folder() / "first.wav";
        options.duration = 1;
        if (qv::render(options).status != 0) std::abort();
    }
}
BENCHMARK(BM_RenderTheFirstSecond)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::error_code ec;
    fs::remove_all(folder(), ec);
}
