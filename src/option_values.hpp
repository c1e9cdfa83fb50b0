// The values of the command-line options, checked: each function returns
// the value, or a reason that names what is wrong with the text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace exp_slipv {

// Why a value was refused; the text completes "invalid value 'V' for --opt: ".
struct Refusal {
    std::string reason;
};

template <typename T>
using Checked = std::variant<T, Refusal>;

// The range of every time (tau, dt, a duration), in seconds.
inline constexpr double min_seconds = 1e-9;
inline constexpr double max_seconds = 1e9;

inline constexpr std::int32_t min_samples = 2;
inline constexpr std::int32_t max_samples = 16777216;  // 2^24

// A positive decimal number such as 0.01, 1e-3 or .5: no hex forms, no
// infinity or NaN, nothing after the number.
Checked<double> positive_decimal(std::string_view text);

// Any finite decimal number, of either sign: what a model file's fields hold.
Checked<double> decimal(std::string_view text);

// A time in seconds between min_seconds and max_seconds.
Checked<double> seconds(std::string_view text);

// A frequency in hertz, between min_hertz and max_hertz.
inline constexpr double min_hertz = 1e-9;
inline constexpr double max_hertz = 1e9;
Checked<double> frequency(std::string_view text);

// The samples k dt, k = 0 .. n-1, that cover [0, length]: the steps
// length/dt, taken whole when they are within rounding of a whole number
// (60 s at 0.004 s: 15000 steps, 15001 samples), else rounded up.  A
// refusal when they fall outside min_samples to max_samples.
Checked<std::int32_t> samples_covering(double length, double dt);

// A whole number from min_samples to max_samples.
Checked<std::int32_t> sample_count(std::string_view text);

}  // namespace exp_slipv
