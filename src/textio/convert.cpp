#include "textio/convert.hpp"

#include "textio/decimal.hpp"
#include "textio/field_layout.hpp"
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

// The fallbacks of a fixed field, in order: the word stores of the short
// form (write_fixed_short), then the 64-bit digits (write_fixed_from_decimal),
// then the standard conversion's text (write_fixed_from_text).

// The fixed field from round(|value| * 10^d) in 64 bits; false where it does
// not fit them.
bool write_fixed_from_decimal(char* out, double value, int w, int d) {
    std::uint64_t scaled = 0;
    if (!scale_and_round(std::fabs(value), d, scaled)) return false;
    const std::uint64_t unit = power_of_ten_64(d);
    const std::uint64_t whole = scaled / unit;
    const int whole_digits = digit_count(whole);
    // The common case, a text that fits, by the layout's parts; the rest by
    // the whole layout.
    const bool minus = fixed_minus(value < 0, scaled == 0);
    const int needed = fixed_needed(whole_digits, d, minus);
    FixedLayout layout{true, false, minus, false, w - needed};
    if (needed > w) layout = fixed_layout(w, whole_digits, d, value < 0, whole == 0, scaled == 0);
    if (layout.asterisks) {
        fill(out, '*', w);
        return true;
    }
    char* p = blanks(out, w, layout.blanks);
    if (layout.minus) *p++ = '-';
    if (!layout.drop_zero) {
        write_digits(p, whole, whole_digits);
        p += whole_digits;
    }
    *p++ = '.';
    write_digits(p, scaled % unit, d);
    return true;
}

// Any other field through the standard conversion; kept out of line so that
// its large buffer does not weigh on the common paths.
[[gnu::noinline]] void write_fixed_from_text(char* out, double value, int w, int d) {
    const int converted = std::min(d, max_fixed_decimals);
    char text[fixed_digits_room];
    const auto result = std::to_chars(text, text + sizeof text, std::fabs(value), std::chars_format::fixed, converted);
    int length = static_cast<int>(result.ptr - text);
    if (converted == 0) text[length++] = '.';  // the point is always shown
    const int whole_digits = static_cast<int>(std::find(text, text + length, '.') - text);
    const bool all_zero = std::all_of(text, text + length, [](char c) { return c == '0' || c == '.'; });
    const FixedLayout layout =
        fixed_layout(w, whole_digits, d, value < 0, whole_digits == 1 && text[0] == '0', all_zero);
    if (layout.asterisks) {
        fill(out, '*', w);
        return;
    }
    const int skip = layout.drop_zero ? 1 : 0;
    char* p = fill(out, ' ', layout.blanks);
    if (layout.minus) *p++ = '-';
    std::memcpy(p, text + skip, static_cast<std::size_t>(length - skip));
    fill(p + length - skip, '0', d - converted);  // decimals beyond the converted ones
}

// Every field that the short form does not take.
[[gnu::noinline]] void write_fixed_after_short(char* out, double value, int w, int d) {
    if (w <= 0) return;
    if (!std::isfinite(value)) return write_non_finite(out, value, w);
    d = std::max(d, 0);
    if (d <= max_fast_digits && write_fixed_from_decimal(out, value, w, d)) return;
    write_fixed_from_text(out, value, w, d);
}

// Every field that the short form does not take.
[[gnu::noinline]] void write_exponent_after_short(char* out, double value, int w, int d) {
    if (w <= 0) return;
    if (!std::isfinite(value)) return write_non_finite(out, value, w);
    const ExponentLayout layout = exponent_layout(w, d, value < 0);
    if (layout.asterisks) {
        fill(out, '*', w);
        return;
    }
    char* p = blanks(out, w, layout.blanks);
    if (layout.minus) *p++ = '-';
    if (layout.zero) *p++ = '0';
    *p++ = '.';

    const double magnitude = std::fabs(value);
    const int converted = std::min(d, max_exponent_digits);
    int exponent = 0;  // the field shows 0.D1D2... times 10^exponent
    Decimal decimal;
    if (magnitude == 0) {
        p = fill(p, '0', d);
    } else if (converted <= max_fast_digits && round_significant(magnitude, converted, decimal)) {
        write_digits(p, decimal.digits, converted);
        p = fill(p + converted, '0', d - converted);
        exponent = decimal.exponent + decimal.count;
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
        exponent += 1;  // D.DDD x 10^X is 0.DDDD x 10^(X+1)
        p = fill(p, '0', d - converted);
    }
    write_exponent_text(p, exponent);
}

}  // namespace


void write_fixed(char* out, double value, int w, int d) {
    if (!write_fixed_short(out, value, w, d)) write_fixed_after_short(out, value, w, d);
}

void write_exponent(char* out, double value, int w, int d) {
    if (!write_exponent_short(out, value, w, d)) write_exponent_after_short(out, value, w, d);
}

void write_exponent_digits(char* out, double value, int w, int d, int e) {
    if (w <= 0) return;
    if (!std::isfinite(value)) return write_non_finite(out, value, w);
    // The plain field, whose exponent takes exponent_characters, with room
    // for the e + 2 characters of this one:
    //   [blanks][-][0].DDDD E+dd   or   [blanks][-][0].DDDD +ddd
    //   [blanks][-][0].DDDD E+ddd...      (e digits)
    const int plain_width = w - (e + 2) + exponent_characters;
    if (e < 1 || plain_width <= exponent_characters) {
        fill(out, '*', w);
        return;
    }
    char room[exponent_digits_room];
    std::string wide;  // a field wider than usual
    char* plain = room;
    if (plain_width > exponent_digits_room) {
        wide.resize(static_cast<std::size_t>(plain_width));
        plain = wide.data();
    }
    write_exponent(plain, value, plain_width, d);
    if (plain[0] == '*') {
        fill(out, '*', w);
        return;
    }
    const char* exponent_text = plain + plain_width - exponent_characters;
    const bool lettered = exponent_text[0] == 'E';
    const char sign = lettered ? exponent_text[1] : exponent_text[0];
    int magnitude = 0;
    for (const char* c = exponent_text + (lettered ? 2 : 1); c < exponent_text + exponent_characters; ++c)
        magnitude = magnitude * 10 + (*c - '0');
    char* p = out;
    std::memcpy(p, plain, static_cast<std::size_t>(plain_width - exponent_characters));
    p += plain_width - exponent_characters;
    *p++ = 'E';
    *p++ = sign;
    for (int i = e - 1; i >= 0; --i, magnitude /= 10) p[i] = static_cast<char>('0' + magnitude % 10);
    if (magnitude != 0) fill(out, '*', w);  // more exponent digits than e
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

std::string exponent_digits_field(double value, int w, int d, int e) {
    std::string text(static_cast<std::size_t>(std::max(w, 0)), ' ');
    write_exponent_digits(text.data(), value, w, d, e);
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
