#include "timeline/KeyframeStore.h"

#include <optional>
#include <unordered_set>
#include <utility>

#include "params/Numbers.h"
#include "timeline/KeyEntry.h"

namespace qv {

namespace {

constexpr Color kMarkerColor = 0;

}  // namespace

void KeyframeStore::setkey_Click() {
    // A key holds what it will set, so a number its parameter refuses stores nothing.
    for (int k = 0; k < params::kCount; ++k) {
        const std::string& text = p_.panel.tx(k).text();
        const std::optional<double> number = numbers::parse_number(text);
        const params::Param& param = params::param(k);
        if (!number) continue;  // the slider's value is stored
        const double value = numbers::round_half_away(*number);
        if (value < param.min || value > param.max) {
            p_.report("Set Key stored nothing: the box of \"" + std::string(param.name) +
                      "\" holds " + text + ", outside its range " + std::to_string(param.min) +
                      " to " + std::to_string(param.max) + ".");
            return;
        }
    }
    const int second = p_.time.value();
    remove_key_at(second);
    add_key(key_entry::build(second, p_.panel));
}

void KeyframeStore::delkey_Click() {
    const int second = p_.time.value();
    remove_key_at(second);
    // Erased even when there was no key: the strip must never show a key the list lacks.
    draw_marker(second, p_.Picture1.back_color);
}

void KeyframeStore::remove_key_at(int second) {
    const std::string prefix = numbers::format_000(second);
    for (int i = 0; i < p_.List2.list_count(); ++i) {
        if (p_.List2.list(i).starts_with(prefix)) {
            p_.List2.remove_item(i);
            return;
        }
    }
}

void KeyframeStore::checkkey() {
    bool found = false;
    // The play time grows by float steps of 0.1 and only comes near a whole second
    // (2.9999993 after 30 steps): rounded to tenths, every second is met exactly once.
    const double tenths =
        numbers::round_half_away(static_cast<double>(p_.timeline.playtime()) * 10);
    for (int i = 0; i < p_.List2.list_count(); ++i) {
        const std::string& e = p_.List2.list(i);
        const std::optional<double> key_time = key_entry::time_of(e);
        if (!key_time || tenths != 10 * *key_time) continue;

        // The texts go first, so their coupling still sees the switches from before.
        for (int k = 0; k < params::kCount; ++k) {
            const double v = numbers::int_floor(key_entry::field_of(e, k));
            p_.panel.tx(k).set_text(numbers::value_to_text(static_cast<long long>(v)));
        }
        for (int s = 0; s < params::kSwitchCount; ++s) {
            if (auto state = key_entry::switch_of(e, s)) p_.panel.ck(s).set_value(*state);
        }
        p_.timeline.met_key(i);
        found = true;
        // No break: a later entry of the same second is loaded over this one.
    }
    if (!found) p_.interpolation.calculate();
}

void KeyframeStore::clear_keys() {
    // The list is sorted, so keys of one second lie together and share one marker.
    std::optional<double> erased;
    for (const std::string& e : p_.List2.items()) {
        auto second = key_entry::time_of(e);
        if (second && second != erased) draw_marker(*second, p_.Picture1.back_color);
        if (second) erased = second;
    }
    p_.List2.clear();
}

void KeyframeStore::replace_keys(std::vector<std::string> entries) {
    clear_keys();
    // A marker drawn again moves to the top of the strip's drawing; drawing each second
    // once, in the order of its last key, leaves the strip as key by key would.
    std::vector<double> seconds;
    std::unordered_set<double> seen;
    for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
        if (auto second = key_entry::time_of(*e); second && seen.insert(*second).second) {
            seconds.push_back(*second);
        }
    }
    p_.List2.assign(std::move(entries));
    for (auto s = seconds.rbegin(); s != seconds.rend(); ++s) draw_marker(*s, kMarkerColor);
}

void KeyframeStore::add_key(std::string entry) {
    const std::optional<double> second = key_entry::time_of(entry);
    p_.List2.add_item(std::move(entry));
    if (second) draw_marker(*second, kMarkerColor);
}

void KeyframeStore::draw_marker(double second, Color color) {
    const float x = static_cast<float>(20.0 + 14.23 * second);
    p_.Picture1.line(x, 0, x, 200, color);
}

}  // namespace qv
