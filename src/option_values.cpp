#include "option_values.hpp"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace exp_slipv {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// [+-] digits [. [digits]] | [+-] . digits, then [eE [+-] digits]; returns
// whether the text is exactly such a number.
bool is_decimal_number(std::string_view text) {
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t start = i;
        while (i < text.size() && is_digit(text[i])) ++i;
        return i - start;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t mantissa_digits = digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        mantissa_digits += digits();
    }
    if (mantissa_digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        if (digits() == 0) return false;
    }
    return i == text.size();
}

// Whether every digit of the mantissa is zero: "0", "-0.000e5".
bool is_zero_text(std::string_view text) {
    for (char c : text) {
        if (c == 'e' || c == 'E') break;
        if (is_digit(c) && c != '0') return false;
    }
    return true;
}

const std::string range_text = "1e-9 to 1e9 s";

}  // namespace

Checked<double> decimal(std::string_view text) {
    if (text.empty()) return Refusal{"the value is empty"};
    if (!is_decimal_number(text)) return Refusal{"not a decimal number"};
    const std::string copy(text);
    const double value = std::strtod(copy.c_str(), nullptr);
    if (!std::isfinite(value)) return Refusal{"too large for a double"};
    return value;
}

Checked<double> positive_decimal(std::string_view text) {
    if (text.empty()) return Refusal{"the value is empty"};
    if (!is_decimal_number(text)) return Refusal{"not a decimal number (such as 0.01, 1e-3 or .5)"};
    if (text.front() == '-' || is_zero_text(text)) return Refusal{"not positive"};
    // The syntax admits only decimal numbers, so strtod reads all of it;
    // the program never sets a locale, so the point is ".".
    const std::string copy(text);
    return std::strtod(copy.c_str(), nullptr);  // HUGE_VAL or 0 when out of range
}

Checked<double> seconds(std::string_view text) {
    const Checked<double> value = positive_decimal(text);
    if (const double* v = std::get_if<double>(&value); v != nullptr && !(*v >= min_seconds && *v <= max_seconds))
        return Refusal{"outside " + range_text};
    return value;
}

Checked<double> frequency(std::string_view text) {
    const Checked<double> value = positive_decimal(text);
    if (const double* v = std::get_if<double>(&value); v != nullptr && !(*v >= min_hertz && *v <= max_hertz))
        return Refusal{"outside 1e-9 to 1e9 Hz"};
    return value;
}

Checked<std::int32_t> samples_covering(double length, double dt) {
    // length and dt are decimals read to the nearest double: their quotient
    // misses a whole number of steps by a few units of its last place.
    constexpr double whole_tolerance = 1e-9;
    const double steps = length / dt;
    const double nearest = std::round(steps);
    const double whole = std::fabs(steps - nearest) <= whole_tolerance * std::max(1.0, nearest) ? nearest : std::ceil(steps);
    if (!(whole + 1.0 <= static_cast<double>(max_samples)))
        return Refusal{"needs " + (whole + 1.0 < 1e15 ? std::to_string(static_cast<std::int64_t>(whole) + 1) : std::string("over 1e15")) +
                       " samples at this dt, beyond " + std::to_string(max_samples) + " (2^24)"};
    return static_cast<std::int32_t>(whole) + 1;
}

Checked<std::int32_t> sample_count(std::string_view text) {
    if (text.empty()) return Refusal{"the value is empty"};
    for (char c : text)
        if (!is_digit(c)) return Refusal{"not a positive whole number"};
    // Digits beyond the range saturate: only the comparison with it matters.
    std::uint64_t n = 0;
    for (char c : text) n = std::min<std::uint64_t>(n * 10 + static_cast<std::uint64_t>(c - '0'), max_samples + 1ull);
    if (n < min_samples || n > max_samples)
        return Refusal{"outside " + std::to_string(min_samples) + " to " + std::to_string(max_samples) + " (2^24)"};
    return static_cast<std::int32_t>(n);
}

}  // namespace exp_slipv
