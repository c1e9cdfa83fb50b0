#include "textio/decimal.hpp"

#include <array>
#include <bit>
#include <cstring>

namespace textio {

namespace {

constexpr u128 power_of_ten(int i) { return powers_of_ten[static_cast<std::size_t>(i)]; }

int bit_length(u128 value) {
    const auto high = static_cast<std::uint64_t>(value >> 64);
    return high != 0 ? 128 - std::countl_zero(high) : 64 - std::countl_zero(static_cast<std::uint64_t>(value));
}

// numerator / 2^shift rounded to nearest, ties to even; 1 <= shift <= 127.
u128 shift_rounded(u128 numerator, int shift) {
    const u128 quotient = numerator >> shift;
    const u128 remainder = numerator & ((u128{1} << shift) - 1);
    const u128 half = u128{1} << (shift - 1);
    if (remainder > half || (remainder == half && (quotient & 1) != 0)) return quotient + 1;
    return quotient;
}

// numerator / denominator rounded to nearest, ties to even.
u128 divide_rounded(u128 numerator, u128 denominator) {
    const u128 quotient = numerator / denominator;
    const u128 remainder = numerator - quotient * denominator;
    const u128 twice = remainder << 1;  // remainder < denominator < 2^127
    if (twice > denominator || (twice == denominator && (quotient & 1) != 0)) return quotient + 1;
    return quotient;
}

bool fits(u128 value, std::uint64_t& result) {
    if (value >> 64 != 0) return false;
    result = static_cast<std::uint64_t>(value);
    return true;
}

}  // namespace

bool scale_and_round_exact(double magnitude, int power, std::uint64_t& result) {
    // magnitude = mantissa * 2^exponent exactly.
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(magnitude);
    const int biased = static_cast<int>(bits >> 52);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    int exponent = -1074;
    if (biased != 0) {
        mantissa |= std::uint64_t{1} << 52;
        exponent = biased - 1075;
    }
    if (mantissa == 0) {
        result = 0;
        return true;
    }
    if (power >= 0) {
        // mantissa * 10^power < 2^53 * 2^74.
        if (power > 22) return false;
        const u128 scaled = mantissa * power_of_ten(power);
        if (exponent >= 0) {
            if (exponent >= 64 || bit_length(scaled) + exponent > 64) return false;
            return fits(scaled << exponent, result);
        }
        const int shift = -exponent;
        // Below half a unit at any shift beyond the scaled value's bits.
        if (shift > bit_length(scaled)) {
            result = 0;
            return true;
        }
        return fits(shift_rounded(scaled, shift), result);
    }
    if (-power > max_u128_power) return false;
    const u128 divisor = power_of_ten(-power);
    if (exponent >= 0) {
        if (exponent > 127 - 53) return false;
        return fits(divide_rounded(u128{mantissa} << exponent, divisor), result);
    }
    if (bit_length(divisor) - exponent > 127) return false;
    return fits(divide_rounded(mantissa, divisor << -exponent), result);
}

void write_digits(char* out, std::uint64_t value, int count) {
    char* p = out + count;
    // Beyond nine digits, four at a time in 64-bit arithmetic, until the
    // rest fits 32 bits, whose division by a constant is cheaper.
    for (; count > 9; count -= 4) {
        const auto group = static_cast<std::uint32_t>(value % 10000);
        value /= 10000;
        const std::uint32_t high = group / 100;
        p -= 4;
        std::memcpy(p, &digit_pairs[high * 2], 2);
        std::memcpy(p + 2, &digit_pairs[(group - high * 100) * 2], 2);
    }
    auto rest = static_cast<std::uint32_t>(value);
    for (; count >= 2; count -= 2) {
        const std::uint32_t next = rest / 100;
        p -= 2;
        std::memcpy(p, &digit_pairs[(rest - next * 100) * 2], 2);
        rest = next;
    }
    if (count == 1) *--p = static_cast<char>('0' + rest);  // rest < 10, as value < 10^count
}


int write_integer(char* out, std::uint64_t value) {
    const int count = digit_count(value);
    write_digits(out, value, count);
    return count;
}


}  // namespace textio
