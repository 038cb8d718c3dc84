#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <utility>

#include "../audio/ToneTestSupport.h"
#include "../timeline/FormFixture.h"
#include "app/HeadlessRun.h"

namespace qv {
namespace {

using test::largest_step;
using test::peak;
using testing::entry;

const testing::Values kBeat = {
    {P::LeftPartial1, 100}, {P::RightPartial1, 100}, {P::Pan, 0}, {P::Vol, 100}, {P::Diff, 100}};

// The whole stream of a run, asked for in blocks of `block` frames; `told` hears each
// setup start.
std::vector<float> stream(const RunOptions& options, long block = 4096,
                          std::function<void(const HeadlessRun::SetupStart&)> told = {}) {
    HeadlessRun run(options);
    run.on_setup_start = told;
    std::string error;
    EXPECT_EQ(run.start(error), 0) << error;
    std::vector<float> buffer(2 * static_cast<std::size_t>(block)), frames;
    while (const long n = run.produce(buffer.data(), block))
        frames.insert(frames.end(), buffer.begin(), buffer.begin() + 2 * n);
    return frames;
}

class Run : public testing::FormFixture {};

// The player asks for blocks of the card's size, the renderer for its own: both must get
// the same samples, through loop turns, the sleep timer and a session's held-back end.
TEST_F(Run, EveryBlockSizeGivesTheSameStream) {
    write("two.qrv", {entry(0, kBeat), entry(1, kBeat, "1010"), entry(2, kBeat)});
    write("s.ses", {"two.qrv", "two.qrv"});
    for (const RunOptions& o :
         {RunOptions{.input = dir.path() / "two.qrv", .loop = true, .stop_after = 5.5, .fade = 2},
          RunOptions{.input = dir.path() / "s.ses"}}) {
        const auto whole = stream(o);
        EXPECT_GT(whole.size(), 48000u * 2 * 4);
        for (long block : {1000L, 333L}) EXPECT_TRUE(stream(o, block) == whole) << block;
    }
}

// A setup that starts muted is silent until its first audible tick; one that starts loud
// rises once, without a burst; a --loop turn and the end pass without a click.
TEST_F(Run, StartsTurnsAndEndsWithoutABurstOrAClick) {
    testing::Values quiet = kBeat;
    quiet[3] = {P::Vol, 0};
    write("muted.qrv", {entry(0, quiet), entry(2, kBeat)});
    const auto rising = stream({.input = dir.path() / "muted.qrv"});
    // The volume can rise first at the transport's tick at 100 ms.
    EXPECT_LT(peak(rising, 0, 4800), 0.001f);  // -60 dBFS
    EXPECT_LE(largest_step(rising), largest_step(rising, 48000, 96000) * 1.01f);

    write("loud.qrv", {entry(0, kBeat), entry(2, kBeat, "1010")});
    std::vector<long long> starts;  // at 0, 2.1, 4.2 and 6.3 s
    const auto x = stream({.input = dir.path() / "loud.qrv", .duration = 6.5, .loop = true}, 4096,
                          [&](const HeadlessRun::SetupStart& s) { starts.push_back(s.frame); });
    EXPECT_EQ(x.size(), 2u * 48000 * 13 / 2);
    EXPECT_EQ(starts, (std::vector<long long>{0, 100800, 201600, 302400}));
    const float full = peak(x, 4800, 9600);
    std::size_t onset = 0;
    while (x[2 * onset] == 0.0f) ++onset;
    EXPECT_LT(peak(x, onset, onset + 24), 0.1f * full);  // fading in, not at once
    EXPECT_LE(peak(x, 0, 4800), full * 1.001f);
    EXPECT_LE(largest_step(x), largest_step(x, 48000, 96000) * 1.01f);
    EXPECT_EQ(x[x.size() - 1], 0.0f);
}

// The sleep timer fades in a straight line over --fade, from full level at the start when
// the fade is longer than the time; the end fade multiplies on top, over its last 0.5 s.
TEST_F(Run, TheSleepTimerAndTheEndFadeMultiply) {
    write("held.qrv", {entry(0, kBeat), entry(9, kBeat)});
    // The level in a few 10 ms windows, against the same without the timer and fades.
    auto levels = [&](std::optional<double> stop_after, double fade) {
        RunOptions o{.input = dir.path() / "held.qrv", .duration = 3, .stop_after = stop_after};
        o.fade = fade;
        o.fade_out = stop_after ? 0.5 : 0;
        const auto x = stream(o);
        EXPECT_EQ(x.size(), 2u * 48000 * 3);
        std::vector<double> at;
        for (double t : {0.5, 1.0, 1.5, 2.0, 2.75})
            at.push_back(peak(x, std::size_t(t * 48000), std::size_t(t * 48000) + 480));
        return at;
    };
    const auto plain = levels(std::nullopt, 0), straight = levels(3, 60), late = levels(3, 1);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(straight[i] / plain[i], 1 - (0.5 + 0.5 * double(i)) / 3, 0.005) << i;
        EXPECT_NEAR(late[i] / plain[i], 1.0, 0.005) << i;
    }
    // A quarter of the sleep timer's fade is left, half of the end fade.
    EXPECT_NEAR(late[4] / plain[4], 0.25 * 0.5, 0.005);
}

// The left side's power at `hz` (Goertzel), averaged over windows of 4096 frames from `from` on.
double power_at(const std::vector<float>& x, std::size_t from, double hz, double rate) {
    constexpr std::size_t kWindow = 4096;
    const double c = 2 * std::cos(2 * std::numbers::pi * hz / rate);
    double sum = 0;
    int windows = 0;
    for (std::size_t at = from; 2 * (at + kWindow) <= x.size(); at += kWindow, ++windows) {
        double s1 = 0, s2 = 0;
        for (std::size_t i = at; i < at + kWindow; ++i)
            s2 = std::exchange(s1, x[2 * i] + c * s1 - s2);
        sum += s1 * s1 + s2 * s2 - c * s1 * s2;
    }
    return sum / windows;
}

// One side's mean square from frame `from` on, and with the other side's when `cross`.
double mean_square(const std::vector<float>& x, std::size_t from, int side, bool cross = false) {
    double sum = 0;
    for (std::size_t i = 2 * from; i < x.size(); i += 2)
        sum += double(x[i + side]) * x[i + (cross ? 1 - side : side)];
    return sum / double(x.size() / 2 - from);
}

// Noise beneath the tones: at its level in each ear, falling by its colour's slope over the
// octaves from 125 Hz to 4 kHz at every rate, the ears unrelated, the same samples every
// time and no turn of --loop again; the tones exactly as without it; under the master
// volume, silent before it.
TEST_F(Run, TheNoiseBedLiesBeneathTheTonesAtItsLevelAndColour) {
    const testing::Values still = {{P::Vol, 100}}, half = {{P::Vol, 50}};
    for (auto [name, values] :
         {std::pair{"still.qrv", still}, {"half.qrv", half}, {"beat.qrv", kBeat}})
        write(name, {entry(0, values), entry(9, values)});
    write("short.qrv", {entry(0, {{P::Vol, 0}}), entry(1, still)});
    auto noisy = [&](const char* name, NoiseColour colour, int rate = 48000) {
        RunOptions o{.input = dir.path() / name, .rate = rate, .duration = 9, .fade_out = 0};
        o.loop = std::string(name) == "short.qrv";
        o.noise = colour;
        return stream(o);
    };
    auto db = [](double power) { return 10 * std::log10(power); };
    using C = NoiseColour;
    for (auto [colour, slope, within] :
         {std::tuple{C::White, 0.0, 0.5}, {C::Pink, -3.0, 0.1}, {C::Brown, -6.0, 1.0}}) {
        for (int rate : {44100, 48000, 96000}) {
            const auto x = noisy("still.qrv", colour, rate);
            const auto from = static_cast<std::size_t>(rate);
            for (int side : {0, 1})
                EXPECT_NEAR(db(mean_square(x, from, side)), -30, 0.5) << int(colour) << rate;
            EXPECT_LT(std::abs(mean_square(x, from, 0, true)) / mean_square(x, from, 0), 0.1);
            // The least-squares slope of the octaves' levels.
            double fit = 0;
            for (int octave = 0; octave < 6; ++octave) {
                double band = 0;
                for (double step : {-0.25, 0.0, 0.25})
                    band += power_at(x, from, 125 * std::exp2(octave + step), rate);
                fit += (octave - 2.5) * db(band) / 17.5;
            }
            EXPECT_NEAR(fit, slope, within) << int(colour) << " " << rate;
        }
        const auto beat = noisy("beat.qrv", colour), still_noise = noisy("still.qrv", colour);
        const auto tones = noisy("beat.qrv", C::Off);
        EXPECT_TRUE(beat == noisy("beat.qrv", colour));
        float most = 0;
        for (std::size_t i = 0; i < beat.size(); ++i)
            most = std::max(most, std::abs(beat[i] - still_noise[i] - tones[i]));
        EXPECT_LT(most, 1e-6f);
    }
    const auto turns = noisy("short.qrv", C::White);  // turns every 1.1 s
    EXPECT_FALSE(std::equal(turns.begin() + 48000, turns.begin() + 96000,
                            turns.begin() + 48000 + 2 * 52800));
    EXPECT_LT(peak(turns, 0, 4800), 0.001f);  // the volume rises first at 100 ms
    // " Vol" at 50 is 5 dB down.
    EXPECT_NEAR(db(mean_square(noisy("half.qrv", C::Pink), 48000, 0) /
                   mean_square(noisy("still.qrv", C::Pink), 48000, 0)),
                -5.0, 0.01);
}

}  // namespace
}  // namespace qv
