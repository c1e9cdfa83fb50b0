// Pure conversions of a value to the text of its field.  They keep no state
// and depend on no locale: the digits are those of a correctly rounded
// conversion of the exact stored double.
#pragma once

#include <string>

namespace textio {

// The most decimals a fixed field converts; further decimals are zeros.
inline constexpr int max_fixed_decimals = 344;
// The most significant digits an exponent field converts; further digits are zeros.
inline constexpr int max_exponent_digits = 41;
// A free-format double never needs more characters than this.
inline constexpr int list_double_max_length = 32;

// Writes exactly w characters (none when w <= 0) of an Fw.d field to out.
void write_fixed(char* out, double value, int w, int d);

// Writes exactly w characters (none when w <= 0) of an Ew.d field to out.
void write_exponent(char* out, double value, int w, int d);

// Writes exactly w characters of an Ew.dEe field: the Ew.d field's digits,
// then "E", the sign and the exponent in exactly e digits ("0.8701E-100",
// "0.1234E+001" for e = 3); asterisks where the exponent needs more.
void write_exponent_digits(char* out, double value, int w, int d, int e);

// Writes the free-format text of a double, its two leading characters
// included, to out (at least list_double_max_length bytes); returns its length.
int write_list_double(char* out, double value);

// The same conversions as strings, for other programs and for tests.
std::string fixed_field(double value, int w, int d);
std::string exponent_field(double value, int w, int d);
std::string exponent_digits_field(double value, int w, int d, int e);
std::string list_double(double value);

}  // namespace textio
