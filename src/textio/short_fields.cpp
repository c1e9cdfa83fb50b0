#include "textio/short_fields.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "textio/decimal.hpp"
#include "textio/field_layout.hpp"

namespace textio {

namespace {

constexpr int min_width = 8;
constexpr int max_width = 24;
constexpr int word_size = 8;
constexpr int max_short_decimals = 7;   // leaves at least one whole digit of the eight
constexpr int max_significant_digits = 8;
constexpr std::uint64_t eight_digit_limit = 100'000'000;
constexpr std::uint64_t zero_characters = 0x3030'3030'3030'3030;   // "00000000"
constexpr std::uint64_t blank_characters = 0x2020'2020'2020'2020;  // "        "

// The words give the bytes in memory order on a little-endian machine only.
constexpr bool little_endian = std::endian::native == std::endian::little;

// A field assembled right-aligned in 24 bytes of blanks, of which the last w
// are the field.
class FieldImage {
public:
    FieldImage() {
        for (int offset = 0; offset < max_width; offset += word_size) store(offset, blank_characters);
    }
    // Eight bytes at the offset, the word's lowest byte first.
    void store(int offset, std::uint64_t word) { std::memcpy(bytes_ + offset, &word, word_size); }
    char& operator[](int offset) { return bytes_[offset]; }
    // Copies the last w bytes (8 <= w <= 24) to out as overlapping words.
    void copy_field(char* out, int w) const {
        const char* field = bytes_ + max_width - w;
        std::memcpy(out, field, word_size);
        if (w > 2 * word_size) std::memcpy(out + word_size, field + word_size, word_size);
        std::memcpy(out + w - word_size, bytes_ + max_width - word_size, word_size);
    }

private:
    char bytes_[max_width];
};

// The word's last `kept` bytes (1 to 8), the others turned to blanks.
std::uint64_t keep_last(std::uint64_t word, int kept) {
    const std::uint64_t mask = ~std::uint64_t{0} << (8 * (word_size - kept));
    return (word & mask) | (blank_characters & ~mask);
}

}  // namespace

bool write_fixed_short(char* out, double value, int w, int d) {
    if (!little_endian || w < min_width || w > max_width || d < 1 || d > max_short_decimals) return false;
    // Only the quick rounding: what it leaves open goes the general way.  It
    // also turns away infinities and NaN.
    std::uint64_t scaled = 0;
    const double t = std::fabs(value) * double_powers[static_cast<std::size_t>(d)];
    if (!round_to_integer_quick(t, scaled) || scaled >= eight_digit_limit) return false;
    // The digits as bytes tell the count: their leading zeros are zero bytes.
    const std::uint64_t digits = eight_digit_values(static_cast<std::uint32_t>(scaled));
    const int leading_zeros = std::countr_zero(digits) / 8;  // 8 for a zero value
    const int whole_digits = std::max(word_size - leading_zeros - d, 1);
    // Only a text that fits as it is: asterisks, or a "0" that gives way, are
    // the general path's (by fixed_layout).
    const bool minus = fixed_minus(value < 0, scaled == 0);
    if (fixed_needed(whole_digits, d, minus) > w) return false;

    // The image, its last 24 bytes, the field its last w (here F15.7, -1.5):
    //
    //        . . . . . . . . . . . . . . . . . . . . . . . .
    //   1st  [ 0 0 0 0 0 0 0 1 ] . [ 5 0 0 0 0 0 0 ]        all eight digits end the image
    //   2nd  [ _ _ _ _ _ _ 0 1 ]                            the same word moved d bytes up,
    //                                                       blanks before the whole digits,
    //                                                       ending just before the point
    //   then the point, and the minus before the whole digits:  "         -1.5000000"
    //
    // (the second store overwrites the first word's leading digits, which
    // are the whole digits' places.)
    FieldImage image;
    const int point = max_width - 1 - d;
    const std::uint64_t characters = digits + zero_characters;
    image.store(max_width - word_size, characters);
    image.store(point - word_size, keep_last(characters << (8 * d), whole_digits));
    image[point] = '.';
    if (minus) image[point - whole_digits - 1] = '-';
    image.copy_field(out, w);
    return true;
}

bool write_exponent_short(char* out, double value, int w, int d) {
    if (!little_endian || w < min_width || w > max_width || d < 1 || d > max_significant_digits) return false;
    const ExponentLayout layout = exponent_layout(w, d, value < 0);
    if (layout.asterisks) return false;

    const double magnitude = std::fabs(value);
    Decimal decimal;
    int exponent = 0;  // the field shows 0.D1D2... times 10^exponent
    if (magnitude != 0) {
        // Infinities, NaN and subnormal values go the general way.
        if (!round_significant<Rounding::quick>(magnitude, d, decimal)) return false;
        exponent = decimal.exponent + decimal.count;
    }

    // The image, its last 24 bytes, the field its last w (here E12.4, 2.5):
    //
    //   [ _ _ _ _ 2 5 0 0 ] E + 0 1     the d digits end a word before the
    //         0 .                        exponent, blanks before them; then
    //                                    the point, the "0" and the minus
    //   result, last 12 bytes:  "  0.2500E+01"
    FieldImage image;
    const int exponent_start = max_width - exponent_characters;
    image.store(exponent_start - word_size,
                keep_last(eight_digit_values(static_cast<std::uint32_t>(decimal.digits)) + zero_characters, d));
    int lead = exponent_start - d - 1;
    image[lead] = '.';
    if (layout.zero) image[--lead] = '0';
    if (layout.minus) image[--lead] = '-';
    // |exponent| stays below 32 here: the quick rounding scales by 10^22 at most.
    write_two_digit_exponent_text(&image[exponent_start], exponent);
    image.copy_field(out, w);
    return true;
}

}  // namespace textio
