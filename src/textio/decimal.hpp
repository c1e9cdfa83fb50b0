// Exact decimal scaling of doubles in integer arithmetic: the fast path of
// the field conversions.  Each function gives up (returns false) where its
// 128-bit arithmetic would not be exact; the caller then converts otherwise.
#pragma once

#include <cstdint>

namespace textio {

// round(magnitude * 10^power), ties to even, judged on the exact double.
// magnitude must be finite and not negative.
bool scaled_round(double magnitude, int power, std::uint64_t& result);

// The d significant digits of a positive magnitude, rounded as above, as an
// integer in [10^(d-1), 10^d), and the decimal exponent of the first digit
// (magnitude ~ digits * 10^(exponent - d + 1)).  1 <= d <= 17.
bool significant_digits(double magnitude, int d, std::uint64_t& digits, int& exponent);

// The most digits the fast paths handle: every such count fits 64 bits.
inline constexpr int max_fast_digits = 17;

// 10^power for 0 <= power <= 19.
std::uint64_t power_of_ten_64(int power);

// Writes the count decimal digits of value, with leading zeros; value must
// be below 10^count.
void write_digits(char* out, std::uint64_t value, int count);

// The number of decimal digits of value (1 for 0).
int digit_count(std::uint64_t value);

}  // namespace textio
