// The records of a run's CSV files read back as a user's script reads them:
// fields split at the commas, numbers read by the C library.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

std::vector<std::string> split(const std::string& text, char separator);

// Records of a file: its lines after the header, split at the commas.
std::vector<std::vector<std::string>> records(const std::string& file);

// A field as a number: "0.9985E+00", "  0.1000-119", "-1.5000".
double number(const std::string& field);

// Half a unit of the last digit a field shows.
double half_unit(const std::string& field);

// Significant digits a field shows: from its first non-zero digit on, up to
// the exponent.
int significant_digits(const std::string& field);

}  // namespace testing_support
