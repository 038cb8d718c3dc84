#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The program's number conversions in one place. Slider values, playback rates, sample
// bytes and colours round halves to the even neighbour; "000" keyframe fields and the
// keyframe hit test round halves away from zero; interpolated values are cut down with
// Int(), which is floor.
namespace qv::numbers {

// Halves to the even neighbour (2.5 -> 2, 3.5 -> 4). Inline: the synthesis tick rounds
// hundreds of values per tick.
inline double round_half_even(double x) {
    // Adding and taking away 1.5 * 2^52 leaves x rounded to a whole number by the
    // hardware's own rounding, which is to the nearest with halves to even. Beyond 2^51
    // every double is already whole or a half that nearbyint settles the same way.
    constexpr double kShift = 6755399441055744.0;
    if (std::fabs(x) < 2251799813685248.0) return (x + kShift) - kShift;
    return std::nearbyint(x);
}
// Halves away from zero (2.5 -> 3, -2.5 -> -3).
double round_half_away(double x);
// The largest whole number not above x.
double int_floor(double x);

// A text read as a decimal number: blanks around it allowed, an optional sign, digits
// with the user's decimal separator, an optional exponent. Anything else gives no number.
std::optional<double> parse_number(std::string_view text);
// As parse_number with the given decimal separator instead of the user's.
std::optional<double> parse_number(std::string_view text, char decimal_separator);

// A text as a slider would take it: the number rounded halves to even into the 16-bit
// range; no value when the text is not a number or the result leaves that range.
std::optional<std::int16_t> text_to_value(std::string_view text);

// Plain decimal digits with a minus sign when negative and no leading blank.
std::string value_to_text(long long value);

// At least three digits, zero-padded on the left ("7" -> "007", "-4" -> "-004").
std::string format_000(long long value);

// The decimal separator of the user's locale (from the C library's LC_NUMERIC).
char locale_decimal_separator();

}  // namespace qv::numbers
