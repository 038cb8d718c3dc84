// The samples of both ears, their bytes, the four views and the partial phases.
#include <algorithm>
#include <cmath>

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
    static int largest(const SampleArray& b) { return *std::max_element(b.begin(), b.end()); }
};

TEST_F(WaveformTest, WorkedExampleOfTheLeftBuffer) {
    sc(0).set_value(100);
    hold(50, 50);  // shift offset -0.949668 at sc(8) = 15
    tick();
    const std::vector<int> first(form.engine.leftBytes.begin(), form.engine.leftBytes.begin() + 6);
    EXPECT_EQ(first, (std::vector<int>{154, 141, 124, 107, 96, 94}));
    // 127 +- 33.3 at full amplitude of one partial.
    EXPECT_EQ(largest(form.engine.leftBytes), 160);
    EXPECT_EQ(*std::min_element(form.engine.leftBytes.begin(), form.engine.leftBytes.end()), 94);
}

TEST_F(WaveformTest, BytesBeyondTheRangeKeepTheirEarlierValueWhileTheViewShowsThem) {
    sc(0).set_value(100);
    hold(50, 50);
    tick();
    const SampleArray before = form.engine.leftBytes;
    for (int k = 1; k < 4; ++k) sc(k).set_value(100);
    tick();
    int kept = 0;
    for (int i = 0; i < 180; ++i) {
        const double b = std::nearbyint(plotted(form.WF1PB, i) + 127.0);
        const bool outside = b < 0 || b > 255;
        kept += outside;
        EXPECT_EQ(form.engine.leftBytes[std::size_t(i)], outside ? before[std::size_t(i)] : b) << i;
    }
    EXPECT_GT(kept, 0);
}

// Each view plots sample i as a point at (i, v + 127), coloured 65280 + round(|3 v|); the
// right ear is silent here: rest bytes, flat green views.
TEST_F(WaveformTest, ViewsPlotEverySampleShadedFromGreenWithTheCarryIntoBlue) {
    for (int k = 0; k < 4; ++k) sc(k).set_value(100);
    hold(50, 50);
    tick(2);  // each tick clears the views before it plots
    EXPECT_EQ(form.engine.rightBytes, filled(127));
    Color brightest = 0;
    for (const PictureBox* view : {&form.WF1PB, &form.WF2PB, &form.WF3PB, &form.WF4PB}) {
        ASSERT_EQ(view->ops().size(), 180u);
        for (int i = 0; i < 180; ++i) {
            const PictureBox::Op& op = view->ops()[std::size_t(i)];
            ASSERT_TRUE(op.kind == PictureBox::Op::Kind::Point && op.x1 == float(i));
            ASSERT_NEAR(double(op.color), 65280 + std::fabs(3 * (op.y1 - 127.0)), 1.0) << i;
            brightest = std::max(brightest, op.color);
        }
    }
    EXPECT_EQ(plotted(form.WF2PB, 7), 0.0f);
    EXPECT_GT(brightest, 65536 + 100);  // |3v| near 400: red 144 or so, green 0, blue 1
    EXPECT_EQ(brightest / 65536, 1);
}

TEST_F(WaveformTest, EqualSettingsOnBothSidesGiveEqualBuffers) {
    sc(8).set_value(7);
    hold(30, 30);
    sc(24).set_value(80);
    sc(25).set_value(80);
    for (int k = 0; k < 4; ++k) {
        sc(k).set_value(100 - 25 * k);
        sc(k + 4).set_value(100 - 25 * k);
        tx(26 + k).set_text(std::to_string(10 + 30 * k));
        tx(30 + k).set_text(std::to_string(10 + 30 * k));
    }
    tick();
    EXPECT_EQ(form.engine.leftBytes, form.engine.rightBytes);
    EXPECT_NE(largest(form.engine.leftBytes), 127);
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
        float loudest = 0;
        for (int i = 0; i < 180; ++i) {
            // Exact in the samples; the plotted points carry the rounding of v + 127.
            ASSERT_NEAR(plotted(form.WF3PB, i), -plotted(form.WF1PB, i), 1e-4) << i;
            ASSERT_EQ(form.WF3PB.ops()[std::size_t(i)].color,
                      form.WF1PB.ops()[std::size_t(i)].color)
                << i;
            loudest = std::max(loudest, std::fabs(plotted(form.WF1PB, i)));
        }
        EXPECT_GT(loudest, 10.0f);
    }
}

// Partial 2 alone: a phase text that gives no number plays as if both its phase and the
// shift offset were 0; a bad text of another partial changes nothing for partial 2. The
// phase is the text's, not the slider's, even where the slider refuses it.
TEST_F(WaveformTest, PhasesComeFromTheTextsAndABadTextDropsThatPartialsShiftToo) {
    sc(1).set_value(100);
    hold(0, 50);  // offset -0 for the left ear
    tick();
    const SampleArray unshifted = form.engine.leftBytes;
    sc(22).set_value(50);
    tick();
    const SampleArray shifted = form.engine.leftBytes;
    ASSERT_NE(shifted, unshifted);
    tx(27).set_text("abc");
    tick();
    EXPECT_EQ(form.engine.leftBytes, unshifted);
    tx(27).set_text("0");
    tx(26).set_text("x");
    tick();
    EXPECT_EQ(form.engine.leftBytes, shifted);

    tx(27).set_text("31");  // 2 radians
    tick();
    const SampleArray at31 = form.engine.leftBytes;
    tx(27).set_text("-279");  // 2 - 20 radians: not a slider value, still a phase
    EXPECT_EQ(hsc(27).value(), 31);
    tick();
    EXPECT_NE(form.engine.leftBytes, at31);
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
    EXPECT_EQ(form.engine.leftBytes, filled(102));
    EXPECT_EQ(form.engine.rightBytes, filled(142));
}

}  // namespace
}  // namespace qv::test
