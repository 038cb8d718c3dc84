#pragma once

#include <optional>
#include <string>
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

// A length of time as a person reads it: "4:05", "1:02:03" (whole seconds).
std::string clock_text(double seconds);

// Text from a file made safe for a terminal: control characters (C0, DEL, C1) and bytes
// that are no UTF-8 are shown escaped ("\033", "\a", "\x9b", "\u009b"), so that a name
// cannot set a terminal's title or clear its screen; other characters stay as they are.
std::string printable(std::string_view text);

// A number option, given as text and checked after the command line is read, so that every
// refusal reads the same way: "--duration must be a number of seconds (or [h:]mm:ss)
// between 0.001 and 86400".
struct NumberOption {
    const char* name;
    std::string text;  // as given; empty when not given
    double min;
    double max;
    enum Kind { Decimal, Whole, Duration } kind;
    const char* unit = nullptr;  // "Hz": "a whole number of Hz"

    std::optional<double> value() const;
    std::string refusal() const;
};

}  // namespace qv::cli
