#include <gtest/gtest.h>

#include "app/PanelCoupling.h"
#include "params/Numbers.h"
#include "params/Panel.h"

namespace qv {
namespace {

TEST(Numbers, RoundingAndParsing) {
    using namespace numbers;
    EXPECT_EQ((std::vector{round_half_even(2.5), round_half_even(-2.5), round_half_even(9001.5),
                           round_half_away(2.5), round_half_away(-2.5), int_floor(-3.5)}),
              (std::vector<double>{2, -2, 9002, 3, -3, -4}));
    EXPECT_EQ((std::vector{parse_number(" +.5 ", '.'), parse_number("1e2", '.'),
                           parse_number("2,5", ',')}),
              (std::vector<std::optional<double>>{0.5, 100, 2.5}));
    for (const char* bad : {"2,5", "", "-", "4 2", "1e", "abc"})
        EXPECT_FALSE(parse_number(bad, '.')) << bad;
    EXPECT_EQ(text_to_value("-32768"), -32768);
    EXPECT_FALSE(text_to_value("32767.5"));  // rounds to 32768
}

// The panel as the window opens: every parameter's range, value, slider and text box
// (twips) and text, and every switch's place and the slider it frees.
TEST(Panel, OpensWithEveryParameterInItsPlace) {
    using R = std::array<int, 4>;
    // The slider's range, value and box, then the text box's left and top and its text.
    const std::tuple<P::Id, int, int, int, R, int, int, const char*> rows[] = {
        {P::LeftPartial1, 0, 100, 0, {240, 480, 375, 2055}, 240, 2640, ""},
        {P::LeftPartial2, 0, 100, 0, {720, 480, 375, 2055}, 720, 2640, ""},
        {P::LeftPartial3, 0, 100, 0, {1200, 480, 375, 2055}, 1200, 2640, ""},
        {P::LeftPartial4, 0, 100, 0, {1680, 480, 375, 2055}, 1680, 2640, ""},
        {P::RightPartial1, 0, 100, 0, {5760, 480, 375, 2055}, 5760, 2640, ""},
        {P::RightPartial2, 0, 100, 0, {6240, 480, 375, 2055}, 6240, 2640, ""},
        {P::RightPartial3, 0, 100, 0, {6720, 480, 375, 2055}, 6720, 2640, ""},
        {P::RightPartial4, 0, 100, 0, {7200, 480, 375, 2055}, 7200, 2640, ""},
        {P::Freq, 0, 50, 15, {6240, 4200, 375, 1935}, 6240, 6240, ""},
        {P::Tune, 0, 100, 20, {6720, 4200, 375, 1935}, 6720, 6240, ""},
        {P::AmBase, 0, 100, 50, {1200, 4200, 375, 1935}, 1200, 6240, ""},
        {P::AmSpeed, 0, 100, 0, {1680, 4200, 375, 1935}, 1680, 6240, ""},
        {P::AmDepth, 0, 50, 0, {2160, 4200, 375, 1935}, 2160, 6240, ""},
        {P::AmOffset, 0, 100, 0, {2640, 4200, 375, 1935}, 2640, 6240, ""},
        {P::Pan, 0, 20, 10, {8280, 4200, 375, 1935}, 8280, 6240, ""},
        {P::Vol, 0, 100, 0, {8760, 4200, 375, 1935}, 8760, 6240, ""},
        {P::ShiftSpeed, 0, 100, 0, {4320, 4200, 375, 1935}, 4320, 6240, ""},
        {P::ShiftDepth, 0, 100, 0, {4800, 4200, 375, 1935}, 4800, 6240, ""},
        {P::ShiftOffset, 0, 100, 0, {5280, 4200, 375, 1935}, 5280, 6240, ""},
        {P::ShiftSync, 0, 100, 0, {5760, 4200, 375, 1935}, 5760, 6240, ""},
        {P::Diff, 0, 100, 0, {7200, 4200, 375, 1935}, 7200, 6240, ""},
        {P::DiffSync, 0, 100, 0, {7680, 4200, 375, 1935}, 7680, 6240, ""},
        {P::LeftShift, 0, 100, 50, {3360, 4200, 375, 1935}, 3360, 6240, ""},
        {P::RightShift, 0, 100, 50, {3840, 4200, 375, 1935}, 3840, 6240, ""},
        {P::LeftAmp, 0, 100, 100, {240, 4200, 375, 1935}, 240, 6240, ""},
        {P::RightAmp, 0, 100, 100, {720, 4200, 375, 1935}, 720, 6240, ""},
        {P::LeftPhase1, 0, 100, 0, {240, 3240, 375, 255}, 240, 3000, "0"},
        {P::LeftPhase2, 0, 100, 0, {720, 3240, 375, 255}, 720, 3000, "0"},
        {P::LeftPhase3, 0, 100, 0, {1200, 3240, 375, 255}, 1200, 3000, "0"},
        {P::LeftPhase4, 0, 100, 0, {1680, 3240, 375, 255}, 1680, 3000, "0"},
        {P::RightPhase1, 0, 100, 0, {5760, 3240, 375, 255}, 5760, 3000, "0"},
        {P::RightPhase2, 0, 100, 0, {6240, 3240, 375, 255}, 6240, 3000, "0"},
        {P::RightPhase3, 0, 100, 0, {6720, 3240, 375, 255}, 6720, 3000, "0"},
        {P::RightPhase4, 0, 100, 0, {7200, 3240, 375, 255}, 7200, 3000, "0"},
        {P::LeftOn, 0, 100, 100, {480, 7680, 735, 255}, 1200, 7680, "100"},
        {P::RightOn, 0, 100, 100, {480, 8040, 735, 255}, 1200, 8040, "100"},
        {P::SwitchOffset, 0, 100, 0, {2160, 7680, 735, 255}, 2880, 7680, "0"},
        {P::SwitchSpeed, 0, 100, 0, {2160, 8040, 735, 255}, 2880, 8040, "0"},
    };
    Panel panel;
    auto box = [](const Rect& r) { return R{r.left, r.top, r.width, r.height}; };
    ASSERT_EQ(std::size(rows), std::size_t(params::kCount));
    for (int k = 0; k < params::kCount; ++k) {
        const ScrollBar& bar = panel.bar(k);
        const TextBox& text = panel.tx(k);
        const R place = std::get<4>(rows[k]);
        EXPECT_EQ(std::tuple(P::Id(k), bar.min(), bar.max(), bar.value(), box(bar.rect),
                             text.rect.left, text.rect.top, text.text()),
                  rows[k]);
        EXPECT_EQ(std::tuple(text.rect.width, text.rect.height, bar.visible() && text.visible(),
                             bar.orientation() == ScrollBar::Orientation::Vertical),
                  std::tuple(375, 285, k != P::Freq, place[3] > place[2]))
            << k;
    }
    for (auto [i, place, frees] : {std::tuple{Free::LeftAmp, R{240, 6600, 200, 195}, P::LeftAmp},
                                   {Free::RightAmp, R{885, 6600, 200, 195}, P::RightAmp},
                                   {Free::LeftShift, R{3360, 6600, 200, 195}, P::LeftShift},
                                   {Free::RightShift, R{4020, 6600, 200, 195}, P::RightShift}})
        EXPECT_EQ(
            std::tuple(box(panel.ck(i).rect), panel.ck(i).value(), params::param(frees).freed_by),
            std::tuple(place, 0, int(i)));
}

// A text typed into a parameter's box while its slider stands at `before`: where the
// slider ends and what the text then holds.
TEST(Coupling, TypedTextsMoveTheirSliderAndTheLoopStopsByItself) {
    const std::tuple<P::Id, int, const char*, int, const char*> cases[] = {
        {P::LeftPartial4, 0, "050", 50, "50"},  // the slider's change writes the plain form back
        {P::RightPhase1, 0, " 42 ", 42, "42"},  // blanks around the number
        {P::Tune, 20, "30.5", 30, "30"},        // halves to even
        {P::Tune, 20, "31.5", 32, "32"},
        {P::LeftPhase1, 7, "150", 7, "150"},     // refused by the slider: both stay as they are
        {P::AmDepth, 10, "60", 10, "60"},        // depth stops at 50
        {P::Tune, 20, "99999", 20, "99999"},     // beyond 16 bits
        {P::RightPhase1, 42, "abc", 42, "abc"},  // no number
        {P::SwitchOffset, 40, "", 0, "0"},       // emptied: "0", whose own event moves the slider
        {P::LeftAmp, 100, "80", 100, "80"},      // its switch unchecked: the AM modulator owns it
    };
    for (auto [k, before, typed, slider, shown] : cases) {
        Panel panel;
        couple(panel);
        ASSERT_TRUE(panel.bar(k).set_value(before));
        panel.tx(k).set_text(typed);
        EXPECT_EQ(std::tuple(panel.bar(k).value(), panel.tx(k).text()),
                  std::tuple(slider, std::string(shown)))
            << k << " '" << typed << "'";
    }
}

// Each switch frees its own slider; greyed is not checked for the coupling.
TEST(Coupling, ModulatedSlidersFollowTheirTextsOnlyWhileTheirSwitchIsExactlyOne) {
    Panel panel;
    couple(panel);
    const std::tuple<Free::Id, int, P::Id, const char*, int> cases[] = {
        {Free::LeftAmp, 1, P::LeftAmp, "70", 70},
        {Free::LeftShift, 2, P::LeftShift, "10", 50},
        {Free::RightShift, 1, P::RightShift, "10", 10},
        {Free::RightAmp, 1, P::RightAmp, "5", 5}};
    for (auto [i, state, k, typed, slider] : cases) {
        panel.ck(i).set_value(state);
        panel.tx(k).set_text(typed);
        EXPECT_EQ(panel.sc(k).value(), slider) << k;
    }
}

}  // namespace
}  // namespace qv
