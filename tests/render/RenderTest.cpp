#include <sndfile.h>

#include "../audio/ToneTestSupport.h"
#include "../timeline/FormFixture.h"
#include "render/Renderer.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

using testing::entry;

// Partial 1 of both ears, full volume, the left ear's buffer on the left, the right ear
// 100 samples per second lower: 9000 and 8900 Hz through 15 turns in 179 samples.
const testing::Values kBeat = {
    {P::LeftPartial1, 100}, {P::RightPartial1, 100}, {P::Pan, 0}, {P::Vol, 100}, {P::Diff, 100}};

// The renderer works on files of its own; the fixture's form only lends the folder.
class Render : public testing::FormFixture {
protected:
    RenderResult run(const std::string& input, const std::string& output, RenderOptions o = {}) {
        o.input = dir.path() / input;
        o.output = dir.path() / output;
        return render(o);
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
};

// Each setup of a session plays until just after its last key, and the session's end,
// known only when it comes, still fades: down to 0 over the last 0.5 s.
TEST_F(Render, ASessionSwitchesWhereItsSetupsSwitchAndEachEarCarriesItsTone) {
    auto high = kBeat;
    high.push_back({P::Tune, 40});  // 13000 samples per second: 1089.39 Hz on the left
    write("low.qrv", {entry(0, kBeat), entry(2, kBeat)});
    write("high.qrv", {entry(0, high), entry(2, high)});
    write("both.ses", {"low.qrv", "high.qrv"});
    RenderResult r = run("both.ses", "both.wav");
    ASSERT_EQ(r.status, 0) << r.error;
    EXPECT_EQ(r.setups_played, 2);
    const auto left = side("both.wav", 0);
    EXPECT_EQ(left.size(), 48000u * 42 / 10);  // each key at 2 s is hit, then one more tick
    auto peak = [&](double from) {
        const auto part = side("both.wav", 0, from, from + 0.1);
        return *std::max_element(part.begin(), part.end());
    };
    EXPECT_LT(peak(4.1), 0.2 * peak(3.5));
    EXPECT_EQ(left.back(), 0.0f);
    EXPECT_NEAR(test::frequency(side("both.wav", 0, 0.2, 1.9), 48000), 754.19, 0.01);
    EXPECT_NEAR(test::frequency(side("both.wav", 1, 0.2, 1.9), 48000), 745.81, 0.01);
    EXPECT_NEAR(test::frequency(side("both.wav", 0, 2.3, 3.9), 48000), 1089.39, 0.05);
}

// Ogg streams carry a random serial: there the decoded samples are the same. The lossy
// encoders delay the sound a little, so their beat is measured well inside it.
TEST_F(Render, TheSameInputGivesTheSameBytesAndTheBeatSurvivesTheLossyEncoders) {
    write("beat.qrv", {entry(0, kBeat), entry(3, kBeat, "1010")});
    using Bits = AudioFileWriter::Bits;
    for (auto [ext, bits] : {std::pair{".wav", Bits::Int16},
                             {".wav", Bits::Int24},
                             {".wav", Bits::Float32},
                             {".flac", Bits::Int24},
                             {".ogg", Bits::Int16}}) {
        RenderOptions o;
        o.bits = bits;
        const std::string a = std::string("a") + ext, b = std::string("b") + ext;
        ASSERT_EQ(run("beat.qrv", a, o).status + run("beat.qrv", b, o).status, 0) << ext;
        EXPECT_TRUE(ext == std::string(".ogg") ? side(a, 0) == side(b, 0)
                                               : read_file(a) == read_file(b))
            << ext << int(bits);
    }
    for (const char* lossy : {"beat.mp3", "beat.opus"}) {
        RenderResult r = run("beat.qrv", lossy);
        ASSERT_EQ(r.status, 0) << lossy << ": " << r.error;
        for (int ear : {0, 1})
            EXPECT_NEAR(test::frequency(side(lossy, ear, 1, 2.5), 48000),
                        test::frequency(side("a.wav", ear, 1, 2.5), 48000), 0.1)
                << lossy << " ear " << ear;
    }
}

TEST_F(Render, TheTraceRecordsWhatTheTickSent) {
    // Partial 1 of the left ear alone; the amplitude and the shift taken from the
    // modulators and held at 100 and 50: the buffer starts 154, 141, 124, 107, 96, 94.
    write("wave.qrv", {entry(0, {{P::LeftPartial1, 100}, {P::Vol, 1}}, "1010"),
                       entry(1, {{P::LeftPartial1, 100}, {P::Vol, 1}}, "1010")});
    RenderOptions o;
    o.trace = dir.path() / "wave.trace";
    ASSERT_EQ(run("wave.qrv", "wave.wav", o).status, 0);
    std::ifstream trace(o.trace);
    std::vector<std::string> lines;
    for (std::string line; std::getline(trace, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 1 + 1100u / 30);  // a header, one line per tick in the 1.1 s rendered
    EXPECT_EQ(lines[0],
              "tick\ttime_ms\tvolume\tfreq_left\tfreq_right\tpan_left\tpan_right\tleft\tright");
    // Play sets the synthesis period to 30 ms: the first tick comes 30 ms after it.
    EXPECT_EQ(lines[1].substr(0, lines[1].find("\t9a8d7c6b605e")), "1\t30\t-990\t9000\t9000\t0\t0");
}

// What the renderer refuses of its own: inputs without sound, formats it cannot write.
TEST_F(Render, BadInputsFailWithTheirStatusAndLeaveNoFile) {
    write("only.qrv", {entry(0, kBeat)});
    write("beat.qrv", {entry(0, kBeat), entry(1, kBeat)});
    write("one.ses", {"only.qrv"});
    write("empty.qrv", {});
    write("silent.ses", {"empty.qrv", "empty.qrv"});
    RenderOptions at44k, wide;
    at44k.rate = 44100;
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
