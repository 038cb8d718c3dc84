#include "cli/Arguments.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

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

namespace {

// The length of the UTF-8 character at the start of `text`, or 0 where none starts.
std::size_t utf8_length(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    const std::size_t n = lead < 0x80                   ? 1
                          : lead >= 0xC2 && lead < 0xE0 ? 2
                          : lead >= 0xE0 && lead < 0xF0 ? 3
                          : lead >= 0xF0 && lead < 0xF5 ? 4
                                                        : 0;
    if (n == 0 || text.size() < n) return 0;
    for (std::size_t i = 1; i < n; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
    }
    // No overlong forms, no surrogates, nothing past U+10FFFF.
    if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0) ||
        (lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) >= 0x90)) {
        return 0;
    }
    return n;
}

std::string escaped(unsigned char c, const char* form = "\\x%02x") {
    switch (c) {
        case '\a':
            return "\\a";
        case '\b':
            return "\\b";
        case '\t':
            return "\\t";
        case '\n':
            return "\\n";
        case '\v':
            return "\\v";
        case '\f':
            return "\\f";
        case '\r':
            return "\\r";
        case 0x1B:
            return "\\033";
        default: {
            char text[8];
            std::snprintf(text, sizeof text, form, c);
            return text;
        }
    }
}

}  // namespace

std::string printable(std::string_view text) {
    std::string shown;
    while (!text.empty()) {
        const std::size_t n = utf8_length(text);
        const auto lead = static_cast<unsigned char>(text[0]);
        if (n == 0) {
            shown += escaped(lead);
        } else if (n == 1 && (lead < 0x20 || lead == 0x7F)) {
            shown += escaped(lead);
        } else if (n == 2 && lead == 0xC2 && static_cast<unsigned char>(text[1]) < 0xA0) {
            shown += escaped(static_cast<unsigned char>(text[1]), "\\u%04x");
        } else {
            shown += text.substr(0, n);
        }
        text.remove_prefix(std::max<std::size_t>(n, 1));
    }
    return shown;
}

}  // namespace qv::cli
