#include "column_layout.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

#include "textio/convert.hpp"

namespace exp_slipv {

namespace {

// Wide enough for any fixed text that can still fit max_fixed_width.
constexpr int probe_width = 64;
// A double carries no more significant digits than this.
constexpr int max_exponent_digits = 17;
// The most exponent digits the plain Ew.d field shows with its letter, and
// the digits of the wider exponent.
constexpr int two_digit_exponent = 99;
constexpr int wide_exponent_digits = 3;
// Characters of an Es.d exponent field beside its digits: two blanks (one
// of them for a sign), "0.", and four for the exponent.
constexpr int exponent_field_overhead = 8;

// 10^k as the nearest double (strtod rounds correctly).
double decimal_power(int k) {
    const std::string text = "1e" + std::to_string(k);
    return std::strtod(text.c_str(), nullptr);
}

// Consecutive values `step` apart print differently when the step spans more
// than one unit of the last digit, 10^unit_exponent; two units leave room for
// the rounding of the values themselves.
bool keeps_steps_apart(double step, int unit_exponent) {
    return step <= 0.0 || step >= 2.0 * decimal_power(unit_exponent);
}

// Whether every value of the column, printed with the given decimals, lies
// within step_tolerance of a step of its true value.  Rounding moves a value
// by at most half a unit; where that may be too far, the values themselves
// are looked at: a short decimal step (0.00025 at 5 decimals) prints exactly.
// Only then can the loop run, and then every value is below 50 count units,
// so that value * 10^decimals keeps its fraction.  The values are times and
// frequencies, never negative.
bool values_print_true(const ColumnNeeds& needs, int decimals) {
    if (needs.step <= 0.0) return true;
    const double tolerance = step_tolerance * needs.step;
    if (0.5 * decimal_power(-decimals) <= tolerance) return true;
    const double scale = decimal_power(decimals);
    const double allowed = tolerance * scale;  // in units of the last decimal
    for (std::int64_t k = 0; k < needs.grid.count; ++k) {
        // Non-negative and below 2^53 (see above): the nearest whole number
        // by truncation, without a library call.
        const double scaled = needs.grid.value(k) * scale;
        const double nearest = static_cast<double>(static_cast<std::int64_t>(scaled + 0.5));
        if (std::fabs(scaled - nearest) > allowed) return false;
    }
    return true;
}

// The same for an exponent column, whose unit is largest at the largest value.
bool unit_within_tolerance(const ColumnNeeds& needs, int unit_exponent) {
    return needs.step <= 0.0 || 0.5 * decimal_power(unit_exponent) <= step_tolerance * needs.step;
}

// The fixed text of a value without its leading blanks; empty if it does
// not fit probe_width.
std::string fixed_text(double value, int decimals) {
    const std::string field = textio::fixed_field(value, probe_width, decimals);
    if (field.front() == '*') return {};
    return field.substr(field.find_first_not_of(' '));
}

int significant_digits(std::string_view text) {
    const std::size_t first = text.find_first_of("123456789");
    if (first == std::string_view::npos) return 0;
    return static_cast<int>(std::count_if(text.begin() + static_cast<std::ptrdiff_t>(first), text.end(),
                                          [](char c) { return c >= '0' && c <= '9'; }));
}

// X of the value's exponent field 0.D1...Ds x 10^X: the exponent text is
// "E+01" for |X| <= 99 and "+100" beyond.
int field_exponent(double value, int digits) {
    const std::string field = textio::exponent_field(value, digits + exponent_field_overhead, digits);
    std::string_view exponent = std::string_view(field).substr(field.size() - 4);
    if (exponent.front() == 'E') exponent.remove_prefix(1);
    const int magnitude = std::atoi(std::string(exponent.substr(1)).c_str());
    return exponent.front() == '-' ? -magnitude : magnitude;
}

// The exponent digits an Ew.d column needs for its extent: 3 where its
// largest or smallest magnitude, rounded to d digits, has an exponent beyond
// two digits; the magnitudes between them have exponents between theirs.
int exponent_digits_for(const ColumnExtent& extent, int digits) {
    const double largest = std::max(extent.largest_positive(), extent.largest_negative());
    const auto beyond_two = [&](double magnitude) {
        return std::isfinite(magnitude) && magnitude > 0.0 &&
               std::abs(field_exponent(magnitude, digits)) > two_digit_exponent;
    };
    return beyond_two(largest) || beyond_two(extent.smallest_magnitude()) ? wide_exponent_digits : 0;
}

Field with_exponent_digits(Field field, const ColumnExtent& extent) {
    if (exponent_digits_for(extent, field.digits) == 0) return field;
    ++field.width;  // "E-100" for "-100"
    field.exponent_digits = wide_exponent_digits;
    return field;
}

Field exponent_column(const Field& standard, double largest, const ColumnNeeds& needs) {
    int digits = std::max(standard.digits, needs.significant_digits);
    const auto enough = [&] {
        const int unit_exponent = field_exponent(largest, digits) - digits;
        return keeps_steps_apart(needs.step, unit_exponent) && unit_within_tolerance(needs, unit_exponent);
    };
    while (digits < max_exponent_digits && !enough()) ++digits;
    return {true, digits + exponent_field_overhead, digits};
}

std::string field_text(const Field& field) {
    std::string text(1, field.exponent ? 'E' : 'F');
    text += std::to_string(field.width);
    text += '.';
    text += std::to_string(field.digits);
    if (field.exponent_digits > 0) text += "E" + std::to_string(field.exponent_digits);
    return text;
}

}  // namespace

ColumnNeeds history_needs() { return {history_significant_digits, 0.0, {}}; }

ColumnNeeds spaced_needs(double step, const EvenGrid& grid) { return {min_significant_digits, step, grid}; }

Field plan_column(const Field& standard, const ColumnExtent& extent, const ColumnNeeds& needs) {
    const double largest = std::max(extent.largest_positive(), extent.largest_negative());
    if (standard.exponent) return with_exponent_digits(standard, extent);
    if (!(largest > 0.0)) return standard;
    for (int decimals = standard.digits;; ++decimals) {
        const std::string positive = fixed_text(extent.largest_positive(), decimals);
        const std::string negative = fixed_text(-extent.largest_negative(), decimals);
        const std::string& widest_value = extent.largest_positive() >= extent.largest_negative() ? positive : negative;
        if (positive.empty() || negative.empty()) break;
        const int width = std::max({standard.width, static_cast<int>(positive.size()), static_cast<int>(negative.size())});
        if (width > max_fixed_width) break;
        if (keeps_steps_apart(needs.step, -decimals) && significant_digits(widest_value) >= needs.significant_digits &&
            values_print_true(needs, decimals))
            return {false, width, decimals};
    }
    return with_exponent_digits(exponent_column(standard, largest, needs), extent);
}

std::string record_format_text(const Field& first, std::span<const Field> rest) {
    constexpr std::string_view comma = "\x02,\x02";
    std::string text = "(" + field_text(first);
    const bool alike = std::all_of(rest.begin(), rest.end(), [&](const Field& f) { return f == rest.front(); });
    if (!rest.empty() && alike) {
        text += "," + std::to_string(rest.size()) + "(" + std::string(comma) + "," + field_text(rest.front()) + ")";
    } else {
        for (const Field& field : rest) text += "," + std::string(comma) + "," + field_text(field);
    }
    return text + ")";
}

}  // namespace exp_slipv
