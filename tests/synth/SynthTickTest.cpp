// The synthesis tick: modulators, channel switching, the ears' samples and views, and
// what each tick hands the tone output.
#include <numbers>

#include "../audio/ToneTestSupport.h"
#include "../timeline/FormFixture.h"

namespace qv::test {
namespace {

// What the synthesis ticks asked of the tone output, in order: "V-990 F9000 F8900 P0 P0
// W0 W1 " is a volume, the rates of channels 0 and 1, their pans and both buffers written.
struct ToneRecorder : ToneOutputObserver {
    std::string calls;
    void volume_set(std::int32_t v) override { calls += "V" + std::to_string(v) + " "; }
    void frequency_set(int, std::int32_t hz) override { calls += "F" + std::to_string(hz) + " "; }
    void pan_set(int, std::int32_t p) override { calls += "P" + std::to_string(p) + " "; }
    void channel_written(int c, const SampleArray&) override {
        calls += "W" + std::to_string(c) + " ";
    }
};

// A started main form whose synthesis runs only when the clock moves.
class TickTest : public qv::testing::FormFixture {
protected:
    TickTest() { tone.observer = &recorder; }
    ~TickTest() override { tone.observer = nullptr; }

    // Lets `n` periods of Timer1 pass; the recorder's call list keeps only what they sent.
    void tick(int n = 1) {
        recorder.calls.clear();
        clock.advance(25 * n);
    }
    void type(P::Id k, const char* text) { form.panel.tx(k).set_text(text); }
    CheckBox& ck(Free::Id i) { return form.panel.ck(i); }
    const SampleArray& left() { return form.engine_for_tests().leftBytes; }
    const SampleArray& right() { return form.engine_for_tests().rightBytes; }
    // The value a view plotted at sample index i (points sit at v + 127).
    static float plotted(const PictureBox& view, int i) { return view.ops().at(i).y1 - 127.0f; }
    // Both AM outputs held at full amplitude and both shift sliders under the user's hand.
    void hold(int shift_left, int shift_right) {
        for (Free::Id i : {Free::LeftAmp, Free::RightAmp, Free::LeftShift, Free::RightShift})
            ck(i).set_value(1);
        set({{P::LeftAmp, 100}, {P::RightAmp, 100}});
        set({{P::LeftShift, shift_left}, {P::RightShift, shift_right}});
    }

