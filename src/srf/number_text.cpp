#include "srf/number_text.hpp"

#include <charconv>
#include <cmath>
#include <cstring>

namespace exp_slipv::number_text {

namespace {

constexpr std::size_t room = 400;  // the longest fixed double with decimals

// A text such as "-0.00" or "-0.000e+00" that rounds to zero loses its sign.
void append_unsigned_zero(std::string& out, const char* begin, const char* end) {
    if (*begin == '-') {
        bool zero = true;
        for (const char* c = begin + 1; c < end && *c != 'e'; ++c)
            if (*c >= '1' && *c <= '9') zero = false;
        if (zero) ++begin;
    }
    out.append(begin, end);
}

}  // namespace

void fixed(std::string& out, double value, int decimals) {
    char text[room];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    append_unsigned_zero(out, text, result.ptr);
}

void significant(std::string& out, double value, int digits) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, digits - 1);
    append_unsigned_zero(out, text, result.ptr);
}

void shortest(std::string& out, double value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    append_unsigned_zero(out, text, result.ptr);
}

void general(std::string& out, double value, int digits) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
    append_unsigned_zero(out, text, result.ptr);
}

void integer(std::string& out, std::int64_t value) {
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

namespace {

// The powers of ten that doubles hold exactly.
constexpr double exact_powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int largest_exact_power = 22;
// The product v 10^(6 - e) is rounded once: within 1e-9 of the digits'
// true value (below 1e7, half a unit of the last place is 2^-30).  A value
// closer than this to a half is left to the exact conversion.
constexpr double tie_margin = 1e-8;

char* exact(char* at, double value) {
    return std::to_chars(at, at + 24, value, std::chars_format::scientific, 6).ptr;
}

}  // namespace

char* seven_digits(char* at, double value) {
    if (!(value > 0.0) || !std::isfinite(value)) return exact(at, value);
    int e = static_cast<int>(std::floor(std::log10(value)));  // perhaps one off
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int shift = 6 - e;
        if (shift > largest_exact_power || shift < -largest_exact_power) return exact(at, value);
        const double scaled = shift >= 0 ? value * exact_powers[shift] : value / exact_powers[-shift];
        // Near a bound of the seven digits the exponent itself hangs on the
        // rounding.
        if (std::fabs(scaled - 999999.5) < tie_margin || std::fabs(scaled - 9999999.5) < tie_margin) return exact(at, value);
        if (scaled < 999999.5) {
            --e;
            continue;
        }
        if (scaled >= 9999999.5) {
            ++e;
            continue;
        }
        const double whole = std::floor(scaled);
        const double fraction = scaled - whole;  // exact below 2^24
        if (std::fabs(fraction - 0.5) < tie_margin) return exact(at, value);
        auto digits = static_cast<std::uint32_t>(whole) + (fraction > 0.5 ? 1u : 0u);
        if (digits == 10000000u) {  // 9999999.5 rounded up lies above, so never
            digits = 1000000u;
            ++e;
        }
        char text[7];
        for (int i = 6; i >= 0; --i) {
            text[i] = static_cast<char>('0' + digits % 10u);
            digits /= 10u;
        }
        *at++ = text[0];
        *at++ = '.';
        for (int i = 1; i < 7; ++i) *at++ = text[i];
        *at++ = 'e';
        *at++ = e < 0 ? '-' : '+';
        const int magnitude = e < 0 ? -e : e;
        if (magnitude >= 100) *at++ = static_cast<char>('0' + magnitude / 100);
        *at++ = static_cast<char>('0' + magnitude / 10 % 10);
        *at++ = static_cast<char>('0' + magnitude % 10);
        return at;
    }
    return exact(at, value);
}

}  // namespace exp_slipv::number_text
