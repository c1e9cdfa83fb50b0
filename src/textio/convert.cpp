#include "textio/convert.hpp"

#include "textio/decimal.hpp"
#include "textio/short_fields.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <cstring>

namespace textio {

namespace {

// Enough for the integer digits of the largest double, the point and the
// converted decimals.
constexpr int fixed_digits_room = 320 + max_fixed_decimals;
// "D.", the converted digits, "e", a sign and three exponent digits.
constexpr int exponent_digits_room = max_exponent_digits + 16;
constexpr int list_significant_digits = 9;
// Beyond two exponent digits an exponent field drops its letter.
constexpr int two_digit_exponent_limit = 99;

char* fill(char* out, char c, int count) {
    if (count <= 0) return out;
    std::memset(out, c, static_cast<std::size_t>(count));
    return out + count;
}

// Leading blanks of a field of at least 8 characters, without a call: the
// 8 blanks written at once lie within the field, and whatever follows the
// real count of blanks is written over them.
char* blanks(char* out, int w, int count) {
    if (w >= 8 && count <= 8) {
        std::memcpy(out, "        ", 8);
        return out + count;
    }
    return fill(out, ' ', count);
}

// Infinities and NaN never reach a field in this program; when they do, the
// field shows "Inf", "-Inf" or "NaN" right-aligned, or asterisks if too narrow.
void write_non_finite(char* out, double value, int w) {
    const char* text = std::isnan(value) ? "NaN" : (value < 0 ? "-Inf" : "Inf");
    const int length = static_cast<int>(std::strlen(text));
    if (length > w) {
        fill(out, '*', w);
        return;
    }
    std::memcpy(fill(out, ' ', w - length), text, static_cast<std::size_t>(length));
}

// The fixed field from the exactly rounded integer value * 10^d, written in
// place; false where that integer cannot be formed exactly in 64 bits.
bool write_fixed_exactly(char* out, double value, int w, int d) {
    std::uint64_t scaled = 0;
    if (!scaled_round(std::fabs(value), d, scaled)) return false;
    const std::uint64_t unit = power_of_ten_64(d);
    const std::uint64_t whole = scaled / unit;
    const bool negative = value < 0 && scaled != 0;  // a value that rounds to zero loses its sign
    int whole_digits = digit_count(whole);
    int needed = whole_digits + 1 + d + (negative ? 1 : 0);
    if (needed > w) {
        if (whole != 0 || needed != w + 1) {
            fill(out, '*', w);
            return true;
        }
        whole_digits = 0;  // one character too many: the leading "0" gives way
        needed = w;
    }
    char* p = blanks(out, w, w - needed);
    if (negative) *p++ = '-';
    write_digits(p, whole, whole_digits);
    p += whole_digits;
    *p++ = '.';
    write_digits(p, scaled % unit, d);
    return true;
}

// Any other field through the standard conversion; kept out of line so that
// its large buffer does not weigh on the common paths.
[[gnu::noinline]] void write_fixed_general(char* out, double value, int w, int d) {
    bool negative = value < 0;  // negative zero is not negative
    const int converted = std::min(d, max_fixed_decimals);
    char text[fixed_digits_room];
    const auto result = std::to_chars(text, text + sizeof text, std::fabs(value), std::chars_format::fixed, converted);
    int length = static_cast<int>(result.ptr - text);
    if (converted == 0) text[length++] = '.';  // the point is always shown
    if (negative && std::all_of(text, text + length, [](char c) { return c == '0' || c == '.'; }))
        negative = false;  // a value that rounds to zero loses its sign

    const int padding_zeros = d - converted;
    int needed = length + padding_zeros + (negative ? 1 : 0);
    int skip = 0;
    if (needed > w) {
        if (text[0] != '0' || needed != w + 1) {
            fill(out, '*', w);
            return;
        }
        skip = 1;  // one character too many: the leading "0" gives way
        needed = w;
    }
    char* p = fill(out, ' ', w - needed);
    if (negative) *p++ = '-';
    std::memcpy(p, text + skip, static_cast<std::size_t>(length - skip));
    fill(p + length - skip, '0', padding_zeros);
}

// Every field that the short form does not take.
[[gnu::noinline]] void write_fixed_other(char* out, double value, int w, int d) {
    if (w <= 0) return;
    if (!std::isfinite(value)) return write_non_finite(out, value, w);
    d = std::max(d, 0);
    if (d <= max_fast_digits && write_fixed_exactly(out, value, w, d)) return;
    write_fixed_general(out, value, w, d);
}

// Every field that the short form does not take.
[[gnu::noinline]] void write_exponent_other(char* out, double value, int w, int d) {
    if (w <= 0) return;
    if (!std::isfinite(value)) return write_non_finite(out, value, w);
    const bool negative = value < 0;
    // An exponent field shows at least one digit: ".", the digits and four
    // exponent characters, plus the sign.
    const int room = w - (d + 5) - (negative ? 1 : 0);
    if (d < 1 || room < 0) {
        fill(out, '*', w);
        return;
    }
    char* p = out;
    if (room > 0) p = blanks(p, w, room - 1);
    if (negative) *p++ = '-';
    if (room > 0) *p++ = '0';
    *p++ = '.';

    const double magnitude = std::fabs(value);
    const int converted = std::min(d, max_exponent_digits);
    int exponent = 0;
    std::uint64_t digits = 0;
    if (magnitude == 0) {
        p = fill(p, '0', d);
    } else if (converted <= max_fast_digits && significant_digits(magnitude, converted, digits, exponent)) {
        write_digits(p, digits, converted);
        p = fill(p + converted, '0', d - converted);
        exponent += 1;  // the field shows 0.D1D2...
    } else {
        char text[exponent_digits_room];
        const auto result = std::to_chars(text, text + sizeof text, magnitude,
                                          std::chars_format::scientific, converted - 1);
        // text is "D.DDDe+XX", or "De+XX" for a single digit.
        *p++ = text[0];
        const char* e = converted > 1 ? text + 2 + (converted - 1) : text + 1;
        if (converted > 1) {
            std::memcpy(p, text + 2, static_cast<std::size_t>(converted - 1));
            p += converted - 1;
        }
        std::from_chars(e + (e[1] == '+' ? 2 : 1), result.ptr, exponent);
        // The field shows 0.D1D2... so its exponent is one more.
        exponent += 1;
        p = fill(p, '0', d - converted);
    }
    const int magnitude_of_exponent = std::abs(exponent);
    if (magnitude_of_exponent <= two_digit_exponent_limit) *p++ = 'E';
    *p++ = exponent < 0 ? '-' : '+';
    if (magnitude_of_exponent > two_digit_exponent_limit) *p++ = static_cast<char>('0' + magnitude_of_exponent / 100);
    write_two_digits(p, static_cast<unsigned>(magnitude_of_exponent % 100));
}

}  // namespace

void write_fixed(char* out, double value, int w, int d) {
    if (!write_fixed_short(out, value, w, d)) write_fixed_other(out, value, w, d);
}

void write_exponent(char* out, double value, int w, int d) {
    if (!write_exponent_short(out, value, w, d)) write_exponent_other(out, value, w, d);
}

int write_list_double(char* out, double value) {
    out[0] = ' ';
    out[1] = value < 0 ? '-' : ' ';
    const double magnitude = std::fabs(value);
    if (magnitude == 0) {
        std::memcpy(out + 2, "0.", 2);
        return 4;
    }
    // Nine significant digits in the style of "%.9G": trailing zeros of the
    // fraction, and then a bare point, removed.
    char text[list_double_max_length];
    const auto result = std::to_chars(text, text + sizeof text, magnitude,
                                      std::chars_format::general, list_significant_digits);
    const int length = static_cast<int>(result.ptr - text);
    std::transform(text, text + length, text,
                   [](char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c); });

    char* p = out + 2;
    if (text[0] == 'I' || text[0] == 'N') {
        std::memcpy(p, text, static_cast<std::size_t>(length));
        return 2 + length;
    }
    // A number always shows its decimal point: before the exponent, or at the end.
    const char* mark = std::find_if(text, text + length, [](char c) { return c == '.' || c == 'E'; });
    const int head = static_cast<int>(mark - text);
    std::memcpy(p, text, static_cast<std::size_t>(head));
    p += head;
    if (mark == text + length || *mark == 'E') *p++ = '.';
    std::memcpy(p, mark, static_cast<std::size_t>(length - head));
    return static_cast<int>(p - out) + (length - head);
}

std::string fixed_field(double value, int w, int d) {
    std::string text(static_cast<std::size_t>(std::max(w, 0)), ' ');
    write_fixed(text.data(), value, w, d);
    return text;
}

std::string exponent_field(double value, int w, int d) {
    std::string text(static_cast<std::size_t>(std::max(w, 0)), ' ');
    write_exponent(text.data(), value, w, d);
    return text;
}

std::string list_double(double value) {
    char text[list_double_max_length];
    return std::string(text, static_cast<std::size_t>(write_list_double(text, value)));
}

}  // namespace textio
