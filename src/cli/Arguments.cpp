#include "cli/Arguments.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace qv::cli {

std::optional<double> parse_decimal(std::string_view text) {
    int digits = 0;
    int points = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c == '.') {
            ++points;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || points > 1) return std::nullopt;
    double value = 0;
    const char* end = text.data() + text.size();
    auto [next, error] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    if (error != std::errc() || next != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<double> parse_duration(std::string_view text) {
    double total = 0;
    for (int field = 0;; ++field) {
        const std::size_t colon = text.find(':');
        const std::string_view part = text.substr(0, colon);
        const bool last = colon == std::string_view::npos;
        const std::size_t whole = part.find('.');
        std::optional<double> value = parse_decimal(part);
        // Only the seconds carry a fraction; a field after another is two digits below 60.
        if (!value || field > 2 || (!last && whole != std::string_view::npos)) return std::nullopt;
        if (field > 0 && (part.substr(0, whole).size() != 2 || *value >= 60)) return std::nullopt;
        total = total * 60 + *value;
        if (last) return total;
        text.remove_prefix(colon + 1);
    }
}

std::string clock_text(double seconds) {
    const long s = static_cast<long>(seconds);
    char text[32];
    if (s >= 3600) {
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    } else {
        std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    }
    return text;
}

std::optional<double> NumberOption::value() const {
    auto v = kind == Duration ? parse_duration(text) : parse_decimal(text);
    if (!v || *v < min || *v > max || (kind == Whole && *v != std::floor(*v))) return std::nullopt;
    return v;
}

std::string NumberOption::refusal() const {
    std::string what = kind == Duration ? "a number of seconds (or [h:]mm:ss)"
                       : kind == Whole  ? "a whole number"
                                        : "a number";
    if (unit) what += std::string(" of ") + unit;
    char range[64];
    std::snprintf(range, sizeof range, "between %g and %g", min, max);
    return std::string(name) + " must be " + what + " " + range;
}

}  // namespace qv::cli
