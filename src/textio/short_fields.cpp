#include "textio/short_fields.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "textio/decimal.hpp"

namespace textio {

namespace {

constexpr int min_width = 8;
constexpr int max_width = 24;
constexpr int word_size = 8;
constexpr int max_short_decimals = 7;   // leaves at least one whole digit of the eight
constexpr int max_significant_digits = 8;
constexpr int exponent_characters = 4;  // "E+dd"
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
    if (!round_scaled_quick(t, scaled) || scaled >= eight_digit_limit) return false;
    const std::uint64_t digits = eight_digit_values(static_cast<std::uint32_t>(scaled));
    const int leading_zeros = std::countr_zero(digits) / 8;  // 8 for a zero value
    const int whole_digits = std::max(word_size - leading_zeros - d, 1);
    const bool negative = value < 0 && scaled != 0;  // a value that rounds to zero loses its sign
    if (whole_digits + 1 + d + (negative ? 1 : 0) > w) return false;  // asterisks, or the "0" gives way

    FieldImage image;
    const int point = max_width - 1 - d;
    // All eight digits end the image, their last d being the decimals.  The
    // whole digits are the same characters moved d bytes up, with blanks
    // before them, stored to end just before the point over the first word.
    const std::uint64_t characters = digits + zero_characters;
    image.store(max_width - word_size, characters);
    image.store(point - word_size, keep_last(characters << (8 * d), whole_digits));
    image[point] = '.';
    if (negative) image[point - whole_digits - 1] = '-';
    image.copy_field(out, w);
    return true;
}

bool write_exponent_short(char* out, double value, int w, int d) {
    if (!little_endian || w < min_width || w > max_width || d < 1 || d > max_significant_digits) return false;
    const bool negative = value < 0;  // negative zero is not negative
    // The point, d digits and the exponent, plus the sign; a "0" before the
    // point when there is room for it.
    const int room = w - (1 + d + exponent_characters) - (negative ? 1 : 0);
    if (room < 0) return false;

    const double magnitude = std::fabs(value);
    std::uint64_t digits = 0;
    int exponent = 0;  // the field shows 0.D1D2... times 10^exponent
    if (magnitude != 0) {
        // Infinities, NaN and subnormal values go the general way.
        if (!significant_digits<Rounding::quick>(magnitude, d, digits, exponent)) return false;
        exponent += 1;
    }
    // |exponent| stays below 32 here: the quick rounding scales by 10^22 at most.

    FieldImage image;
    const int exponent_start = max_width - exponent_characters;
    image.store(exponent_start - word_size, keep_last(eight_digit_values(static_cast<std::uint32_t>(digits)) + zero_characters, d));
    int lead = exponent_start - d - 1;
    image[lead] = '.';
    if (room > 0) image[--lead] = '0';
    if (negative) image[--lead] = '-';
    image[exponent_start] = 'E';
    image[exponent_start + 1] = exponent < 0 ? '-' : '+';
    write_two_digits(&image[exponent_start + 2], static_cast<unsigned>(exponent < 0 ? -exponent : exponent));
    image.copy_field(out, w);
    return true;
}

}  // namespace textio
