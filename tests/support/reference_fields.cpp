#include "support/reference_fields.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace testing_support {

std::string reference_fixed(double value, int w, int d) {
    char text[512];
    std::snprintf(text, sizeof text, "%#.*f", d, std::fabs(value));
    std::string digits = text;
    const bool negative = value < 0 && digits.find_first_not_of("0.") != std::string::npos;
    std::size_t length = digits.size() + (negative ? 1 : 0);
    const std::size_t width = static_cast<std::size_t>(w);
    if (length > width) {
        if (digits[0] != '0' || length != width + 1) return std::string(width, '*');
        digits.erase(0, 1);
        --length;
    }
    return std::string(width - length, ' ') + (negative ? "-" : "") + digits;
}

std::string reference_exponent(double value, int w, int d) {
    const bool negative = value < 0;
    const int room = w - (d + 5) - (negative ? 1 : 0);
    if (room < 0) return std::string(static_cast<std::size_t>(w), '*');
    std::string mantissa(static_cast<std::size_t>(d), '0');
    int exponent = 0;
    if (value != 0) {
        char text[128];
        std::snprintf(text, sizeof text, "%#.*E", d - 1, std::fabs(value));
        const std::string s = text;  // D.DDDE+XX
        mantissa = s.substr(0, 1) + s.substr(2, static_cast<std::size_t>(d - 1));
        exponent = std::atoi(s.c_str() + s.find('E') + 1) + 1;
    }
    char tail[16];
    const int size = std::abs(exponent);
    if (size <= 99)
        std::snprintf(tail, sizeof tail, "E%c%02d", exponent < 0 ? '-' : '+', size);
    else
        std::snprintf(tail, sizeof tail, "%c%03d", exponent < 0 ? '-' : '+', size);
    return std::string(static_cast<std::size_t>(room > 0 ? room - 1 : 0), ' ') + (negative ? "-" : "") +
           (room > 0 ? "0" : "") + "." + mantissa + tail;
}

}  // namespace testing_support
