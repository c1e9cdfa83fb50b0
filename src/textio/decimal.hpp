// Decimal digits of doubles for the field conversions: exact scaling by
// powers of ten (a quick path in double arithmetic, then 128-bit integer
// arithmetic), and the digit characters.  Each scaling gives up (returns
// false) where its arithmetic would not be exact; the caller then converts
// otherwise.
#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace textio {

inline constexpr int max_exact_double_power = 22;  // 10^22 is the largest power of ten that is a double

inline constexpr std::array<double, max_exact_double_power + 1> double_powers = [] {
    std::array<double, max_exact_double_power + 1> table{};
    double value = 1;
    for (int i = 0; i <= max_exact_double_power; ++i, value *= 10) table[static_cast<std::size_t>(i)] = value;
    return table;
}();

// round(t) for t, the correctly rounded product or quotient of a magnitude
// and an exact power of ten.  t is off the true value by at most half an
// ulp, t * 2^-53: unless t lies within four times that of a halfway point,
// t rounds as the true value does.  Gives up otherwise, and for t of 2^52
// or more, where the integers are no longer all doubles (also infinities
// and NaN).
inline bool round_scaled_quick(double t, std::uint64_t& result) {
    if (!(t < 0x1p52)) return false;
    // Signed conversions are the cheaper ones; t < 2^52 fits them.
    const auto whole = static_cast<std::int64_t>(t);
    const double fraction = t - static_cast<double>(whole);  // exact: whole <= t < whole + 1
    const double margin = t * 0x1p-50;
    if (fraction < 0.5 - margin) {
        result = static_cast<std::uint64_t>(whole);
        return true;
    }
    if (fraction > 0.5 + margin) {
        result = static_cast<std::uint64_t>(whole) + 1;
        return true;
    }
    return false;
}

// round(magnitude * 10^power) through one multiplication or division by an
// exact power of ten, where that settles it.
inline bool scaled_round_quick(double magnitude, int power, std::uint64_t& result) {
    if (power > max_exact_double_power || power < -max_exact_double_power) return false;
    const double t = power >= 0 ? magnitude * double_powers[static_cast<std::size_t>(power)]
                                : magnitude / double_powers[static_cast<std::size_t>(-power)];
    return round_scaled_quick(t, result);
}

// The same in 128-bit integer arithmetic on the exact binary value.
bool scaled_round_exact(double magnitude, int power, std::uint64_t& result);

// round(magnitude * 10^power), ties to even, judged on the exact double.
// magnitude must be finite and not negative.
inline bool scaled_round(double magnitude, int power, std::uint64_t& result) {
    return scaled_round_quick(magnitude, power, result) || scaled_round_exact(magnitude, power, result);
}

// The most digits the fast paths handle: every such count fits 64 bits.
inline constexpr int max_fast_digits = 17;

inline constexpr std::array<std::uint64_t, 20> powers_of_ten_64 = [] {
    std::array<std::uint64_t, 20> table{};
    std::uint64_t value = 1;
    for (std::size_t i = 0; i < table.size(); ++i, value *= 10) table[i] = value;
    return table;
}();

// 10^power for 0 <= power <= 19.
inline std::uint64_t power_of_ten_64(int power) { return powers_of_ten_64[static_cast<std::size_t>(power)]; }

// floor(log10(magnitude)) for a positive normal magnitude, or one more or
// one less where the comparison with a power of ten that settles it rounds.
inline int decimal_exponent(double magnitude) {
    // floor(log10(2) * e2) is the answer or one less; 78913 / 2^18 is
    // log10(2) to the precision needed for |e2| < 1024.
    const int binary_exponent = static_cast<int>(std::bit_cast<std::uint64_t>(magnitude) >> 52) - 1023;
    int guess = static_cast<int>((static_cast<std::int64_t>(binary_exponent) * 78913) >> 18);
    const int next = guess + 1;
    if (next >= 0 && next <= max_exact_double_power) {
        if (magnitude >= double_powers[static_cast<std::size_t>(next)]) guess = next;
    } else if (next < 0 && -next <= max_exact_double_power) {
        if (magnitude * double_powers[static_cast<std::size_t>(-next)] >= 1.0) guess = next;
    }
    return guess;
}

// How significant_digits rounds: quick gives up where the quick rounding
// cannot settle a value; exact never does within its range.
enum class Rounding { quick, exact };

// The d significant digits of a positive normal magnitude, rounded as
// scaled_round does, as an integer in [10^(d-1), 10^d), and the decimal
// exponent of the first digit (magnitude ~ digits * 10^(exponent - d + 1)).
// 1 <= d <= 17.  False for zero, subnormal and non-finite values.
template <Rounding rounding = Rounding::exact>
inline bool significant_digits(double magnitude, int d, std::uint64_t& digits, int& exponent) {
    if (!std::isnormal(magnitude)) return false;
    // A wrong guess only costs another attempt below.
    int guess = decimal_exponent(magnitude);
    const std::uint64_t low = power_of_ten_64(d - 1);
    const std::uint64_t high = power_of_ten_64(d);
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::uint64_t n = 0;
        const int power = d - 1 - guess;
        const bool rounded = rounding == Rounding::quick ? scaled_round_quick(magnitude, power, n)
                                                         : scaled_round(magnitude, power, n);
        if (!rounded) return false;
        if (n < low) {
            --guess;  // the value lies below 10^guess
        } else if (n > high) {
            ++guess;  // the value reaches 10^(guess+1)
        } else {
            // A rounding that reaches 10^d carries into the next power of ten.
            digits = n == high ? low : n;
            exponent = n == high ? guess + 1 : guess;
            return true;
        }
    }
    return false;
}

// Writes the count decimal digits of value, with leading zeros; value must
// be below 10^count.
void write_digits(char* out, std::uint64_t value, int count);

// "00" to "99": two digits per division.
inline constexpr std::array<char, 200> digit_pairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
        pairs[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// Writes the two decimal digits of value < 100, with a leading zero.
inline void write_two_digits(char* out, unsigned value) { std::memcpy(out, &digit_pairs[value * 2], 2); }

// The eight decimal digits of value (below 10^8), leading zeros included,
// as the bytes of a word: the first digit in the lowest byte, each byte the
// digit's value 0 to 9.  A handful of multiplications instead of a loop.
std::uint64_t eight_digit_values(std::uint32_t value);

// The number of decimal digits of value (1 for 0).
int digit_count(std::uint64_t value);

}  // namespace textio
