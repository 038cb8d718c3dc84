#include "timeline/Transport.h"

#include <algorithm>

#include "params/Numbers.h"
#include "timeline/KeyEntry.h"

namespace qv {

std::optional<std::int64_t> Transport::end_ms() const {
    const int last =
        static_cast<int>(key_entry::time_of(p_.List2.list(p_.List2.list_count() - 1)).value_or(0));
    // The transport hits the last key on its 10 x last-th tick and is done one tick later;
    // at 600 s it stops on the tick that hits.
    if (last <= 0) return std::nullopt;
    return 100LL * std::min(10LL * last + 1, 10LL * kLastSecond);
}

void Transport::time_Change() {
    p_.Text2.set_text(numbers::value_to_text(p_.time.value()));
}

void Transport::oneback_Click() {
    if (p_.time.value() > 0) p_.time.set_value(p_.time.value() - 1);
}

void Transport::oneforward_Click() {
    if (p_.time.value() < kLastSecond) p_.time.set_value(p_.time.value() + 1);
}

void Transport::nextkey_Click() {
    jump_to_key(p_.timeline.nextkeyidx());
}

void Transport::prevkey_Click() {
    jump_to_key(p_.timeline.prevkeyidx());
}

void Transport::jump_to_key(float position) {
    // Past either end of the list there is no entry, and the jump goes to second 0.
    const double second = key_entry::time_of(key_entry::at(p_.List2, position)).value_or(0.0);
    p_.time.set_value(static_cast<long>(numbers::round_half_even(second)));
    p_.timeline.set_playtime(static_cast<float>(p_.time.value()));
    p_.keys.checkkey();
}

void Transport::play_Click() {
    p_.Timer1.set_enabled(true);
    p_.Timer2.set_enabled(true);
    p_.reopen_sound();
    p_.Timer1.set_interval(30);
    p_.keys.checkkey();
}

void Transport::pause_Click() {
    p_.play.set_enabled(true);
    p_.Timer1.set_enabled(true);
    p_.Timer2.set_enabled(false);
}

void Transport::stop_Click() {
    p_.Timer2.set_enabled(false);
    if (p_.reset_modulator_phases) p_.reset_modulator_phases();
    p_.time.set_value(0);
    p_.Text2.set_text("0");
    p_.play.set_enabled(true);
    p_.timeline.set_playtime(0);
    p_.keys.checkkey();
}

void Transport::Timer2_Timer() {
    p_.timeline.advance();
    // Beyond 600 s the cursor refuses the value and keeps its last second.
    p_.time.set_value(static_cast<long>(numbers::int_floor(p_.timeline.playtime())));
    p_.Text2.set_text(numbers::value_to_text(p_.time.value()));
    p_.keys.checkkey();

    // Outside a session the time line ends with the cursor's range: the tick that reaches
    // 600.0 s still loads a keyframe at 600, then the transport holds as if paused.
    const double tenths =
        numbers::round_half_away(static_cast<double>(p_.timeline.playtime()) * 10);
    if (!p_.in_session() && tenths >= kLastSecond * 10) {
        pause_Click();
        p_.time.set_value(kLastSecond);
        p_.Text2.set_text(numbers::value_to_text(kLastSecond));
    }
}

}  // namespace qv
