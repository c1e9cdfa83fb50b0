// The field of each file column for a run.  The standard fields (F8.4 for
// time and frequency, F15.7 for the slip histories, E12.4 for the spectra)
// are kept whenever they show the run's values; otherwise the column is
// widened for that run:
//   - a fixed column takes more decimals until its largest magnitude shows at
//     least 4 significant digits and, for time and frequency, until one step
//     between consecutive values spans at least two units of the last decimal;
//   - it is made as wide as its widest value, so that no field is asterisks;
//   - a fixed column that would need more than 20 characters becomes an
//     exponent column Es+8.s, s being its decimals (at least 4), raised until
//     one step spans two units of the last digit at the largest value.
// Exponent columns always show 4 significant digits and are kept as they are.
#pragma once

#include <algorithm>
#include <span>
#include <string>

namespace exp_slipv {

struct Field {
    bool exponent = false;
    int width = 0;
    int digits = 0;  // decimals (F) or significant digits (E)
    bool operator==(const Field&) const = default;
};

// The largest magnitudes among a column's positive and negative values.
class ColumnExtent {
public:
    void add(double value) {
        largest_positive_ = std::max(largest_positive_, value);
        largest_negative_ = std::max(largest_negative_, -value);
    }
    double largest_positive() const { return largest_positive_; }
    double largest_negative() const { return largest_negative_; }

private:
    double largest_positive_ = 0.0;
    double largest_negative_ = 0.0;
};

inline constexpr int min_significant_digits = 4;
inline constexpr int max_fixed_width = 20;

// The field of a column whose standard field is `standard`; `step` is the
// spacing of consecutive values that must print apart, 0 for none.
Field plan_column(const Field& standard, const ColumnExtent& extent, double step);

// The record format of a first field followed by one comma and one field for
// each further column: "(F8.4,3(',',F15.7))" when the further fields are
// alike, each written out otherwise.  The quote character is the byte 0x02.
std::string record_format_text(const Field& first, std::span<const Field> rest);

}  // namespace exp_slipv
