#include "FormFixture.h"

namespace qv {
namespace {

std::string repeat(const std::string& s, int n) {
    std::string out;
    while (n-- > 0) out += s;
    return out;
}

using KeyframeStoreTest = testing::FormFixture;

TEST_F(KeyframeStoreTest, SetKeyStoresTheCursorSecondTheTextsAndTheSwitchesOncePerSecondInOrder) {
    form.panel.ck(0).set_value(1);
    form.panel.ck(2).set_value(1);
    key_at(7, 50);
    EXPECT_EQ(form.List2.items(), std::vector<std::string>{"007" + repeat("050", 38) + "1010"});
    form.panel.ck(1).set_value(2);  // the greyed state is stored as its digit
    key_at(600, 3);
    key_at(0, 1);
    key_at(7, 100);  // replaces the first press
    EXPECT_EQ(form.List2.items(), (std::vector<std::string>{"000" + repeat("001", 38) + "1210",
                                                            "007" + repeat("100", 38) + "1210",
                                                            "600" + repeat("003", 38) + "1210"}));
    form.time.set_value(9);
    form.delkey.click();  // no key at 9: nothing removed
    form.time.set_value(7);
    form.delkey.click();
    EXPECT_EQ(form.List2.list_count(), 2);
    EXPECT_EQ(form.List2.list(1).substr(0, 3), "600");
}

// A field whose number rounds outside 0..999 is clamped into it; a text that gives no
// number (an empty one too, as before the first synthesis tick) stores its slider's value.
TEST_F(KeyframeStoreTest, EveryFieldStaysThreeDigitsWide) {
    form.time.set_value(1);
    form.setkey.click();
    EXPECT_EQ(form.List2.list(0).substr(3 + 3 * 9, 3), "020");
    EXPECT_EQ(form.List2.list(0).substr(3 + 3 * 24, 3), "100");
    form.panel.hsc(27).set_value(61);
    form.panel.tx(26).set_text("1500");
    form.panel.tx(27).set_text("abc");
    form.panel.tx(28).set_text("-3");
    form.panel.tx(29).set_text("102.5");  // halves away from zero; the slider refuses it
    form.panel.tx(30).set_text("998.7");
    form.panel.tx(31).set_text(" 7 ");
    form.setkey.click();
    ASSERT_EQ(form.List2.list(0).size(), 121u);
    EXPECT_EQ(form.List2.list(0).substr(3 + 3 * 26, 18), "999061000103999007");
}

TEST_F(KeyframeStoreTest, MarkersShowKeysInBlackAndDeleteErasesThem) {
    auto marker = [&](int second) -> Color {
        const float x = static_cast<float>(20.0 + 14.23 * second);
        for (const auto& op : form.Picture1.ops())
            if (op.kind == PictureBox::Op::Kind::Line && op.x1 == x && op.y1 == 0 && op.y2 == 200)
                return op.color;
        return -1;
    };
    key_at(0, 1);
    key_at(600, 1);
    key_at(12, 1);
    EXPECT_EQ(marker(0), 0);
    EXPECT_EQ(marker(600), 0);
    EXPECT_EQ(marker(12), 0);
    form.time.set_value(12);
    form.delkey.click();
    EXPECT_EQ(marker(12), form.Picture1.back_color);
    EXPECT_NE(form.Picture1.back_color, 0);
    EXPECT_EQ(form.Picture1.ops().size(), 3u);  // erasing drew over the marker
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
    form.stop.click();
    EXPECT_EQ(text(24), "10");
    EXPECT_EQ(form.panel.sc(24).value(), 100);
    EXPECT_EQ(form.panel.ck(0).value(), 1);
    EXPECT_EQ(std::vector<float>({form.timeline.prevkeyidx(), form.timeline.curkeyidx(),
                                  form.timeline.nextkeyidx()}),
              (std::vector<float>{-1, 0, 1}));
    form.nextkey.click();  // second 5: "007" comes back as "7"
    EXPECT_EQ(text(3), "7");
    EXPECT_EQ(form.panel.sc(3).value(), 7);
    // Only a setup file written elsewhere can hold two entries for one second: the scan
    // goes on after a hit, so the later one wins.
    form.List2.add_item("005" + repeat("070", 38) + "0000");
    form.time.set_value(0);
    form.nextkey.click();
    EXPECT_EQ(text(30), "70");
    EXPECT_EQ(std::vector<float>({form.timeline.prevkeyidx(), form.timeline.curkeyidx(),
                                  form.timeline.nextkeyidx()}),
              (std::vector<float>{1, 2, 3}));
}

}  // namespace
}  // namespace qv
