// The time line: keyframes stored and hit, the values between them, and the transport.
#include "FormFixture.h"

namespace qv {
namespace {

using testing::entry;
using Names = std::vector<std::string>;

using KeyframeStoreTest = testing::FormFixture;

// Set Key stores the cursor's second, the texts and the switches (the greyed state as its
// digit), once per second and in order, and marks the second in black; Delete Key erases
// both, the mark even where there was no key.
TEST_F(KeyframeStoreTest, SetKeyStoresAndMarksOneEntryPerSecondInOrderDeleteKeyErasesIt) {
    auto marker = [&](int second) -> Color {
        const float x = static_cast<float>(20.0 + 14.23 * second);
        for (const auto& op : form.Picture1.ops())
            if (op.kind == PictureBox::Op::Kind::Line && op.x1 == x && op.y1 == 0 && op.y2 == 200)
                return op.color;
        return -1;
    };
    for (auto [i, state] : {std::pair{Free::LeftAmp, 1}, {Free::RightAmp, 2}, {Free::LeftShift, 1}})
        form.panel.ck(i).set_value(state);
    // The second press at 7 replaces the first.
    for (auto [second, value] : {std::pair{7, 50}, {600, 3}, {0, 1}, {7, 100}})
        key_at(second, value);
    EXPECT_EQ(form.List2.items(),
              (Names{entry(0, 1, "1210"), entry(7, 100, "1210"), entry(600, 3, "1210")}));
    EXPECT_EQ(std::vector<Color>({marker(0), marker(600), marker(7)}), std::vector<Color>(3, 0));
    for (int second : {9, 7}) {
        form.time.set_value(second);
        form.delkey.click();
    }
    EXPECT_EQ(form.List2.items(), (Names{entry(0, 1, "1210"), entry(600, 3, "1210")}));
    // Erasing drew over the marks.
    EXPECT_EQ(std::tuple(marker(7), marker(9), form.Picture1.ops().size()),
              std::tuple(form.Picture1.back_color, form.Picture1.back_color, 4u));
    EXPECT_NE(form.Picture1.back_color, 0);
}

// A text that gives no number (an empty one too, as before the first synthesis tick)
// stores its slider's value and a number rounds halves away from zero (the amplitude's
// switch is unchecked, so its slider does not take the text); a number outside
// its parameter's range stores nothing and says which box holds what.
TEST_F(KeyframeStoreTest, SetKeyStoresOnlyWhatItsParametersTake) {
    set({{P::LeftPhase2, 61}});
    for (auto [k, typed] :
         {std::pair{P::LeftPhase2, "abc"}, {P::RightAmp, "98.5"}, {P::RightPhase2, " 7 "}})
        form.panel.tx(k).set_text(typed);
    form.setkey.click();
    std::string fields;  // Tune, LeftAmp and LeftOn have empty texts
    for (P::Id k : {P::Tune, P::LeftAmp, P::LeftOn, P::LeftPhase2, P::RightAmp, P::RightPhase2})
        fields += form.List2.list(0).substr(3 + 3 * std::size_t(k), 3);
    EXPECT_EQ(fields, "020100100061099007");

    form.time.set_value(2);
    for (std::string text : {"1500", "-3", "101"}) {
        form.panel.tx(P::LeftPhase1).set_text(text);
        form.setkey.click();
        EXPECT_EQ(reports.back(),
                  "Set Key stored nothing: the box of \"Left partial 1 phase\" holds " + text +
                      ", outside its range 0 to 100.");
    }
    EXPECT_EQ(form.List2.list_count(), 1);
}

TEST_F(KeyframeStoreTest, HitLoadsTextsBeforeSwitchesAndRecordsTheSegment) {
    auto segment = [&] {
        return std::vector<float>({form.timeline().prevkeyidx(), form.timeline().curkeyidx(),
                                   form.timeline().nextkeyidx()});
    };
    for (int k = 0; k < params::kCount; ++k) form.panel.tx(k).set_text("10");
    form.panel.ck(Free::LeftAmp).set_value(1);  // checked only for the stored key
    form.setkey.click();
    form.panel.ck(Free::LeftAmp).set_value(0);
    key_at(5, 7);
    key_at(9, 30);
    // Recalling the key at 0 with the switch unchecked: the text takes the stored 10, but
    // its coupling still sees the unchecked switch, so the slider stays; then it is checked.
    form.stop.click();
    EXPECT_EQ(
        std::tuple(text(P::LeftAmp), slider(P::LeftAmp), form.panel.ck(Free::LeftAmp).value()),
        std::tuple("10", 100, 1));
    EXPECT_EQ(segment(), (std::vector<float>{-1, 0, 1}));
    form.nextkey.click();  // second 5: "007" comes back as "7"
    EXPECT_EQ(text(P::LeftPartial4) + "/" + std::to_string(slider(P::LeftPartial4)), "7/7");
    // Only a setup file written elsewhere can hold two entries for one second: the scan
    // goes on after a hit, so the later one wins.
    form.List2.add_item(entry(5, 70));
    form.time.set_value(0);
    form.nextkey.click();
    EXPECT_EQ(text(kPlain), "70");
    EXPECT_EQ(segment(), (std::vector<float>{1, 2, 3}));
}

using InterpolationTest = testing::FormFixture;

// The figures depend on the play time being accumulated in 32-bit float steps (30 ticks
// are 2.9999993 s, so the value there is 29, not 30).
TEST_F(InterpolationTest, RisingAndFallingValuesFollowTheAccumulatedPlayTime) {
    for (auto [from, to, want] :
         {std::tuple{0, 100, "1 5 24 29 30 49 "}, {100, 0, "98 95 75 70 69 50 "}}) {
        key_at(0, from);
        key_at(10, to);
        form.stop.click();
        form.play.click();  // hits 000: the segment is the two keys
        std::string seen;   // after 1, 5, 25, 30, 31 and 50 ticks
        for (int step : {1, 4, 20, 5, 1, 19}) ticks(step), seen += text(kPlain) + " ";
        EXPECT_EQ(seen, want) << from << " to " << to;
        form.pause.click();
    }
}

TEST_F(InterpolationTest, NothingIsWrittenBeforeTheFirstHitNorAfterTheLastKeyAndStopExtrapolates) {
    key_at(10, 20);
    key_at(20, 80);
    form.panel.tx(kPlain).set_text("7");
    form.time.set_value(0);
    form.play.click();
    // Up to 9.9 s the segment is still 0, 0: one entry against itself.
    std::string seen;
    for (int step : {99, 51, 50}) ticks(step), seen += text(kPlain) + " ";
    EXPECT_EQ(seen, "7 50 80 ");
    form.panel.tx(kPlain).set_text("13");
    ticks(30);  // no entry after the last key: nothing can be computed
    EXPECT_EQ(text(kPlain), "13");
    form.prevkey.click();  // hit at 10: the segment is 10 -> 20
    form.stop.click();     // no key at 0: the line from 10 to 20 is extended back
    EXPECT_EQ(text(kPlain), "-40");
    EXPECT_EQ(slider(kPlain), 20);  // the slider refuses -40
}

// A value equal at both keys is never written. Each shift output is interpolated only while
// its own switch is exactly 1; the amplitude outputs always are.
TEST_F(InterpolationTest, EqualValuesStayShiftOutputsFollowTheirOwnSwitchesAmplitudeOutputsAlways) {
    for (auto [left, right] : {std::pair{1, 0}, {0, 1}, {2, 2}}) {
        form.panel.ck(Free::LeftShift).set_value(left),
            form.panel.ck(Free::RightShift).set_value(right);
        key_at(0, 0);
        key_at(10, 100);
        form.panel.tx(kPlain).set_text("0");
        form.setkey.click();
        form.stop.click();
        form.play.click();
        form.Timer1.set_enabled(false);  // the synthesis tick would rewrite the shift texts
        ticks(1);
        for (P::Id k : {P::LeftShift, P::RightShift, kPlain}) form.panel.tx(k).set_text("33");
        ticks(44);
        EXPECT_EQ(text(P::LeftShift) + text(P::RightShift) + text(P::LeftAmp) + text(P::RightAmp) +
                      text(kPlain),
                  std::string(left == 1 ? "44" : "33") + (right == 1 ? "44" : "33") + "444433")
            << left << right;
        form.pause.click();
    }
}

using TransportTest = testing::FormFixture;

// Prev Key at the start goes to the first key: the segment there is 0, 0, 0.
// Every jump is told to each who joined (the media controls and a run both do).
TEST_F(TransportTest, NextAndPrevKeyWalkTheKeysAndFallToZeroPastTheEnds) {
    for (auto [second, value] : {std::pair{40, 3}, {5, 1}, {12, 2}}) key_at(second, value);
    int told[2] = {};
    const int first = form.join_jumps([&] { ++told[0]; });
    form.join_jumps([&] { ++told[1]; });
    std::string walk;
    for (char press : std::string("pnnnnnnnppp")) {
        if (press == 'n' && told[1] == 5) form.leave_jumps(first);
        (press == 'n' ? form.nextkey : form.prevkey).click();
        const int second = form.time.value();
        walk += std::to_string(second) + (second ? "=" + text(kPlain) : "") + " ";
        EXPECT_EQ(std::pair(form.timeline().playtime(), form.Text2.text()),
                  std::pair(float(second), std::to_string(second)));
    }
    EXPECT_EQ(walk, "5=1 12=2 40=3 0 0 0 0 0 12=2 5=1 0 ");
    EXPECT_EQ(std::pair(told[0], told[1]), std::pair(5, 11));
}

// Pause holds the play time while the synthesis goes on; the cursor steps move only the
// cursor, and Play goes on from the play time. Stop returns to the key at 0 and starts the
// modulators again.
TEST_F(TransportTest, PlayTwiceKeepsRunningPauseHoldsStepsMoveTheCursorStopReturnsToZero) {
    key_at(0, 25);
    key_at(10, 75);
    form.play.click();
    EXPECT_EQ(form.Timer1.interval(), 30);
    ticks(10);
    form.play.click();
    ticks(30);
    form.pause.click();
    ticks(20);
    EXPECT_EQ(shown(), "3 '3' 3.9999983 44");
    EXPECT_TRUE(form.Timer1.enabled());
    for (int i = 0; i < 3; ++i) form.oneforward.click();
    form.Text2.set_text("42");  // typing here changes nothing
    form.oneback.click();
    EXPECT_EQ(shown(), "5 '5' 3.9999983 44");
    form.play.click();
    ticks(1);
    EXPECT_EQ(shown(), "4 '4' 4.0999985 45 run");
    form.engine_for_tests().amPhase = form.engine_for_tests().shiftPhase = 5;
    form.stop.click();
    EXPECT_EQ(form.engine_for_tests().amPhase + form.engine_for_tests().shiftPhase, 0.0f);
    ticks(10);
    form.oneback.click();  // at 0 already
    EXPECT_EQ(shown(), "0 '0' 0 25");
    form.time.set_value(600);
    form.oneforward.click();
    EXPECT_EQ(form.time.value(), 600);
}

// The whole time line on the virtual clock: a hit is seen because it loads the stored
// switch over a greyed switch set before each tick. A key is hit on the tick whose play
// time rounds to its second, while the cursor still shows the second before.
TEST_F(TransportTest, WholeTimeLineHitsEveryKeyOnceAndEndsAt600) {
    const std::vector<int> keyed = {0, 1, 2, 3, 59, 60, 61, 299, 300, 301, 598, 599, 600};
    for (int s : keyed) key_at(s, s % 100);
    form.stop.click();
    form.play.click();
    Names hits, want;  // the tick of each hit and the value it loaded
    for (std::size_t i = 1; i < keyed.size(); ++i)
        want.push_back(std::to_string(10 * keyed[i]) + "=" + std::to_string(keyed[i] % 100));
    int tick = 0;
    while (form.Timer2.enabled() && tick < 6100) {
        form.panel.ck(Free::RightAmp).set_value(2);
        ticks(1);
        if (++tick == 30) {
            EXPECT_EQ(shown(), "2 '2' 2.9999993 3 run");
        }
        if (form.panel.ck(Free::RightAmp).value() != 2)
            hits.push_back(std::to_string(tick) + "=" + text(kPlain));
    }
    EXPECT_EQ(hits, want);
    EXPECT_EQ(tick, 6000);
    EXPECT_EQ(shown(), "600 '600' 600.00055 0");
    // Play at the end runs one more tick and holds again, the cursor at its last second.
    form.play.click();
    ticks(3);
    EXPECT_EQ(shown(), "600 '600' 600.10052 0");
}

}  // namespace
}  // namespace qv
