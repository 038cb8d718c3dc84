#include "timeline/KeyEntry.h"

#include <algorithm>

#include "params/Numbers.h"

namespace qv::key_entry {

namespace {

constexpr int kTimeWidth = 3;
constexpr int kFieldWidth = 3;
constexpr int kSwitchesAt = kTimeWidth + params::kCount * kFieldWidth;  // 114

std::string_view slice(std::string_view entry, std::size_t pos, std::size_t width) {
    return pos < entry.size() ? entry.substr(pos, width) : std::string_view();
}

}  // namespace

std::string build(int second, Panel& panel) {
    std::string entry = numbers::format_000(second);
    for (int k = 0; k < params::kCount; ++k) {
        long long value = panel.bar(k).value();
        if (auto number = numbers::parse_number(panel.tx(k).text())) {
            value =
                static_cast<long long>(std::clamp(numbers::round_half_away(*number), 0.0, 999.0));
        }
        entry += numbers::format_000(value);
    }
    for (int i = 0; i < params::kSwitchCount; ++i) {
        entry += numbers::value_to_text(panel.ck(i).value()).back();
    }
    return entry;
}

std::optional<double> time_of(std::string_view entry) {
    return numbers::parse_number(slice(entry, 0, kTimeWidth));
}

double field_of(std::string_view entry, int k) {
    auto number = numbers::parse_number(
        slice(entry, kTimeWidth + static_cast<std::size_t>(k) * kFieldWidth, kFieldWidth));
    return number.value_or(0.0);
}

std::optional<int> switch_of(std::string_view entry, int i) {
    std::string_view c = slice(entry, kSwitchesAt + static_cast<std::size_t>(i), 1);
    if (c.empty() || c[0] < '0' || c[0] > '9') return std::nullopt;
    return c[0] - '0';
}

bool is_regular(std::string_view entry) {
    if (entry.size() != kLength) return false;
    if (!std::all_of(entry.begin(), entry.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    if (*time_of(entry) > kLastSecond) return false;
    for (int i = 0; i < params::kSwitchCount; ++i) {
        if (*switch_of(entry, i) > 2) return false;
    }
    return true;
}

const std::string& at(const ListBox& list, float position) {
    return list.list(static_cast<long>(numbers::round_half_even(position)));
}

}  // namespace qv::key_entry
