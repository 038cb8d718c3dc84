#pragma once

#include <optional>
#include <string_view>

// Numbers from a command line, read the way a person writes them, so that a typo or a
// careless script gives a clear refusal instead of an endless or empty run.
namespace qv::cli {

// Digits with at most one decimal point ("48000", "0.5", ".5"); no sign, exponent,
// "inf" or "nan".
std::optional<double> parse_decimal(std::string_view text);

// A length of time: seconds as a decimal number ("90", "2.5") or [h:]mm:ss, where only
// the seconds may carry a fraction and minutes and seconds stay below 60 after a field
// before them ("1:30", "1:02:03.5").
std::optional<double> parse_duration(std::string_view text);

}  // namespace qv::cli
