// The layout rules of the fixed and exponent fields, written once: where
// the sign, the blanks and the leading "0" go, and when a field is
// asterisks.  The digit writers (word stores for the common fields, 64-bit
// digits, or the standard conversion's text) follow what these decide.
#pragma once

#include <algorithm>

#include "textio/decimal.hpp"

namespace textio {

// An Fw.d field:  [blanks] [-] whole digits . d decimals
struct FixedLayout {
    bool fits = true;        // the text fits as it is: neither of the two below
    bool asterisks = false;  // the field is w asterisks and nothing else
    bool minus = false;
    bool drop_zero = false;  // the lone leading "0" is left out
    int blanks = 0;
};

// A value that rounds to zero loses its sign.
constexpr bool fixed_minus(bool negative, bool all_zero) { return negative && !all_zero; }

// The characters of the text: the whole digits, the point, d decimals, the sign.
constexpr int fixed_needed(int whole_digits, int d, bool minus) { return whole_digits + 1 + d + (minus ? 1 : 0); }

// whole_digits: the digits before the point (a lone "0" counts);
// zero_whole: they are that lone "0"; all_zero: every digit shown is 0.
constexpr FixedLayout fixed_layout(int w, int whole_digits, int d, bool negative, bool zero_whole, bool all_zero) {
    FixedLayout layout;
    layout.minus = fixed_minus(negative, all_zero);
    int needed = fixed_needed(whole_digits, d, layout.minus);
    if (needed > w) {
        layout.fits = false;
        if (!zero_whole || needed != w + 1) {
            layout.asterisks = true;
            return layout;
        }
        layout.drop_zero = true;  // one character too many: the leading "0" gives way
        needed = w;
    }
    layout.blanks = w - needed;
    return layout;
}

// Characters of an exponent field beside its d digits: the point and four
// for the exponent ("E+dd", or "+ddd" beyond two exponent digits).
inline constexpr int exponent_field_fixed_part = 5;
inline constexpr int exponent_characters = 4;

// An Ew.d field:  [blanks] [-] [0] . d digits exponent
struct ExponentLayout {
    bool asterisks = false;
    bool minus = false;
    bool zero = false;  // a "0" before the point, when there is room for it
    int blanks = 0;
};

// Decided before the digits are formed: negative zero is not negative.
constexpr ExponentLayout exponent_layout(int w, int d, bool negative) {
    ExponentLayout layout;
    const int room = w - (d + exponent_field_fixed_part) - (negative ? 1 : 0);
    if (d < 1 || room < 0) {
        layout.asterisks = true;
        return layout;
    }
    layout.minus = negative;
    layout.zero = room > 0;
    layout.blanks = room > 0 ? room - 1 : 0;
    return layout;
}

// Beyond two exponent digits an exponent field drops its letter; beyond
// three it cannot be shown (no double comes near).
inline constexpr int two_digit_exponent_limit = 99;
inline constexpr int max_exponent_magnitude = 999;

// The exponent characters of 0.D1D2... x 10^exponent for |exponent| <= 99:
// "E+01", "E-04".
inline void write_two_digit_exponent_text(char* out, int exponent) {
    out[0] = 'E';
    out[1] = exponent < 0 ? '-' : '+';
    write_two_digits(out + 2, static_cast<unsigned>(exponent < 0 ? -exponent : exponent));
}

// The four exponent characters for any exponent: beyond two digits the
// letter gives way, "+100", "-119".
inline void write_exponent_text(char* out, int exponent) {
    const int magnitude = std::min(exponent < 0 ? -exponent : exponent, max_exponent_magnitude);
    if (magnitude <= two_digit_exponent_limit) return write_two_digit_exponent_text(out, exponent);
    out[0] = exponent < 0 ? '-' : '+';
    out[1] = static_cast<char>('0' + magnitude / 100);
    write_two_digits(out + 2, static_cast<unsigned>(magnitude % 100));
}

}  // namespace textio
