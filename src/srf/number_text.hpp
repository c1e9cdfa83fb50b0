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

}  // namespace exp_slipv::number_text
