// The samples of both ears, their bytes, the four views and the partial phases.
#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "TickFixture.h"

namespace qv::test {
namespace {

class WaveformTest : public TickTest {
protected:
    // Both AM outputs held at full amplitude and both shift sliders under the user's hand.
    void hold(int shiftL, int shiftR) {
        for (int i = 0; i < 4; ++i) ck(i).set_value(1);
        sc(24).set_value(100);
        sc(25).set_value(100);
        sc(22).set_value(shiftL);
        sc(23).set_value(shiftR);
    }
};

TEST_F(WaveformTest, WorkedExampleOfTheLeftBuffer) {
    sc(0).set_value(100);
    hold(50, 50);  // shift offset -0.949668 at sc(8) = 15
    tick();
    const std::uint8_t expected[] = {154, 141, 124, 107, 96, 94};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(tone.leftBytes[static_cast<std::size_t>(i)], expected[i]) << i;
    EXPECT_EQ(written(0), tone.leftBytes);
    // 127 +- 33.3 at full amplitude of one partial.
    EXPECT_EQ(*std::max_element(tone.leftBytes.begin(), tone.leftBytes.end()), 160);
    EXPECT_EQ(*std::min_element(tone.leftBytes.begin(), tone.leftBytes.end()), 94);
}

TEST_F(WaveformTest, SilentPanelGivesRestBytesAndFlatGreenViews) {
    tick();
    EXPECT_TRUE(
        std::all_of(tone.leftBytes.begin(), tone.leftBytes.end(), [](auto b) { return b == 127; }));
    EXPECT_TRUE(std::all_of(tone.rightBytes.begin(), tone.rightBytes.end(),
                            [](auto b) { return b == 127; }));
    for (const PictureBox* view : {&form.WF1PB, &form.WF2PB, &form.WF3PB, &form.WF4PB}) {
        ASSERT_EQ(view->ops().size(), 180u);
        for (int i = 0; i < 180; ++i) {
            const PictureBox::Op& op = view->ops()[static_cast<std::size_t>(i)];
            ASSERT_EQ(op.kind, PictureBox::Op::Kind::Point);
            ASSERT_EQ(op.x1, static_cast<float>(i));
            ASSERT_EQ(op.y1, 127.0f);
            ASSERT_EQ(op.color, rgb(0, 255, 0));
        }
    }
    tick();
    EXPECT_EQ(form.WF1PB.ops().size(), 180u);  // each tick clears before it plots
}

TEST_F(WaveformTest, BytesBeyondTheRangeKeepTheirEarlierValueWhileTheViewShowsThem) {
    sc(0).set_value(100);
    hold(50, 50);
    tick();
    const SampleArray before = tone.leftBytes;

    for (int k = 1; k < 4; ++k) sc(k).set_value(100);
    tick();
    int kept = 0;
    for (int i = 0; i < 180; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const float v = plotted(form.WF1PB, i);
        const double b = std::nearbyint(v + 127.0);
        if (b < 0 || b > 255) {
            ++kept;
            EXPECT_EQ(tone.leftBytes[at], before[at]) << i;
        } else {
            EXPECT_EQ(tone.leftBytes[at], b) << i;
        }
    }
    EXPECT_GT(kept, 0);
}

TEST_F(WaveformTest, PointColourShadesFromGreenAndCarriesIntoBlue) {
    for (int k = 0; k < 4; ++k) sc(k).set_value(100);
    hold(50, 50);
    tick();
    Color brightest = 0;
    for (const PictureBox::Op& op : form.WF1PB.ops()) {
        const double v = op.y1 - 127.0;
        EXPECT_NEAR(static_cast<double>(op.color), 65280 + std::fabs(3 * v), 1.0);
        brightest = std::max(brightest, op.color);
    }
    // |3v| near 400: red 144 or so, green 0, blue 1.
    EXPECT_GT(brightest, 65536 + 100);
    EXPECT_EQ(brightest / 65536, 1);
}

TEST_F(WaveformTest, EqualSettingsOnBothSidesGiveEqualBuffers) {
    sc(8).set_value(7);
    hold(30, 30);
    sc(24).set_value(80);
    sc(25).set_value(80);
    const int amps[] = {100, 50, 30, 20};
    const char* phases[] = {"10", "40", "70", "100"};
    for (int k = 0; k < 4; ++k) {
        sc(k).set_value(amps[k]);
        sc(k + 4).set_value(amps[k]);
        tx(26 + k).set_text(phases[k]);
        tx(30 + k).set_text(phases[k]);
    }
    tick();
    EXPECT_EQ(tone.leftBytes, tone.rightBytes);
    EXPECT_NE(*std::max_element(tone.leftBytes.begin(), tone.leftBytes.end()), 127);
    for (int i = 0; i < 180; ++i) {
        ASSERT_EQ(plotted(form.WF1PB, i), plotted(form.WF2PB, i)) << i;
        ASSERT_EQ(plotted(form.WF3PB, i), plotted(form.WF4PB, i)) << i;
    }
}

TEST_F(WaveformTest, WithOneTurnTheLeftViewsAreMirrorImages) {
    sc(8).set_value(1);
    sc(0).set_value(80);
    sc(2).set_value(40);
    tx(26).set_text("25");
    sc(17).set_value(70);  // the shift modulator moves the offset; the mirror holds
    sc(16).set_value(40);
    for (int n = 0; n < 3; ++n) {
        tick();
        float largest = 0;
        for (int i = 0; i < 180; ++i) {
            const auto at = static_cast<std::size_t>(i);
            // Exact in the samples; the plotted points carry the rounding of v + 127.
            ASSERT_NEAR(plotted(form.WF3PB, i), -plotted(form.WF1PB, i), 1e-4) << i;
            ASSERT_EQ(form.WF3PB.ops()[at].color, form.WF1PB.ops()[at].color) << i;
            largest = std::max(largest, std::fabs(plotted(form.WF1PB, i)));
        }
        EXPECT_GT(largest, 10.0f);
    }
}

// Partial 2 alone: a phase text that gives no number plays as if both its phase and the
// shift offset were 0.
TEST_F(WaveformTest, APhaseTextThatIsNoNumberDropsThatPartialsShiftToo) {
    sc(1).set_value(100);
    hold(0, 50);  // offset -0 for the left ear
    tick();
    const SampleArray unshifted = tone.leftBytes;

    sc(22).set_value(50);
    tick();
    const SampleArray shifted = tone.leftBytes;
    ASSERT_NE(shifted, unshifted);

    tx(27).set_text("abc");
    tick();
    EXPECT_EQ(tone.leftBytes, unshifted);
    EXPECT_EQ(tx(27).text(), "abc");

    // A bad text of another partial changes nothing for partial 2 and its shift.
    tx(27).set_text("0");
    tick();
    ASSERT_EQ(tone.leftBytes, shifted);
    tx(26).set_text("x");
    tx(28).set_text("");  // the coupling turns this into "0"
    tick();
    EXPECT_EQ(tone.leftBytes, shifted);
}

TEST_F(WaveformTest, PhaseTextsBeyondTheSliderRangeStillCount) {
    sc(4).set_value(100);
    hold(50, 0);            // right offset 0
    tx(30).set_text("31");  // 2 radians
    tick();
    const SampleArray at31 = tone.rightBytes;
    tx(30).set_text("-279");  // 2 - 20 radians: no longer a slider value, still a phase
    EXPECT_EQ(hsc(30).value(), 31);
    tick();
    // -18 radians is not 2 radians: the text, not the slider, set the phase.
    EXPECT_NE(tone.rightBytes, at31);
}

// With no step the sound is flat, and the shift offsets keep the modulator's sines: the
// left ear then sounds sin(-a), the right ear sin(b).
TEST_F(WaveformTest, ZeroStepKeepsTheModulatorSinesAsOffsets) {
    sc(8).set_value(0);
    sc(0).set_value(100);
    sc(4).set_value(100);
    hold(50, 50);
    ck(2).set_value(0);
    ck(3).set_value(0);
    sc(18).set_value(16);
    form.engine.shiftPhase = 1.0f;  // speeds 0: the phase stays
    tick();
    // a = sin(1), b = sin(0.5): 127 + sin(-a) x 100 / 3 and 127 + sin(b) x 100 / 3.
    const int left = 102, right = 142;
    for (int i = 0; i < 180; ++i) {
        ASSERT_EQ(tone.leftBytes[static_cast<std::size_t>(i)], left) << i;
        ASSERT_EQ(tone.rightBytes[static_cast<std::size_t>(i)], right) << i;
    }
}

// The 179 played bytes hold sc(8) whole turns (nearly), so the tone is rate x 15 / 179:
// 754.19 Hz on the left and, 100 samples per second slower, 745.81 Hz on the right.
TEST_F(WaveformTest, PlayedLoopHolds15TurnsSoTheRatesGiveTheTones) {
    sc(0).set_value(100);
    sc(4).set_value(100);
    sc(20).set_value(100);
    tick();
    auto strongest_bin = [](const SampleArray& bytes) {
        int best = 0;
        double best_power = 0;
        for (int bin = 1; bin < 90; ++bin) {
            std::complex<double> sum;
            for (int n = 0; n < kChannelBufferBytes; ++n) {
                sum += (bytes[static_cast<std::size_t>(n)] - 127.0) *
                       std::polar(1.0, -2 * std::numbers::pi * bin * n / kChannelBufferBytes);
            }
            if (std::norm(sum) > best_power) best_power = std::norm(sum), best = bin;
        }
        return best;
    };
    EXPECT_EQ(strongest_bin(written(0)), 15);
    EXPECT_EQ(strongest_bin(written(1)), 15);
    EXPECT_NEAR(frequency(0) * 15 / 179.0, 754.19, 0.005);
    EXPECT_NEAR(frequency(1) * 15 / 179.0, 745.81, 0.005);
}

}  // namespace
}  // namespace qv::test
