#include <gtest/gtest.h>
#include <sndfile.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

#include "render/Renderer.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

struct TempDir {
    fs::path path;
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "quorvane-render-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~TempDir() { fs::remove_all(path); }
};

// A keyframe entry: every parameter at its default but those given, switches as given.
std::string entry(int second, std::vector<std::pair<int, int>> values, const char* switches = "0000") {
    int v[38] = {0, 0, 0, 0, 0, 0, 0, 0, 15, 20, 50, 0, 0, 0, 10, 0, 0, 0, 0,
                 0, 0, 0, 50, 50, 100, 100, 0, 0, 0, 0, 0, 0, 0, 0, 100, 100, 0, 0};
    for (auto [k, value] : values) v[k] = value;
    char field[8];
    std::snprintf(field, sizeof field, "%03d", second);
    std::string e = field;
    for (int x : v) {
        std::snprintf(field, sizeof field, "%03d", x);
        e += field;
    }
    return e + switches;
}

void write(const fs::path& p, const std::vector<std::string>& lines) {
    std::ofstream out(p, std::ios::binary);
    for (const auto& l : lines) out << l << "\r\n";
}

std::string bytes_of(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct Sound {
    int rate = 0;
    std::vector<float> left, right;
};

Sound read_sound(const fs::path& p) {
    SF_INFO info{};
    SNDFILE* f = sf_open(p.c_str(), SFM_READ, &info);
    EXPECT_NE(f, nullptr) << p;
    Sound s;
    if (!f) return s;
    s.rate = info.samplerate;
    std::vector<float> frames(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(f, frames.data(), info.frames);
    sf_close(f);
    for (sf_count_t i = 0; i < info.frames; ++i) {
        s.left.push_back(frames[static_cast<std::size_t>(2 * i)]);
        s.right.push_back(frames[static_cast<std::size_t>(2 * i + 1)]);
    }
    return s;
}

// The frequency of the strongest component between lo and hi Hz in the samples from
// from_s to to_s seconds: a Hann-windowed DFT scanned in 1 Hz steps, then in 0.01 Hz
// steps around the best.
double peak_frequency(const std::vector<float>& x, int rate, double from_s, double to_s, double lo, double hi) {
    auto from = static_cast<std::size_t>(from_s * rate), n = static_cast<std::size_t>((to_s - from_s) * rate);
    std::vector<double> windowed(n);
    for (std::size_t i = 0; i < n; ++i) {
        windowed[i] = x[from + i] * (0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / double(n)));
    }
    auto power = [&](double f) {
        double re = 0, im = 0, w = 2 * std::numbers::pi * f / rate;
        for (std::size_t i = 0; i < n; ++i) {
            re += windowed[i] * std::cos(w * double(i));
            im += windowed[i] * std::sin(w * double(i));
        }
        return re * re + im * im;
    };
    auto scan = [&](double a, double b, double step) {
        double best = -1, best_f = a;
        for (double f = a; f <= b; f += step) {
            if (double p = power(f); p > best) best = p, best_f = f;
        }
        return best_f;
    };
    double coarse = scan(lo, hi, 1.0);
    return scan(coarse - 1, coarse + 1, 0.01);
}

RenderOptions options_for(const fs::path& input, const fs::path& output) {
    RenderOptions o;
    o.input = input;
    o.output = output;
    return o;
}

// Partial 1 of both ears, full volume, the left ear's buffer on the left, the right ear
// 100 samples per second lower: 9000 and 8900 Hz through 15 turns in 179 samples.
const std::vector<std::pair<int, int>> kBeat = {{0, 100}, {4, 100}, {14, 0}, {15, 100}, {20, 100}};

TEST(Render, EachEarCarriesItsToneAndTheSetupEndsJustAfterItsLastKey) {
    TempDir dir;
    write(dir.path / "beat.qrv", {entry(0, kBeat), entry(4, kBeat)});
    RenderResult r = render(options_for(dir.path / "beat.qrv", dir.path / "beat.wav"));
    ASSERT_EQ(r.status, 0) << r.error;
    Sound s = read_sound(dir.path / "beat.wav");
    EXPECT_EQ(s.left.size(), 48000u * 41 / 10);  // the key at 4 s is hit, then one more tick
    EXPECT_NEAR(peak_frequency(s.left, s.rate, 1, 3, 740, 760), 9000.0 * 15 / 179, 0.02);
    EXPECT_NEAR(peak_frequency(s.right, s.rate, 1, 3, 735, 755), 8900.0 * 15 / 179, 0.02);
    EXPECT_EQ(s.left.back(), 0.0f);  // faded out, no click at the end
}

TEST(Render, ASessionSwitchesWhereItsSetupsSwitch) {
    TempDir dir;
    auto low = kBeat, high = kBeat;
    high.push_back({9, 40});  // 13000 samples per second: 1089.4 Hz on the left
    write(dir.path / "low.qrv", {entry(0, low), entry(2, low)});
    write(dir.path / "high.qrv", {entry(0, high), entry(2, high)});
    write(dir.path / "both.ses", {"low.qrv", "high.qrv"});
    RenderResult r = render(options_for(dir.path / "both.ses", dir.path / "both.wav"));
    ASSERT_EQ(r.status, 0) << r.error;
    EXPECT_EQ(r.setups_played, 2);
    Sound s = read_sound(dir.path / "both.wav");
    EXPECT_EQ(s.left.size(), 48000u * 42 / 10);  // each setup plays 2.1 s
    EXPECT_NEAR(peak_frequency(s.left, s.rate, 0.5, 1.9, 700, 1200), 9000.0 * 15 / 179, 0.05);
    EXPECT_NEAR(peak_frequency(s.left, s.rate, 2.3, 3.9, 700, 1200), 13000.0 * 15 / 179, 0.05);
}

TEST(Render, TheSameInputGivesTheSameBytes) {
    TempDir dir;
    write(dir.path / "beat.qrv", {entry(0, kBeat), entry(3, kBeat, "1010")});
    for (const char* ext : {".wav", ".flac"}) {
        for (auto bits : {AudioFileWriter::Bits::Int16, AudioFileWriter::Bits::Int24, AudioFileWriter::Bits::Float32}) {
            if (std::string(ext) == ".flac" && bits == AudioFileWriter::Bits::Float32) continue;
            RenderOptions o = options_for(dir.path / "beat.qrv", dir.path / (std::string("a") + ext));
            o.bits = bits;
            ASSERT_EQ(render(o).status, 0);
            o.output = dir.path / (std::string("b") + ext);
            ASSERT_EQ(render(o).status, 0);
            EXPECT_EQ(bytes_of(dir.path / (std::string("a") + ext)), bytes_of(dir.path / (std::string("b") + ext)))
                << ext << " bits " << static_cast<int>(bits);
        }
    }
    RenderOptions o = options_for(dir.path / "beat.qrv", dir.path / "a.ogg");
    ASSERT_EQ(render(o).status, 0);
    o.output = dir.path / "b.ogg";
    ASSERT_EQ(render(o).status, 0);
    EXPECT_EQ(read_sound(dir.path / "a.ogg").left, read_sound(dir.path / "b.ogg").left);
}

TEST(Render, TheTraceRecordsWhatTheTickSent) {
    TempDir dir;
    // Partial 1 of the left ear alone; the amplitude and the shift taken from the
    // modulators and held at 100 and 50: the buffer starts 154, 141, 124, 107, 96, 94.
    write(dir.path / "wave.qrv", {entry(0, {{0, 100}, {15, 1}}, "1010"), entry(1, {{0, 100}, {15, 1}}, "1010")});
    RenderOptions o = options_for(dir.path / "wave.qrv", dir.path / "wave.wav");
    o.trace = dir.path / "wave.trace";
    ASSERT_EQ(render(o).status, 0);
    std::ifstream trace(o.trace);
    std::string header, first;
    std::getline(trace, header);
    std::getline(trace, first);
    EXPECT_EQ(header, "tick\ttime_ms\tvolume\tfreq_left\tfreq_right\tpan_left\tpan_right\tleft\tright");
    // Play sets the synthesis period to 30 ms: the first tick comes 30 ms after it.
    EXPECT_EQ(first.substr(0, first.find("\t9a8d7c6b605e")), "1\t30\t-990\t9000\t9000\t0\t0");
    std::size_t lines = 1;
    for (std::string line; std::getline(trace, line);) ++lines;
    EXPECT_EQ(lines, 1100u / 30);  // one line per tick within the 1.1 s rendered
}

TEST(Render, BadInputsFailWithTheirStatusAndLeaveNoFile) {
    TempDir dir;
    write(dir.path / "only.qrv", {entry(0, kBeat)});
    write(dir.path / "beat.qrv", {entry(0, kBeat), entry(1, kBeat)});
    write(dir.path / "one.ses", {"only.qrv"});
    write(dir.path / "empty.qrv", {});
    write(dir.path / "silent.ses", {"empty.qrv", "empty.qrv"});
    struct Case {
        const char* input;
        const char* output;
        int status;
    } cases[] = {
        {"missing.qrv", "out.wav", 1},  {"only.qrv", "out.mp3", 2},   {"only.qrv", "out.wav", 2},
        {"one.ses", "out.wav", 2},      {"silent.ses", "out.wav", 2}, {"beat.qrv", "no/such/dir/out.wav", 1},
    };
    for (const Case& c : cases) {
        RenderResult r = render(options_for(dir.path / c.input, dir.path / c.output));
        EXPECT_EQ(r.status, c.status) << c.input << " -> " << c.output << ": " << r.error;
        EXPECT_FALSE(r.error.empty());
    }
    std::vector<fs::path> left_over;
    for (const auto& e : fs::recursive_directory_iterator(dir.path)) {
        std::string ext = e.path().extension().string();
        if (ext != ".qrv" && ext != ".ses") left_over.push_back(e.path());
    }
    EXPECT_TRUE(left_over.empty()) << left_over.front();

    RenderOptions o = options_for(dir.path / "only.qrv", dir.path / "out.wav");
    o.duration = 0.5;  // a setup with no length of its own renders with --duration
    ASSERT_EQ(render(o).status, 0);
    EXPECT_EQ(read_sound(dir.path / "out.wav").left.size(), 24000u);
}

}  // namespace
}  // namespace qv
