#include <sndfile.h>

#include <fstream>
#include <iterator>

#include "../audio/ToneTestSupport.h"
#include "../timeline/FormFixture.h"
#include "params/Numbers.h"
#include "render/Renderer.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

// A keyframe entry: every parameter at its default but those given, switches as given.
std::string entry(int second, std::vector<std::pair<int, int>> values,
                  const char* switches = "0000") {
    int v[38] = {0, 0, 0, 0,  0,  0,   0,   0, 15, 20, 50, 0, 0, 0, 10, 0,   0,   0, 0,
                 0, 0, 0, 50, 50, 100, 100, 0, 0,  0,  0,  0, 0, 0, 0,  100, 100, 0, 0};
    for (auto [k, value] : values) v[k] = value;
    std::string e = numbers::format_000(second);
    for (int x : v) e += numbers::format_000(x);
    return e + switches;
}

// Partial 1 of both ears, full volume, the left ear's buffer on the left, the right ear
// 100 samples per second lower: 9000 and 8900 Hz through 15 turns in 179 samples.
const std::vector<std::pair<int, int>> kBeat = {{0, 100}, {4, 100}, {14, 0}, {15, 100}, {20, 100}};

class Render : public ::testing::Test {
protected:
    void write(const std::string& name, const std::vector<std::string>& lines) {
        std::ofstream out(dir.path() / name, std::ios::binary);
        for (const auto& l : lines) out << l << "\r\n";
    }
    RenderResult run(const std::string& input, const std::string& output, RenderOptions o = {}) {
        o.input = dir.path() / input;
        o.output = dir.path() / output;
        return render(o);
    }
    std::string bytes(const std::string& name) {
        std::ifstream in(dir.path() / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // Side 0 (left) or 1 (right) of a sound file, from `from` to `to` seconds.
    std::vector<float> side(const std::string& name, int which, double from = 0, double to = 1e9) {
        SF_INFO info{};
        SNDFILE* f = sf_open((dir.path() / name).c_str(), SFM_READ, &info);
        EXPECT_NE(f, nullptr) << name;
        std::vector<float> frames(std::size_t(info.frames * info.channels));
        if (f) sf_readf_float(f, frames.data(), info.frames), sf_close(f);
        const auto all = test::side(frames, which);
        return {all.begin() + std::min(std::size_t(from * 48000), all.size()),
                all.begin() + std::min(std::size_t(to * 48000), all.size())};
    }
    testing::TempDir dir;
};

TEST_F(Render, EachEarCarriesItsToneAndTheSetupEndsJustAfterItsLastKey) {
    write("beat.qrv", {entry(0, kBeat), entry(4, kBeat)});
    RenderResult r = run("beat.qrv", "beat.wav");
    ASSERT_EQ(r.status, 0) << r.error;
    const auto left = side("beat.wav", 0);
    EXPECT_EQ(left.size(), 48000u * 41 / 10);  // the key at 4 s is hit, then one more tick
    EXPECT_EQ(left.back(), 0.0f);              // faded out, no click at the end
    EXPECT_NEAR(test::frequency(side("beat.wav", 0, 1, 3), 48000), 754.19, 0.01);
    EXPECT_NEAR(test::frequency(side("beat.wav", 1, 1, 3), 48000), 745.81, 0.01);
}

TEST_F(Render, ASessionSwitchesWhereItsSetupsSwitch) {
    auto high = kBeat;
    high.push_back({9, 40});  // 13000 samples per second: 1089.39 Hz on the left
    write("low.qrv", {entry(0, kBeat), entry(2, kBeat)});
    write("high.qrv", {entry(0, high), entry(2, high)});
    write("both.ses", {"low.qrv", "high.qrv"});
    RenderResult r = run("both.ses", "both.wav");
    ASSERT_EQ(r.status, 0) << r.error;
    EXPECT_EQ(r.setups_played, 2);
    EXPECT_EQ(side("both.wav", 0).size(), 48000u * 42 / 10);  // each setup plays 2.1 s
    EXPECT_NEAR(test::frequency(side("both.wav", 0, 0.5, 1.9), 48000), 754.19, 0.05);
    EXPECT_NEAR(test::frequency(side("both.wav", 0, 2.3, 3.9), 48000), 1089.39, 0.05);
}

TEST_F(Render, TheSameInputGivesTheSameBytes) {
    write("beat.qrv", {entry(0, kBeat), entry(3, kBeat, "1010")});
    using Bits = AudioFileWriter::Bits;
    for (auto [ext, bits] : {std::pair{".wav", Bits::Int16},
                             {".wav", Bits::Int24},
                             {".wav", Bits::Float32},
                             {".flac", Bits::Int16},
                             {".flac", Bits::Int24},
                             {".ogg", Bits::Int16}}) {
        RenderOptions o;
        o.bits = bits;
        ASSERT_EQ(run("beat.qrv", std::string("a") + ext, o).status, 0);
        ASSERT_EQ(run("beat.qrv", std::string("b") + ext, o).status, 0);
        // Ogg streams carry a random serial: there the decoded samples are the same.
        if (std::string(ext) == ".ogg")
            EXPECT_EQ(side("a.ogg", 0), side("b.ogg", 0));
        else
            EXPECT_EQ(bytes(std::string("a") + ext), bytes(std::string("b") + ext))
                << ext << int(bits);
    }
}

TEST_F(Render, TheBeatSurvivesTheLossyEncoders) {
    write("beat.qrv", {entry(0, kBeat), entry(3, kBeat)});
    ASSERT_EQ(run("beat.qrv", "beat.wav").status, 0);
    for (const char* lossy : {"beat.mp3", "beat.opus"}) {
        RenderResult r = run("beat.qrv", lossy);
        ASSERT_EQ(r.status, 0) << lossy << ": " << r.error;
        for (int ear : {0, 1}) {
            // The encoders delay the sound a little: measure well inside it.
            EXPECT_NEAR(test::frequency(side(lossy, ear, 1, 2.5), 48000),
                        test::frequency(side("beat.wav", ear, 1, 2.5), 48000), 0.1)
                << lossy << " ear " << ear;
        }
    }
}

TEST_F(Render, TheTraceRecordsWhatTheTickSent) {
    // Partial 1 of the left ear alone; the amplitude and the shift taken from the
    // modulators and held at 100 and 50: the buffer starts 154, 141, 124, 107, 96, 94.
    const std::string key = entry(0, {{0, 100}, {15, 1}}, "1010");
    write("wave.qrv", {key, "001" + key.substr(3)});
    RenderOptions o;
    o.trace = dir.path() / "wave.trace";
    ASSERT_EQ(run("wave.qrv", "wave.wav", o).status, 0);
    std::ifstream trace(o.trace);
    std::string header, first;
    std::getline(trace, header);
    std::getline(trace, first);
    EXPECT_EQ(header,
              "tick\ttime_ms\tvolume\tfreq_left\tfreq_right\tpan_left\tpan_right\tleft\tright");
    // Play sets the synthesis period to 30 ms: the first tick comes 30 ms after it.
    EXPECT_EQ(first.substr(0, first.find("\t9a8d7c6b605e")), "1\t30\t-990\t9000\t9000\t0\t0");
    std::size_t lines = 1;
    for (std::string line; std::getline(trace, line);) ++lines;
    EXPECT_EQ(lines, 1100u / 30);  // one line per tick within the 1.1 s rendered
}

TEST_F(Render, BadInputsFailWithTheirStatusAndLeaveNoFile) {
    write("only.qrv", {entry(0, kBeat)});
    write("beat.qrv", {entry(0, kBeat), entry(1, kBeat)});
    write("one.ses", {"only.qrv"});
    write("empty.qrv", {});
    write("silent.ses", {"empty.qrv", "empty.qrv"});
    RenderOptions at44k;
    at44k.rate = 44100;
    RenderOptions wide;
    wide.bits = AudioFileWriter::Bits::Int24;
    const std::tuple<const char*, const char*, int, RenderOptions> cases[] = {
        {"missing.qrv", "out.wav", 1, {}},  {"only.qrv", "out.aiff", 2, {}},
        {"only.qrv", "out.wav", 2, {}},     {"one.ses", "out.wav", 2, {}},
        {"silent.ses", "out.wav", 2, {}},   {"beat.qrv", "no/such/dir/out.wav", 1, {}},
        {"beat.qrv", "out.opus", 2, at44k}, {"beat.qrv", "out.mp3", 2, wide}};
    for (auto [input, output, status, options] : cases) {
        RenderResult r = run(input, output, options);
        EXPECT_EQ(r.status, status) << input << " -> " << output << ": " << r.error;
        EXPECT_FALSE(r.error.empty());
    }
    for (const auto& e : fs::recursive_directory_iterator(dir.path()))
        EXPECT_TRUE(e.path().extension() == ".qrv" || e.path().extension() == ".ses") << e.path();
    // A setup with no length of its own renders with --duration.
    RenderOptions o;
    o.duration = 0.5;
    ASSERT_EQ(run("only.qrv", "out.wav", o).status, 0);
    EXPECT_EQ(side("out.wav", 0).size(), 24000u);
}

}  // namespace
}  // namespace qv
