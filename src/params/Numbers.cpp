#include "params/Numbers.h"

#include <cctype>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace qv::numbers {

double round_half_away(double x) {
    return std::round(x);
}

double int_floor(double x) {
    return std::floor(x);
}

char locale_decimal_separator() {
    const std::lconv* lc = std::localeconv();
    return (lc && lc->decimal_point && lc->decimal_point[0]) ? lc->decimal_point[0] : '.';
}

std::optional<double> parse_number(std::string_view text) {
    // Plain whole numbers, what the texts nearly always hold, need no locale.
    std::size_t i = 0, n = text.size();
    while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    while (n > i && (text[n - 1] == ' ' || text[n - 1] == '\t')) --n;
    bool negative = i < n && text[i] == '-';
    if (i < n && (text[i] == '-' || text[i] == '+')) ++i;
    if (n > i && n - i < 16) {
        long long whole = 0;
        std::size_t j = i;
        while (j < n && text[j] >= '0' && text[j] <= '9') whole = whole * 10 + (text[j++] - '0');
        if (j == n) return static_cast<double>(negative ? -whole : whole);
    }
    return parse_number(text, locale_decimal_separator());
}

std::optional<double> parse_number(std::string_view text, char decimal_separator) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = 0, n = text.size();
    while (i < n && blank(text[i])) ++i;
    while (n > i && blank(text[n - 1])) --n;

    std::string plain;  // sign, digits, '.', exponent: what strtod reads in the C locale
    if (i < n && (text[i] == '+' || text[i] == '-')) plain += text[i++];
    std::size_t digits = 0;
    while (i < n && digit(text[i])) plain += text[i++], ++digits;
    if (i < n && text[i] == decimal_separator) {
        plain += '.';
        ++i;
        while (i < n && digit(text[i])) plain += text[i++], ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) plain += text[i++];
        std::size_t exp_digits = 0;
        while (i < n && digit(text[i])) plain += text[i++], ++exp_digits;
        if (exp_digits == 0) return std::nullopt;
    }
    if (i != n) return std::nullopt;

    // Parse without the locale: the separator has been normalised to '.' above.
    double value = 0;
    long long whole = 0;
    bool simple = plain.find_first_of(".e") == std::string::npos && plain.size() < 18;
    if (simple) {
        whole = std::strtoll(plain.c_str(), nullptr, 10);
        value = static_cast<double>(whole);
    } else {
        std::size_t dot = plain.find('.');
        // strtod follows LC_NUMERIC; give it the separator it expects.
        if (dot != std::string::npos) plain[dot] = locale_decimal_separator();
        value = std::strtod(plain.c_str(), nullptr);
    }
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<std::int16_t> text_to_value(std::string_view text) {
    std::optional<double> number = parse_number(text);
    if (!number) return std::nullopt;
    double r = round_half_even(*number);
    if (r < std::numeric_limits<std::int16_t>::min() ||
        r > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(r);
}

std::string value_to_text(long long value) {
    return std::to_string(value);
}

std::string format_000(long long value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, value < 0 ? "-%03lld" : "%03lld", value < 0 ? -value : value);
    return buf;
}

}  // namespace qv::numbers
