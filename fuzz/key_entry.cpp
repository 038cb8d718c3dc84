// The keyframe entry parser on any text, and every regular entry the way the time line
// uses it: a key met exactly is set again unchanged, and between it and another key the
// values follow the line from one to the other.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numeric>

#include "FuzzHarness.h"
#include "params/Numbers.h"
#include "params/ParamTable.h"
#include "timeline/KeyEntry.h"

namespace {

using namespace qv;

void parse_anything(std::string_view text) {
    for (char separator : {'.', ','}) {
        if (auto n = numbers::parse_number(text, separator)) FUZZ_CHECK(std::isfinite(*n));
    }
    numbers::text_to_value(text);
    if (auto t = key_entry::time_of(text)) FUZZ_CHECK(std::isfinite(*t));
    for (int k = 0; k < params::kCount; ++k)
        FUZZ_CHECK(std::isfinite(key_entry::field_of(text, k)));
    for (int i = 0; i < params::kSwitchCount; ++i) {
        if (auto s = key_entry::switch_of(text, i)) FUZZ_CHECK(*s >= 0 && *s <= 9);
    }
}

// The same key with every value mirrored (v -> 999 - v) at the other end of the time line.
std::string mirrored(const std::string& entry, int second) {
    std::string m = numbers::format_000(second);
    for (int k = 0; k < params::kCount; ++k) {
        m += numbers::format_000(999 - static_cast<long long>(key_entry::field_of(entry, k)));
    }
    return m + entry.substr(key_entry::kLength - params::kSwitchCount);
}

void play_regular(const std::string& entry, unsigned char where) {
    const int second = static_cast<int>(*key_entry::time_of(entry));
    FUZZ_CHECK(second >= 0 && second <= key_entry::kLastSecond);
    for (int k = 0; k < params::kCount; ++k) {
        const double v = key_entry::field_of(entry, k);
        FUZZ_CHECK(v >= 0 && v <= 999 && v == std::floor(v));
    }
    for (int i = 0; i < params::kSwitchCount; ++i) {
        const auto s = key_entry::switch_of(entry, i);
        FUZZ_CHECK(s && *s <= 2);
    }

    fuzz::Form f;
    MainForm& form = f.form;
    const int other = second < 300 ? key_entry::kLastSecond : 0;
    const std::string partner = mirrored(entry, other);
    FUZZ_CHECK(key_entry::is_regular(partner));
    form.keyframes_for_tests().add_key(entry);
    form.keyframes_for_tests().add_key(partner);

    form.timeline_for_tests().set_playtime(static_cast<float>(second));
    form.keyframes_for_tests().checkkey();
    FUZZ_CHECK(key_entry::build(second, form.panel) == entry);

    // Between the two keys every value lies on the line from one to the other, cut down to
    // a whole number; only the shift modulator's own two keep the earlier key's value
    // while their switches are not checked.
    const int first = std::min(second, other), last = std::max(second, other);
    const std::string& low = first == second ? entry : partner;
    const std::string& high = first == second ? partner : entry;
    form.timeline_for_tests().set_playtime(static_cast<float>(first));
    form.keyframes_for_tests().checkkey();
    form.timeline_for_tests().set_playtime(
        static_cast<float>(first + (last - first) * (where % 100 + 0.5) / 101.0));
    form.keyframes_for_tests().checkkey();
    const double along = (form.timeline().playtime() - first) / static_cast<double>(last - first);
    for (int k = 0; k < params::kCount; ++k) {
        const auto v = numbers::parse_number(form.panel.tx(k).text(), '.');
        const double a = key_entry::field_of(low, k), b = key_entry::field_of(high, k);
        FUZZ_CHECK(v.has_value());
        if ((k == P::LeftShift || k == P::RightShift) &&
            key_entry::switch_of(low, params::param(k).freed_by) != 1) {
            FUZZ_CHECK(*v == a);
        } else {
            const double on_line = a + (b - a) * along;
            FUZZ_CHECK(*v > on_line - 1 - 1e-9 && *v < on_line + 1e-9);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::bytes_of(data, size);
    parse_anything(text);
    if (key_entry::is_regular(text)) {
        const unsigned char where = std::accumulate(data, data + size, 0u) & 0xff;
        play_regular(std::string(text), where);
    }
    return 0;
}
