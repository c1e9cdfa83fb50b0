// The field of each file column for a run.  The standard fields (F8.4 for
// time and frequency, F15.7 for the slip histories, E12.4 for the spectra)
// are kept whenever they show the run's values; otherwise the column is
// widened for that run:
//   - a fixed column takes more decimals until its largest magnitude shows
//     its significant digits (4 for time and frequency, 7 for the slip
//     histories) and, for time and frequency, until one step between
//     consecutive values spans at least two units of the last decimal and
//     every printed value lies within 1 % of the step of its true value;
//   - it is made as wide as its widest value, so that no field is asterisks;
//   - a fixed column that would need more than 20 characters becomes an
//     exponent column Es+8.s, s being its decimals (at least its significant
//     digits), raised until one step spans two units of the last digit at the
//     largest value and half a unit there is within 1 % of the step.
// An exponent column keeps its field unless a value's exponent needs three
// digits (below 1e-99 or from 1e99): then every field of the column carries
// a three-digit exponent with its letter, Ew+1.dE3 ("0.8701E-100",
// "0.1234E+001"), which every reader of numbers parses; the plain Ew.d would
// write "0.8701-100", which some readers take for 0.8701.  A value below the
// smallest normal double is written as 0 in an exponent column.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <string>

namespace exp_slipv {

struct Field {
    bool exponent = false;
    int width = 0;
    int digits = 0;  // decimals (F) or significant digits (E)
    int exponent_digits = 0;  // E fields: 3 for Ew.dE3, 0 for the plain exponent
    bool operator==(const Field&) const = default;
};

// A value as an exponent column writes it: below the smallest normal double
// it is 0 (its digits would be those of a subnormal, which some readers
// refuse).
inline double normal_or_zero(double value) {
    return std::fabs(value) < std::numeric_limits<double>::min() ? 0.0 : value;
}

// A value as its column's field takes it.
inline double as_written(bool exponent_column, double value) { return exponent_column ? normal_or_zero(value) : value; }

// The largest magnitudes among a column's positive and negative values, and
// the smallest magnitude that an exponent column writes with its digits.
class ColumnExtent {
public:
    void add(double value) {
        largest_positive_ = std::max(largest_positive_, value);
        largest_negative_ = std::max(largest_negative_, -value);
        const double magnitude = std::fabs(normal_or_zero(value));
        if (magnitude > 0.0) smallest_magnitude_ = std::min(smallest_magnitude_, magnitude);
    }
    double largest_positive() const { return largest_positive_; }
    double largest_negative() const { return largest_negative_; }
    // Infinity when no value is a normal number other than 0.
    double smallest_magnitude() const { return smallest_magnitude_; }

private:
    double largest_positive_ = 0.0;
    double largest_negative_ = 0.0;
    double smallest_magnitude_ = std::numeric_limits<double>::infinity();
};

inline constexpr int min_significant_digits = 4;
inline constexpr int history_significant_digits = 7;  // as F15.7 shows 0.3678794
inline constexpr int max_fixed_width = 20;
// How far a printed time or frequency may lie from its true value, as a
// fraction of the step.
inline constexpr double step_tolerance = 0.01;

// The values of an evenly spaced column as the files compute them:
// (first + k) * multiplier / divisor for k = 0 .. count-1 (times k dt / 1,
// frequencies (io - 1) dom / 2 pi).
struct EvenGrid {
    std::int64_t first = 0;
    std::int64_t count = 0;
    double multiplier = 0.0;
    double divisor = 1.0;
    double value(std::int64_t k) const { return static_cast<double>(first + k) * multiplier / divisor; }
};

// What a column needs of its field besides room for its values.
struct ColumnNeeds {
    int significant_digits = min_significant_digits;  // at its largest magnitude
    // An evenly spaced column (time, frequency): consecutive values `step`
    // apart, the grid's values.  A step of 0: not spaced.
    double step = 0.0;
    EvenGrid grid;
};

// The needs of a slip-history column.
ColumnNeeds history_needs();
// The needs of an evenly spaced column.
ColumnNeeds spaced_needs(double step, const EvenGrid& grid);

// The field of a column whose standard field is `standard`.
Field plan_column(const Field& standard, const ColumnExtent& extent, const ColumnNeeds& needs);

// The record format of a first field followed by one comma and one field for
// each further column: "(F8.4,3(',',F15.7))" when the further fields are
// alike, each written out otherwise.  The quote character is the byte 0x02.
std::string record_format_text(const Field& first, std::span<const Field> rest);

}  // namespace exp_slipv
