#include <string>

#include "FormFixture.h"

namespace qv {
namespace {

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

using KeyframeStoreTest = testing::FormFixture;

TEST_F(KeyframeStoreTest, SetKeyStoresTheCursorSecondTheTextsAndTheSwitches) {
    form.panel.ck(0).set_value(1);
    form.panel.ck(2).set_value(1);
    key_at(7, 50);
    ASSERT_EQ(form.List2.list_count(), 1);
    EXPECT_EQ(form.List2.list(0), "007" + repeat("050", 38) + "1010");

    form.panel.ck(1).set_value(2);  // the greyed state is stored as its digit
    key_at(0, 100);
    key_at(600, 3);
    EXPECT_EQ(form.List2.list(0), "000" + repeat("100", 38) + "1210");
    EXPECT_EQ(form.List2.list(2), "600" + repeat("003", 38) + "1210");
}

TEST_F(KeyframeStoreTest, EveryFieldStaysThreeDigitsWide) {
    key_at(1, 40);
    form.panel.hsc(27).set_value(61);
    form.panel.tx(26).set_text("1500");  // clamped to the widest field
    form.panel.tx(27).set_text("abc");   // no number: the slider's value
    form.panel.tx(28).set_text("-3");
    form.panel.tx(29).set_text("102.5");  // halves away from zero; the slider refuses it
    form.panel.tx(30).set_text("998.7");
    form.panel.tx(31).set_text(" 7 ");
    form.setkey.click();
    const std::string& e = form.List2.list(0);
    ASSERT_EQ(e.size(), 121u);
    EXPECT_EQ(e.substr(3 + 3 * 26, 18), "999061000103999007");
    EXPECT_EQ(e.substr(0, 3), "001");
}

TEST_F(KeyframeStoreTest, TextsEmptyBeforeTheFirstSynthesisTickStoreTheirSliders) {
    // tx(0)..tx(25) start empty; the sliders hold the defaults (sc(24) at 100).
    form.setkey.click();
    const std::string& e = form.List2.list(0);
    ASSERT_EQ(e.size(), 121u);
    EXPECT_EQ(e.substr(3 + 3 * 24, 3), "100");
    EXPECT_EQ(e.substr(3 + 3 * 9, 3), "020");
}

TEST_F(KeyframeStoreTest, ListIsInTimeOrderWithOneEntryPerSecond) {
    key_at(12, 1);
    key_at(5, 2);
    key_at(12, 3);  // replaces the first press
    ASSERT_EQ(form.List2.list_count(), 2);
    EXPECT_EQ(form.List2.list(0).substr(0, 6), "005002");
    EXPECT_EQ(form.List2.list(1).substr(0, 6), "012003");

    form.time.set_value(9);
    form.delkey.click();  // no key at 9: nothing removed
    EXPECT_EQ(form.List2.list_count(), 2);
    form.time.set_value(5);
    form.delkey.click();
    ASSERT_EQ(form.List2.list_count(), 1);
    EXPECT_EQ(form.List2.list(0).substr(0, 3), "012");
}

TEST_F(KeyframeStoreTest, MarkersShowKeysInBlackAndDeleteErasesThem) {
    auto marker = [&](float x) -> const PictureBox::Op* {
        for (const auto& op : form.Picture1.ops()) {
            if (op.kind == PictureBox::Op::Kind::Line && op.x1 == x) return &op;
        }
        return nullptr;
    };
    key_at(0, 1);
    key_at(600, 1);
    key_at(12, 1);
    const float x12 = static_cast<float>(20.0 + 14.23 * 12);
    ASSERT_NE(marker(20.0f), nullptr);
    ASSERT_NE(marker(8558.0f), nullptr);
    ASSERT_NE(marker(x12), nullptr);
    EXPECT_EQ(marker(x12)->color, 0);
    EXPECT_EQ(marker(x12)->y1, 0.0f);
    EXPECT_EQ(marker(x12)->y2, 200.0f);

    form.time.set_value(12);
    form.delkey.click();
    ASSERT_NE(marker(x12), nullptr);
    EXPECT_EQ(marker(x12)->color, form.Picture1.back_color);
    EXPECT_NE(form.Picture1.back_color, 0);
    EXPECT_EQ(form.Picture1.ops().size(), 3u);  // erasing drew over the marker

    form.time.set_value(300);
    form.delkey.click();  // erased even where there was no key
    const float x300 = static_cast<float>(20.0 + 14.23 * 300);
    ASSERT_NE(marker(x300), nullptr);
    EXPECT_EQ(marker(x300)->color, form.Picture1.back_color);
}

TEST_F(KeyframeStoreTest, SetKeyNeitherLoadsNorMovesThePlayTime) {
    key_at(3, 60);
    form.panel.tx(30).set_text("11");
    EXPECT_EQ(form.playtime, 0.0f);
    EXPECT_EQ(form.curkeyidx, 0.0f);
    EXPECT_EQ(text(30), "11");
}

TEST_F(KeyframeStoreTest, HitLoadsTextsBeforeSwitchesAndRecordsTheSegment) {
    for (int k = 0; k < params::kCount; ++k) form.panel.tx(k).set_text("10");
    form.panel.ck(0).set_value(1);  // checked only for the stored key: sc(24) stays at 100
    form.setkey.click();
    form.panel.ck(0).set_value(0);
    key_at(5, 7);
    key_at(9, 30);

    // Recalling the key at 0 with ck(0) unchecked: tx(24) takes the stored 10, but its
    // coupling still sees the unchecked switch, so sc(24) stays; then ck(0) is checked.
    form.panel.ck(0).set_value(0);
    form.stop.click();
    EXPECT_EQ(text(24), "10");
    EXPECT_EQ(form.panel.sc(24).value(), 100);
    EXPECT_EQ(form.panel.ck(0).value(), 1);
    EXPECT_EQ(form.prevkeyidx, -1.0f);
    EXPECT_EQ(form.curkeyidx, 0.0f);
    EXPECT_EQ(form.nextkeyidx, 1.0f);

    form.nextkey.click();  // second 5: "007" comes back as "7"
    EXPECT_EQ(text(3), "7");
    EXPECT_EQ(form.panel.sc(3).value(), 7);
    form.nextkey.click();
    EXPECT_EQ(form.nextkeyidx, 3.0f);  // past the last of three entries
}

TEST_F(KeyframeStoreTest, LaterEntryOfTheSameSecondWins) {
    // Only a setup file written elsewhere can hold two entries for one second.
    key_at(4, 20);
    form.List2.add_item("004" + repeat("070", 38) + "0000");
    form.nextkey.click();
    EXPECT_EQ(text(30), "70");
    EXPECT_EQ(form.curkeyidx, 1.0f);
}

}  // namespace
}  // namespace qv
