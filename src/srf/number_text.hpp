// Numbers as SRF readers take them, appended to a line: fixed decimals,
// significant digits in E form, or the shortest text that reads back as the
// same double.  Correctly rounded (std::to_chars), the same bytes from every
// build; never "-0".
#pragma once

#include <cstdint>
#include <string>

namespace exp_slipv::number_text {

void fixed(std::string& out, double value, int decimals);
void significant(std::string& out, double value, int digits);  // 1.234568e+05 for 7 digits
void shortest(std::string& out, double value);
void general(std::string& out, double value, int digits);  // as %.{digits}g
void integer(std::string& out, std::int64_t value);

// Seven significant digits in E form, as printf's "%.6e" writes them
// ("1.234567e+01"), correctly rounded, for any value; written at `at`,
// which must have room for 16 characters; returns the end.  Quick for the
// values samples take, where it needs no more than one product of doubles.
char* seven_digits(char* at, double value);

}  // namespace exp_slipv::number_text
