// The run's expected output, built independently of the program's text
// services: values from the formulas as written, fields from the C library.
#pragma once

#include <string>

namespace reference {

extern const char* const transcript;
std::string slip_file();
std::string spectrum_file();

}  // namespace reference
