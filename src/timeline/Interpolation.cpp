#include "timeline/Interpolation.h"

#include <cmath>
#include <optional>

#include "params/Numbers.h"
#include "timeline/KeyEntry.h"

namespace qv {

namespace {

bool is_shift(int k) {
    return k == P::LeftShift || k == P::RightShift;
}

}  // namespace

void Interpolation::calculate() {
    const std::string& c = key_entry::at(p_.List2, p_.timeline.curkeyidx());
    const std::string& n = key_entry::at(p_.List2, p_.timeline.nextkeyidx());
    const std::optional<double> tc = key_entry::time_of(c);
    const std::optional<double> tn = key_entry::time_of(n);
    const double t = p_.timeline.playtime();
    // An absent entry has no time, and two keys at one second give no line: nothing
    // between them can be computed, so every parameter keeps its text.
    const bool has_line = tc && tn && *tn != *tc;

    for (int k = 0; k < params::kCount; ++k) {
        const double cv = key_entry::field_of(c, k);
        const double nv = key_entry::field_of(n, k);
        if (cv == nv || !has_line) continue;
        // The same line written from its two ends: falling values from the next key,
        // rising ones from the current key. Int() turns the last bits of v into a whole
        // unit, so the two forms are not interchangeable.
        const double v = cv > nv ? nv + (cv - nv) * (*tn - t) / (*tn - *tc)
                                 : cv + (nv - cv) * (t - *tc) / (*tn - *tc);
        // While their switches are not checked, the shift modulator owns the shifts.
        if (is_shift(k) && p_.panel.ck(params::param(k).freed_by).value() != 1) continue;
        p_.panel.tx(k).set_text(
            numbers::value_to_text(static_cast<long long>(numbers::int_floor(v))));
    }

    if (n.empty() && on_keys_ended) on_keys_ended();
}

}  // namespace qv