    ToneRecorder recorder;
};

TEST_F(TickTest, EachPeriodSendsVolumeRatesPansAndBuffersFromTheSliders) {
    clock.advance_to(24);
    EXPECT_EQ(recorder.calls, "");
    // 9000 Hz sounds the default 15 turns in the 179 played bytes at 754.19 Hz.
    clock.advance_to(25);
    EXPECT_EQ(recorder.calls, "V-10000 F9000 F9000 P0 P0 W0 W1 ");
    // Tune, AmSpeed, Pan, Vol, Diff, DiffSync; what the next tick sends.
    const std::pair<std::array<int, 6>, const char*> cases[] = {
        {{20, 0, 10, 1, 0, 0}, "V-990 F9000 F9000 P0 P0 "},  // from silence straight to -990
        {{20, 0, 10, 100, 0, 0}, "V0 F9000 F9000 P0 P0 "},
        {{0, 0, 10, 0, 100, 0}, "V-10000 F5000 F4900 P0 P0 "},
        {{100, 100, 10, 0, 0, 100}, "V-10000 F25000 F25100 P0 P0 "},
        {{20, 1, 10, 0, 0, 50}, "V-10000 F9000 F9000 P0 P0 "},  // 9000.5 rounds to even
        {{20, 3, 10, 0, 0, 50}, "V-10000 F9000 F9002 P0 P0 "},  // 9001.5
        {{20, 0, 0, 0, 0, 0}, "V-10000 F9000 F9000 P-4000 P4000 "},
        {{20, 0, 13, 0, 0, 0}, "V-10000 F9000 F9000 P1200 P-1200 "},
    };
    const P::Id sliders[] = {P::Tune, P::AmSpeed, P::Pan, P::Vol, P::Diff, P::DiffSync};
    for (const auto& [v, sent] : cases) {
        for (int i = 0; i < 6; ++i) set({{sliders[i], v[i]}});
        tick();
        EXPECT_EQ(recorder.calls, std::string(sent) + "W0 W1 ");
    }
}

// The synthesis goes on without the sound objects. Every tick writes the value texts of
// the sliders up to the shifts, from the partials' amplitudes on; the AM outputs drop
// from 100 to the base 50, and their own change events write their texts.
TEST_F(TickTest, EveryTickWritesTheValueTextsAndGoesOnWithoutSoundObjects) {
    set({{P::LeftPartial2, 42}});
    type(P::LeftPartial2, "abc");
    type(P::AmDepth, "60");  // refused by the slider: replaced on the next tick
    tone.Release();          // the channel buffers and the device go; the primary buffer stays
    tick();
    EXPECT_EQ(recorder.calls, "V-10000 W0 W1 ");
    EXPECT_NE(left(), filled(127));
    std::string texts;
    for (int k = P::LeftPartial1; k <= P::RightAmp; ++k) texts += form.panel.tx(k).text() + " ";
    EXPECT_EQ(texts, "0 42 0 0 0 0 0 0 15 20 50 0 0 0 10 0 0 0 0 0 0 0 50 50 50 50 ");
}

// The right ear's amplitude moves against the left one's; a value beyond the slider's
// range leaves the last accepted one.
TEST_F(TickTest, AmMovesTheEarsAgainstEachOtherWithinTheirRange) {
    set({{P::AmDepth, 50}});  // base 50, speed 0
    form.engine_for_tests().amPhase = static_cast<float>(std::numbers::pi / 2);
    tick();
    EXPECT_EQ((std::vector{slider(P::LeftAmp), slider(P::RightAmp)}), (std::vector<int>{100, 0}));

    form.engine_for_tests().amPhase = 0;
    set({{P::AmBase, 80}, {P::AmSpeed, 100}});  // one radian per tick
    // round(80 + 50 sin(n)) for n = 1..12 is 122 125 87 42 32 66 113 129 101 53 30 53.
    for (int want : {100, 100, 87, 42, 32, 66, 66, 66, 66, 53, 30, 53}) {
        tick();
        EXPECT_EQ(slider(P::LeftAmp), want) << "amPhase " << form.engine_for_tests().amPhase;
    }
}

// Each phase starts again at 0 on the tick that would take it above 9000, not at 9000;
// the stored 32-bit phase is compared: 8999.7 + 0.3 lands on exactly 9000 there.
TEST_F(TickTest, PhasesWrapOnlyWhenTheyExceed9000) {
    EngineState& e = form.engine_for_tests();
    set({{P::AmSpeed, 100}, {P::ShiftSpeed, 100}});
    e.amPhase = e.shiftPhase = e.switchTick = 8999;
    for (float want : {9000, 0, 1}) {
        tick();
        EXPECT_EQ((std::vector{e.amPhase, e.shiftPhase, e.switchTick}), std::vector(3, want));
    }
    set({{P::AmSpeed, 30}});
    e.amPhase = 8999.7f;
    tick();
    EXPECT_EQ(e.amPhase, 9000.0f);
}

// The phases run on meanwhile, so unchecking resumes at the current phase: 50 + 50 sin 6.
TEST_F(TickTest, AnyCheckedOrGreyedBoxLeavesItsSliderToTheUser) {
    set({{P::AmSpeed, 100}, {P::ShiftSpeed, 100}, {P::ShiftDepth, 100}, {P::AmDepth, 50}});
    for (auto [i, state] : {std::pair{Free::LeftShift, 2},
                            {Free::RightShift, 1},
                            {Free::LeftAmp, 2},
                            {Free::RightAmp, 1}})
        ck(i).set_value(state);
    set({{P::LeftShift, 11}, {P::RightShift, 12}, {P::LeftAmp, 13}, {P::RightAmp, 14}});
    tick(5);
    EXPECT_EQ((std::vector{slider(P::LeftShift), slider(P::RightShift), slider(P::LeftAmp),
                           slider(P::RightAmp)}),
              (std::vector<int>{11, 12, 13, 14}));
    ck(Free::LeftAmp).set_value(0);
    tick();
    EXPECT_EQ(slider(P::LeftAmp), 36);
}

// The right shift lies half a radian behind and moves the other way: 50 + 30 sin 1.2 and
// 50 - 30 sin 0.7. The phase is rounded to 32 bits once per tick: adding its two
// increments with a rounding in between would give 15.0002642 after the 1000 ticks below.
TEST_F(TickTest, ShiftMovesBothSlidersAgainstEachOtherFromAPhaseRoundedOncePerTick) {
    set({{P::ShiftSpeed, 30}, {P::ShiftDepth, 60}, {P::ShiftOffset, 16}});
    tick(4);
    EXPECT_FLOAT_EQ(form.engine_for_tests().shiftPhase, 1.2f);
    EXPECT_EQ((std::vector{slider(P::LeftShift), slider(P::RightShift)}),
              (std::vector<int>{78, 31}));
    form.engine_for_tests().shiftPhase = 0;
    set({{P::ShiftSpeed, 1}, {P::AmSpeed, 1}, {P::ShiftSync, 50}});
    tick(1000);
    EXPECT_EQ(form.engine_for_tests().shiftPhase, 15.0001364f);
}

// An ear is off while its switching sine lies strictly above its on-time threshold; the
// silent ear's views are flat at the middle too.
TEST_F(TickTest, ChannelSwitchingSilencesAnEarWhileItsSineLiesAboveItsOnTime) {
    set({{P::LeftPartial1, 100}, {P::RightPartial1, 100}});
    auto off_after = [&](int ticks) {
        std::string off;
        for (int n = 0; n < ticks; ++n) {
            tick();
            off += std::string(left() == filled(127) ? "L" : "") +
                   (right() == filled(127) ? "R" : "") + ",";
        }
        return off;
    };
    set({{P::LeftOn, 49}, {P::RightOn, 50}});  // without speed or offset: off below 50
    EXPECT_EQ(off_after(1), "L,");
    for (int i = 0; i < 180; ++i)
        ASSERT_EQ(std::pair(plotted(form.WF1PB, i), plotted(form.WF3PB, i)), std::pair(0.f, 0.f));
    set({{P::LeftOn, 50}, {P::RightOn, 0}});
    EXPECT_EQ(off_after(1), "R,");
    // One radian per tick; full on time is never off.
    set({{P::LeftOn, 100}, {P::RightOn, 100}, {P::SwitchSpeed, 100}, {P::SwitchOffset, 77}});
    EXPECT_EQ(off_after(10), ",,,,,,,,,,");
    set({{P::SwitchOffset, 0}, {P::LeftOn, 50}});  // the left ear off while sin(switchTick) > 0
    form.engine_for_tests().switchTick = 0;
    EXPECT_EQ(off_after(10), "L,L,L,,,,L,L,L,,");
    // +0.5 radians for the left ear, -0.5 for the right
    set({{P::SwitchSpeed, 0}, {P::RightOn, 50}, {P::SwitchOffset, 30}});
    EXPECT_EQ(off_after(1), "L,");
}

// One partial at full amplitude: 127 +- 33.3, and each view plots sample i as a point at
// (i, v + 127) coloured 65280 + round(|3 v|). With all four partials a byte beyond the
// range keeps its earlier value while the views show the sample, and |3 v| carries on
// into the blue byte: red 144 or so, green 0, blue 1.
TEST_F(TickTest, WorkedExampleOfTheLeftEarItsViewsAndBytesBeyondTheRange) {
    set({{P::LeftPartial1, 100}});
    hold(50, 50);  // shift offset -0.949668 at Freq 15
    tick();
    EXPECT_EQ(std::vector<int>(left().begin(), left().begin() + 6),
              (std::vector<int>{154, 141, 124, 107, 96, 94}));
    EXPECT_EQ(*std::max_element(left().begin(), left().end()), 160);
    EXPECT_EQ(*std::min_element(left().begin(), left().end()), 94);
    std::vector<Color> colours;
    for (int i = 0; i < 6; ++i) colours.push_back(form.WF1PB.ops().at(i).color);
    EXPECT_EQ(colours, (std::vector<Color>{65361, 65321, 65290, 65339, 65372, 65379}));

    const SampleArray before = left();
    for (P::Id k : params::kLeft.partials) set({{k, 100}});
    tick(2);  // each tick clears the views before it plots
    int kept = 0;
    Color brightest = 0;
    for (const PictureBox* view : {&form.WF1PB, &form.WF2PB, &form.WF3PB, &form.WF4PB}) {
        ASSERT_EQ(view->ops().size(), 180u);
        for (int i = 0; i < 180; ++i) {
            const PictureBox::Op& op = view->ops()[i];
            ASSERT_TRUE(op.kind == PictureBox::Op::Kind::Point && op.x1 == float(i));
            brightest = std::max(brightest, op.color);
        }
    }
    for (int i = 0; i < 180; ++i) {
        const double b = std::nearbyint(plotted(form.WF1PB, i) + 127.0);
        kept += b < 0 || b > 255;
        EXPECT_EQ(left()[i], b < 0 || b > 255 ? before[i] : b) << i;
    }
    EXPECT_GT(kept, 0);
    EXPECT_EQ(right(), filled(127));  // the right ear is silent: flat green views
    EXPECT_EQ(form.WF2PB.ops().at(7).color, 65280);
    EXPECT_GT(brightest, 65536 + 100);
    EXPECT_EQ(brightest / 65536, 1);
}

// The ears' formulas mirror each other: equal settings give equal buffers and views. With
// one turn each ear's second view is the mirror image of its first, whatever the phases and
// the shift do; exact in the samples, the plotted points carry the rounding of v + 127.
TEST_F(TickTest, EqualSettingsOnBothSidesGiveEqualBuffersAndOneTurnMirrorsTheViews) {
    hold(30, 30);
    set({{P::Freq, 1}, {P::LeftAmp, 80}, {P::RightAmp, 80}});
    for (int k = 0; k < 4; ++k) {
        for (const params::Ear& ear : {params::kLeft, params::kRight}) {
            set({{ear.partials[k], 100 - 25 * k}});
            form.panel.tx(ear.phases[k]).set_text(std::to_string(10 + 30 * k));
        }
    }
    tick();
    EXPECT_EQ(left(), right());
    EXPECT_NE(left(), filled(127));
    for (int i = 0; i < 180; ++i) {
        ASSERT_EQ(plotted(form.WF1PB, i), plotted(form.WF2PB, i)) << i;
        ASSERT_EQ(plotted(form.WF3PB, i), plotted(form.WF4PB, i)) << i;
        ASSERT_NEAR(plotted(form.WF3PB, i), -plotted(form.WF1PB, i), 1e-4) << i;
        ASSERT_EQ(form.WF3PB.ops().at(i).color, form.WF1PB.ops().at(i).color) << i;
    }
    // While nobody sees the views they are left as they are; the sound is the same.
    const std::vector<PictureBox::Op> shown = form.WF3PB.ops();
    const std::array views{&form.WF1PB, &form.WF2PB, &form.WF3PB, &form.WF4PB};
    for (PictureBox* view : views) view->watched = false;
    set({{P::LeftAmp, 40}, {P::RightAmp, 40}});
    tick();
    const SampleArray unseen = left();
    EXPECT_EQ(form.WF3PB.ops(), shown);
    for (PictureBox* view : views) view->watched = true;
    tick();
    EXPECT_EQ(left(), unseen);
    EXPECT_NE(form.WF3PB.ops(), shown);
}

// Partial 2 alone: a phase text that gives no number plays as if both its phase and the
// shift offset were 0; a bad text of another partial changes nothing for partial 2. The
// phase is the text's, not the slider's, even where the slider refuses it.
TEST_F(TickTest, PhasesComeFromTheTextsAndABadTextDropsThatPartialsShiftToo) {
    auto after_tick = [&](P::Id k, const char* text) {
        type(k, text);
        tick();
        return left();
    };
    set({{P::LeftPartial2, 100}});
    hold(0, 50);  // offset -0 for the left ear
    const SampleArray unshifted = after_tick(P::LeftPhase2, "0");
    set({{P::LeftShift, 50}});
    const SampleArray shifted = after_tick(P::LeftPhase2, "0");
    ASSERT_NE(shifted, unshifted);
    EXPECT_EQ(after_tick(P::LeftPhase2, "abc"), unshifted);
    type(P::LeftPhase2, "0");
    EXPECT_EQ(after_tick(P::LeftPhase1, "x"), shifted);
    const SampleArray at31 = after_tick(P::LeftPhase2, "31");  // 2 radians
    // 2 - 20 radians: not a slider value, still a phase
    EXPECT_NE(after_tick(P::LeftPhase2, "-279"), at31);
    EXPECT_EQ(slider(P::LeftPhase2), 31);
}

// With no step the sound is flat, and the shift offsets keep the modulator's sines: the
// left ear then sounds sin(-a), the right ear sin(b), a = sin(1), b = sin(0.5):
// 127 + sin(-a) x 100 / 3 and 127 + sin(b) x 100 / 3.
TEST_F(TickTest, ZeroStepKeepsTheModulatorSinesAsOffsets) {
    hold(50, 50);
    set({{P::Freq, 0}, {P::LeftPartial1, 100}, {P::RightPartial1, 100}, {P::ShiftOffset, 16}});
    ck(Free::LeftShift).set_value(0);
    ck(Free::RightShift).set_value(0);
    form.engine_for_tests().shiftPhase = 1.0f;  // speeds 0: the phase stays
    tick();
    EXPECT_EQ(std::pair(left(), right()), std::pair(filled(102), filled(142)));
}

}  // namespace
}  // namespace qv::test
