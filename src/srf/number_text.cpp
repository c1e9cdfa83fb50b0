#include "srf/number_text.hpp"

#include <charconv>
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

}  // namespace exp_slipv::number_text
