// Field texts built from the C library's "%#.*f" and "%#.*E" conversions,
// independently of the program's own conversions.
#pragma once

#include <string>

namespace testing_support {

std::string reference_fixed(double value, int w, int d);
std::string reference_exponent(double value, int w, int d);

}  // namespace testing_support
