#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "controls/ListBox.h"
#include "params/Panel.h"

// A keyframe as one text of 121 digits: the second ("000" to "600"), the 38 parameter
// texts as "000" fields, then one digit per "Free" switch. The keyframe list, the hit
// test, interpolation and the setup file all share this layout, so every entry is built
// and read here and nowhere else.
namespace qv::key_entry {

inline constexpr int kLength = 121;
inline constexpr int kLastSecond = 600;

// The panel's snapshot at `second`. Every field stays three digits wide: a number that
// rounds outside 0..999 is clamped into it, and a text that gives no number stores the
// value its slider holds.
std::string build(int second, Panel& panel);

// The key time, or none for an absent entry (the empty text) or one that does not start
// with a number.
std::optional<double> time_of(std::string_view entry);
// Parameter k's stored value; an absent entry or a field without a number gives 0.
double field_of(std::string_view entry, int k);
// The stored state of switch i, or none when that character is not a digit.
std::optional<int> switch_of(std::string_view entry, int i);

// Whether a line read from a file is an entry the rest of the program can rely on:
// 121 digits, a second not above 600 and switch states 0, 1 or 2.
bool is_regular(std::string_view entry);

// The entry at a recorded list position (a float holding a whole number); the empty
// text where the list has no entry.
const std::string& at(const ListBox& list, float position);

}  // namespace qv::key_entry
