#include <gtest/gtest.h>
#include <samplerate.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "ToneTestSupport.h"
#include "audio/CardFeed.h"

namespace qv::test {
namespace {

// Whole loops at both 9000 Hz and 8000 Hz, so that levels measured over them are exact.
constexpr std::size_t kWholeLoops = 8592;
// Volume and pan glide for 5 ms (240 frames) after each change.
constexpr std::size_t kGlide = 240;

TEST(ToneOutput, ToneSoundsAtRateTimesTurnsOver179FromTheNextBlock) {
    OfflineTone out;
    // Each new rate is measured on the very next second: a glide from the old rate or a
    // late change would show as a wrong frequency. 100000 Hz is read with the stretched kernel.
    for (auto [turns, rate] :
         {std::pair{15, 9000}, {1, 5000}, {15, 25100}, {60, 100}, {7, 40000}, {15, 100000}}) {
        ASSERT_TRUE(out.play(0, sine_loop(turns), rate));
        const auto left = side(out.pull(48000), 0);
        const double expected = rate * turns / 179.0;
        EXPECT_NEAR(frequency(left, kOutputRate), expected, expected * 1e-5)
            << turns << "@" << rate;
        EXPECT_NEAR(db(rms(left) * std::sqrt(2.0) / (100.0 / 128.0)), 0.0, 0.01) << rate;
    }
}

// Volume and pan glide in a straight line over 5 ms (240 frames) from the next block on, no
// step on the way, and then hold their new levels exactly.
TEST(ToneOutput, PanLowersTheFarSideAndVolumeScalesBothAfterAFiveMillisecondGlide) {
    OfflineTone out;
    out.play(0, sine_loop(15), 9000);
    std::vector<float> last = out.pull(kWholeLoops);
    const double full = rms(side(last, 0));
    float own = largest_step(last);
    auto levels = [&] {
        std::vector<float> glide = out.pull(kGlide);
        glide.insert(glide.begin(), last.end() - 2, last.end());  // from the frame before it
        EXPECT_LE(largest_step(glide), own * 1.01f);
        last = out.pull(kWholeLoops);
        return std::pair(db(rms(side(last, 0)) / full), db(rms(side(last, 1)) / full));
    };
    // pan, volume of buffer 0 alone: dB on the left, dB on the right
    struct Case {
        int pan, volume;
        double left, right;
    } cases[] = {
        {0, -4000, -40, -40}, {-4000, 0, 0, -40}, {2500, 0, -25, 0}, {-4000, -990, -9.9, -49.9}};
    for (const Case& c : cases) {
        ASSERT_TRUE(out.channel(0).SetPan(c.pan) && out.primary().SetVolume(c.volume));
        const auto [left, right] = levels();
        EXPECT_NEAR(left, c.left, 0.001) << c.pan << " " << c.volume;
        EXPECT_NEAR(right, c.right, 0.001) << c.pan << " " << c.volume;
    }
    // At the ends of the ranges silence is exact, not just 100 dB down.
    ASSERT_TRUE(out.channel(0).SetPan(-10000));
    levels();
    EXPECT_EQ(rms(side(last, 1)), 0.0);
    ASSERT_TRUE(out.primary().SetVolume(-10000));
    levels();
    EXPECT_EQ(rms(last), 0.0);
    // The other channel buffer keeps its own pan, in the middle; silence by volume does
    // not stop the loops.
    out.play(1, sine_loop(15), 9000);
    own *= 2;  // two loops on the left now
    ASSERT_TRUE(out.primary().SetVolume(0));
    EXPECT_NEAR(levels().second, 0.0, 0.001);
}

// The rest level is exact silence; both buffers add up and the sum is cut at full scale,
// never wrapped around.
TEST(ToneOutput, SilenceIsExactAndTheSumSaturatesAtFullScale) {
    auto play = [](const SampleArray& left, const SampleArray& right) {
        OfflineTone one;
        one.play(0, left, 9000);
        one.play(1, right, 9000);
        return one.pull(4800);
    };
    EXPECT_EQ(rms(play(filled(127), filled(127))), 0.0);
    const auto a = play(sine_loop(15, 120), filled(127));
    const auto b = play(filled(127), sine_loop(11, 120));
    const auto both = play(sine_loop(15, 120), sine_loop(11, 120));
    int clipped = 0;
    for (std::size_t i = 0; i < both.size(); ++i) {
        ASSERT_NEAR(both[i], std::clamp(a[i] + b[i], -1.0f, 1.0f), 1e-6f) << i;
        clipped += std::abs(a[i] + b[i]) > 1.0f;
    }
    EXPECT_GT(clipped, 100);
}

TEST(ToneOutput, RefusedCallsKeepThePreviousSetting) {
    OfflineTone refused, plain;
    for (OfflineTone* out : {&refused, &plain}) {
        out->play(0, sine_loop(15), 9000);
        out->play(1, sine_loop(9), 12000);
        out->channel(0).SetPan(-4000);
        out->channel(1).SetPan(3000);
        out->primary().SetVolume(-600);
    }
    SoundBuffer &ch = refused.channel(0), &primary = refused.primary();
    // The renderer's trace records what the program asked for, refused or not.
    struct : ToneOutputObserver {
        int rates = 0;
        void frequency_set(int, std::int32_t) override { ++rates; }
    } seen;
    refused.tone.observer = &seen;
    for (int hz : {99, 100001, 0}) EXPECT_FALSE(ch.SetFrequency(hz)) << hz;
    EXPECT_EQ(seen.rates, 3);
    refused.tone.observer = nullptr;
    for (int pan : {-10001, 10001}) EXPECT_FALSE(ch.SetPan(pan)) << pan;
    for (int volume : {1, -10001}) EXPECT_FALSE(primary.SetVolume(volume)) << volume;
    // A channel buffer has no volume, the primary buffer no rate or pan; a write to no
    // channel writes nothing.
    EXPECT_FALSE(ch.SetVolume(-3000) || primary.SetFrequency(20000) || primary.SetPan(-2000));
    EXPECT_FALSE(refused.tone.WriteChannel(2, filled(255)) ||
                 refused.tone.WriteChannel(-1, filled(255)));
    SampleArray last_changed = sine_loop(9);  // sample 179 never reaches the buffer
    last_changed[179] = 255;
    EXPECT_TRUE(refused.tone.WriteChannel(1, last_changed));
    EXPECT_EQ(refused.pull(9600), plain.pull(9600));

    EXPECT_TRUE(ch.SetPan(10000));  // the other ends are taken above
}

// The UI thread rewrites a buffer while the device's thread mixes it. A block mixes one
// whole write or the next, never parts of two. CI also runs this under ThreadSanitizer.
TEST(ToneOutput, NoBlockMixesTwoWrites) {
    OfflineTone out;
    out.channel(0).SetFrequency(9000);
    const SampleArray writes[] = {filled(0), filled(255)};
    constexpr int kEnough = 200;
    std::atomic<bool> writing{true};
    std::atomic<int> blocks[2] = {0, 0};
    int mixed_blocks = 0;
    std::thread mixer([&] {
        std::vector<float> block(64 * 2);
        auto all_near = [&](float value) {
            return std::all_of(block.begin(), block.end(),
                               [&](float v) { return std::abs(v - value) < 1e-5f; });
        };
        while (writing) {
            out.device->pull(block.data(), 64);
            if (all_near(-127.0f / 128.0f))
                ++blocks[0];
            else if (all_near(1.0f))
                ++blocks[1];
            else if (rms(block) != 0.0)  // before the first write
                ++mixed_blocks;
        }
    });
    // On a busy machine the two threads may take turns on one core, so the writer also
    // gives way now and then, after either kind. A refused write is judged only once the
    // mixer has stopped: a failed assertion would end the process with it still running.
    bool refused = false;
    for (int i = 0; i < 5'000'000 && !refused && (blocks[0] < kEnough || blocks[1] < kEnough);
         ++i) {
        refused = !out.tone.WriteChannel(0, writes[i % 2]);
        if (i % 101 == 0) std::this_thread::yield();
    }
    writing = false;
    mixer.join();
    EXPECT_FALSE(refused);
    EXPECT_EQ(mixed_blocks, 0);
    EXPECT_GE(blocks[0], kEnough);
    EXPECT_GE(blocks[1], kEnough);
}

// Play opens the device again. When opening fails nothing is released: the buffers take
// every call and the time line goes on silently. When starting fails both channel buffers
// and the device go, the primary buffer stays. Either way the next Play recovers, with new
// buffers that are silent until written.
TEST(ToneOutput, ADeviceThatFailsOnPlayKeepsWhatItMustAndTheNextPlayRecovers) {
    OfflineTone out;
    auto objects = [&] {
        return std::vector<const void*>{out.tone.primaryBuffer(), out.tone.channelBuffer(0),
                                        out.tone.channelBuffer(1), out.tone.soundDevice()};
    };
    const auto before = objects();
    out.device->open_failure = "Device unavailable";
    EXPECT_FALSE(out.tone.InitSynth(0));
    EXPECT_EQ(out.tone.failure(), "Device unavailable");
    EXPECT_EQ(objects(), before);
    EXPECT_TRUE(out.play(0, sine_loop(7), 9000));
    EXPECT_EQ(rms(out.pull(4800)), 0.0);  // the old stream was closed first

    out.device->open_failure.clear();
    out.device->start_failure = "Invalid sample rate";
    EXPECT_FALSE(out.tone.InitSynth(0));
    EXPECT_EQ(out.tone.failure(), "Invalid sample rate");
    EXPECT_EQ(objects(), (std::vector<const void*>{out.tone.primaryBuffer(), 0, 0, 0}));
    ASSERT_NE(out.tone.primaryBuffer(), nullptr);
    EXPECT_TRUE(out.tone.primaryBuffer()->SetVolume(-500));
    EXPECT_FALSE(out.tone.WriteChannel(0, sine_loop(15)));
    EXPECT_EQ(rms(out.pull(4800)), 0.0);

    out.device->start_failure.clear();
    ASSERT_TRUE(out.tone.InitSynth(0));
    EXPECT_EQ(out.tone.failure(), "");
    out.channel(0).Play();
    EXPECT_TRUE(out.channel(0).SetFrequency(9000));
    EXPECT_EQ(rms(out.pull(4800)), 0.0);
    out.tone.WriteChannel(0, sine_loop(15));
    EXPECT_GT(rms(out.pull(4800)), 0.1);
}

// Play on a stream that runs does not close it, which may wait for the device: the tone
// fades out over 10 ms, then nothing sounds until the new buffers are written, and they
// fade in. No step on the way.
TEST(ToneOutput, PlayOnARunningStreamStartsOverWithoutClosingIt) {
    struct Running : SoundDevice {
        int& closes;
        explicit Running(int& closes) : SoundDevice(kOutputRate), closes(closes) {}
        bool start(std::string&) override { return true; }
        void close() override { ++closes; }
        bool running() const override { return true; }
    };
    struct Backend : SoundBackend {
        int opens = 0, closes = 0;
        std::unique_ptr<SoundDevice> open_default(std::string&) override {
            ++opens;
            return std::make_unique<Running>(closes);
        }
    };
    auto* backend = new Backend;
    modSynth_DX7 tone{std::unique_ptr<SoundBackend>(backend)};
    auto play = [&] {
        tone.channelBuffer(0)->Play();
        tone.channelBuffer(0)->SetFrequency(9000);
        tone.WriteChannel(0, sine_loop(7));
    };
    auto pull = [&](std::size_t frames) {
        std::vector<float> block(frames * 2);
        tone.soundDevice()->mixer().render_block(block.data(), frames);
        return block;
    };
    ASSERT_TRUE(tone.InitSynth(0));
    play();
    pull(4800);
    ASSERT_TRUE(tone.InitSynth(0));
    EXPECT_EQ(backend->opens, 1);
    EXPECT_EQ(backend->closes, 0);
    const std::vector<float> over = pull(4800);
    EXPECT_GT(peak(over, 0, 100), 0.3f);
    EXPECT_EQ(peak(over, 480, 4800), 0.0f);
    play();
    const std::vector<float> again = pull(4800);
    EXPECT_GT(rms(again), 0.3);
    EXPECT_LT(std::max(largest_step(over), largest_step(again)), 0.05f);
}

// 2864 frames at 48000 Hz are exactly three loops at 9000 Hz, so every line of the
// output falls on a bin of a DFT over them and nothing leaks between bins.
constexpr int kRate = 9000;
constexpr std::size_t kFrames = 2864;

// libsamplerate's best converter fed the same loop over and over, well past its start-up.
std::vector<float> reference(const SampleArray& bytes) {
    std::vector<float> input;
    for (int loop = 0; loop < 100; ++loop)
        for (int i = 0; i < kChannelBufferBytes; ++i)
            input.push_back((bytes[std::size_t(i)] - 127.0f) / 128.0f);
    const double ratio = kOutputRate / kRate;
    std::vector<float> output(static_cast<std::size_t>(double(input.size()) * ratio));
    SRC_DATA data{input.data(), output.data(), long(input.size()), long(output.size()), 0, 0, 0,
                  ratio};
    EXPECT_EQ(src_simple(&data, SRC_SINC_BEST_QUALITY, 1), 0);
    EXPECT_GT(std::size_t(data.output_frames_gen), 11 * kFrames);
    return {output.begin() + 10 * kFrames, output.begin() + 11 * kFrames};
}

TEST(ConversionFidelity, PureSineHasNoImagesAndMatchesTheBestReferenceConverter) {
    const SampleArray loop = sine_loop(15, 127.0);
    OfflineTone out;
    out.play(0, loop, kRate);
    out.pull(1000);
    const auto ours = spectrum(side(out.pull(kFrames), 0));
    const auto theirs = spectrum(reference(loop));
    const double tone = ours[45];  // 754.19 Hz
    EXPECT_NEAR(db(tone / theirs[45]), 0.0, 0.1);
    // Below 0.4 of the rate: the tone and the loop's own faint lines (its bytes are
    // rounded) at the reference's levels, nothing between them. Above 0.6: no image.
    int lines = 0;
    for (std::size_t bin = 1; bin < ours.size(); ++bin) {
        const double hz = double(bin) * kOutputRate / kFrames, level = db(ours[bin] / tone);
        const double expected = db(theirs[bin] / tone);
        if (hz < 0.4 * kRate && expected > -120.0) {
            ++lines;
            EXPECT_NEAR(level, expected, 0.1) << hz << " Hz";
        } else if (hz < 0.4 * kRate) {
            EXPECT_LT(level, -120.0) << hz << " Hz";
        } else if (hz > 0.6 * kRate) {
            EXPECT_LT(level, -90.0) << hz << " Hz";
        }
    }
    EXPECT_EQ(lines, 71);  // every harmonic of the loop (50.28 Hz apart) below 3600 Hz
}

TEST(ConversionFidelity, PartsOfTheLoopAboveTheOutputsNyquistAreRemovedNotFoldedBack) {
    // At 100000 Hz, 15 turns sound at 8380 Hz and 60 turns at 33520 Hz, which a plain read
    // at 48000 Hz would fold back to 14480 Hz.
    OfflineTone out;
    out.play(0, sine_loop(15, 60.0, 60), 100000);
    // 2148 frames are 25 whole loops: each line falls on a bin, 22.35 Hz apart.
    const auto lines = spectrum(side(out.pull(2148), 0));
    EXPECT_NEAR(db(lines[375] / (60.0 / 128.0)), 0.0, 0.01);  // 8380 Hz
    EXPECT_LT(db(lines[648] / (60.0 / 128.0)), -90.0);        // 14480 Hz
}

// The player's card plays the frames pushed, in order across the ring's end, at the
// listener's volume: fading in where a stream opens, out from where an interrupt finds it
// and then taking no more, and silent, not repeating, when the ring runs dry.
TEST(CardFeed, PlaysWhatWasPushedWithTheCardsOwnGains) {
    CardFeed feed(1000, 48000, 0.5f);
    std::vector<float> ramp(2 * 4000), out(2 * 2400);
    for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<float>(i / 2) / 4000;
    feed.open_fade();
    std::size_t pushed = 0;
    for (std::size_t played = 0; played < 2400; played += 300) {
        const std::size_t n = std::min(feed.space(), std::size_t(700));
        feed.push(ramp.data() + 2 * pushed, n);
        pushed += n;
        feed.render(out.data() + 2 * played, 300);
    }
    EXPECT_EQ(feed.taken(), 2400u);
    EXPECT_NEAR(out[2 * 239], ramp[2 * 239] * 0.5f * 0.5f, 1e-6);  // half way into the fade-in
    for (std::size_t i = 480; i < 2400; ++i)
        ASSERT_FLOAT_EQ(out[2 * i + 1], ramp[2 * i] * 0.5f) << i;

    feed.fade_out(0.010);
    feed.render(out.data(), 480);
    EXPECT_NEAR(out[0], ramp[2 * 2400] * 0.5f * (479.0f / 480), 1e-6);
    EXPECT_TRUE(feed.faded_out() && out[2 * 479] == 0.0f);
    std::vector<float> rest(2 * 2000);
    feed.render(rest.data(), 2000);  // silence, and what is left stays
    EXPECT_EQ(feed.taken(), 2880u);
    EXPECT_EQ(rms(rest), 0.0);
    feed.open_fade();  // a stream opens again: on from where it was
    feed.render(rest.data(), 2000);
    EXPECT_EQ(feed.taken(), pushed);
    EXPECT_NEAR(rest[2 * 100], ramp[2 * 2980] * 0.5f * (101.0f / 480), 1e-6);
}

}  // namespace
}  // namespace qv::test
