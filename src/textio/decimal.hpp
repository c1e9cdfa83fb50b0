// Decimal digits of doubles for the field conversions: exact scaling by
// powers of ten (a quick path in double arithmetic, then 128-bit integer
// arithmetic), and the digit characters.  Each scaling gives up (returns
// false) where its arithmetic would not be exact; the caller then converts
// otherwise.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace textio {

// GCC and Clang both provide a 128-bit integer; -Wpedantic only notes it is
// an extension.
__extension__ typedef unsigned __int128 u128;

inline constexpr int max_u128_power = 38;          // 10^38 < 2^127
inline constexpr int max_u64_power = 19;           // 10^19 < 2^64
inline constexpr int max_exact_double_power = 22;  // 10^22 is the largest power of ten that is a double

// The powers of ten, 10^0 to 10^38: the one table, of which the 64-bit and
// the double tables below are exact copies in the types the paths use.
inline constexpr std::array<u128, max_u128_power + 1> powers_of_ten = [] {
    std::array<u128, max_u128_power + 1> table{};
    u128 value = 1;
    for (std::size_t i = 0; i < table.size(); ++i, value *= 10) table[i] = value;
    return table;
}();

inline constexpr std::array<std::uint64_t, max_u64_power + 1> powers_of_ten_64 = [] {
    std::array<std::uint64_t, max_u64_power + 1> table{};
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<std::uint64_t>(powers_of_ten[i]);
    return table;
}();

// 10^22 = 2^22 5^22 with 5^22 < 2^53: every power up to it converts exactly.
inline constexpr std::array<double, max_exact_double_power + 1> double_powers = [] {
    std::array<double, max_exact_double_power + 1> table{};
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<double>(powers_of_ten[i]);
    return table;
}();

// The significant digits of a rounded magnitude as a value: digits *
// 10^exponent, count of them.  (A fixed field needs only the scaled integer,
// scale_and_round's result.)
struct Decimal {
    std::uint64_t digits = 0;
    int count = 0;
    int exponent = 0;
};

// round(t) for t, the correctly rounded product or quotient of a magnitude
// and an exact power of ten.  t is off the true value by at most half an
// ulp, t * 2^-53: unless t lies within four times that of a halfway point,
// t rounds as the true value does.  Gives up otherwise, and for t of 2^52
// or more, where the integers are no longer all doubles (also infinities
// and NaN).
inline bool round_to_integer_quick(double t, std::uint64_t& result) {
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
inline bool scale_and_round_quick(double magnitude, int power, std::uint64_t& result) {
    if (power > max_exact_double_power || power < -max_exact_double_power) return false;
    const double t = power >= 0 ? magnitude * double_powers[static_cast<std::size_t>(power)]
                                : magnitude / double_powers[static_cast<std::size_t>(-power)];
    return round_to_integer_quick(t, result);
}

// The same in 128-bit integer arithmetic on the exact binary value.
bool scale_and_round_exact(double magnitude, int power, std::uint64_t& result);

// How a rounding may end: quick gives up where the quick path cannot settle
// a value; exact goes on to the 128-bit path, which settles every value
// within its range.
enum class Rounding { quick, exact };

// round(magnitude * 10^power), ties to even, judged on the exact double.
// magnitude must be finite and not negative.
template <Rounding rounding = Rounding::exact>
inline bool scale_and_round(double magnitude, int power, std::uint64_t& result) {
    if (scale_and_round_quick(magnitude, power, result)) return true;
    return rounding == Rounding::exact && scale_and_round_exact(magnitude, power, result);
}

// The most digits the fast paths handle: every such count fits 64 bits.
inline constexpr int max_fast_digits = 17;

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

// The d significant digits of a positive normal magnitude, rounded as
// scale_and_round does: digits in [10^(d-1), 10^d), count d, and the
// exponent of the last digit (magnitude ~ digits * 10^exponent).
// 1 <= d <= 17.  False for zero, subnormal and non-finite values.
template <Rounding rounding = Rounding::exact>
inline bool round_significant(double magnitude, int d, Decimal& result) {
    if (!std::isnormal(magnitude)) return false;
    // A wrong guess only costs another attempt below.
    int guess = decimal_exponent(magnitude);
    const std::uint64_t low = power_of_ten_64(d - 1);
    const std::uint64_t high = power_of_ten_64(d);
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::uint64_t n = 0;
        const int power = d - 1 - guess;
        if (!scale_and_round<rounding>(magnitude, power, n)) return false;
        if (n < low) {
            --guess;  // the value lies below 10^guess
        } else if (n > high) {
            ++guess;  // the value reaches 10^(guess+1)
        } else {
            // A rounding that reaches 10^d carries into the next power of ten.
            result.digits = n == high ? low : n;
            result.count = d;
            result.exponent = (n == high ? guess + 1 : guess) - (d - 1);
            return true;
        }
    }
    return false;
}

// Writes the count decimal digits of value, with leading zeros; value must
// be below 10^count.
void write_digits(char* out, std::uint64_t value, int count);

// The most digits of a 64-bit integer.
inline constexpr int max_integer_digits = 20;

// The decimal digits of value, without leading zeros ("0" for 0); returns
// their count (at most max_integer_digits).  The one integer writer of the runtime:
// async-signal-safe, it also serves the reports.
int write_integer(char* out, std::uint64_t value);

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
inline std::uint64_t eight_digit_values(std::uint32_t value) {
    // Two four-digit halves in 32-bit lanes, each split into two two-digit
    // 16-bit lanes, each of those into two one-digit bytes.  A lane's product
    // never reaches the next lane: 9999 * 10486 < 2^32 and 99 * 103 < 2^16.
    // x * 10486 >> 20 is x / 100 for x <= 9999, x * 103 >> 10 is x / 10 for
    // x <= 99.
    std::uint64_t lanes = (value / 10000) | (std::uint64_t{value % 10000} << 32);
    const std::uint64_t hundreds = ((lanes * 10486) >> 20) & 0x0000'007F'0000'007F;
    lanes = hundreds | ((lanes - hundreds * 100) << 16);
    const std::uint64_t tens = ((lanes * 103) >> 10) & 0x000F'000F'000F'000F;
    return tens | ((lanes - tens * 10) << 8);
}

// The number of decimal digits of value (1 for 0).  1233 / 2^12 is log10(2)
// closely enough that the bit width gives the count or one more.
inline int digit_count(std::uint64_t value) {
    value |= 1;  // the same count, and 1 digit for 0
    const int guess = (std::bit_width(value) * 1233) >> 12;
    return guess + (value >= powers_of_ten_64[static_cast<std::size_t>(guess)] ? 1 : 0);
}

}  // namespace textio
