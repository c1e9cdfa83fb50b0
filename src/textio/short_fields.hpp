// The common fields, laid out with a few word stores instead of a character
// at a time: 8 to 24 characters with at most eight digits, as all the
// fields of the data files.  Each returns false, having written nothing,
// for a field it does not take (another width, more digits, asterisks, a
// value that is not finite or is subnormal, a rounding too close to call
// quickly); the general conversion then writes it.
#pragma once

namespace textio {

// An Fw.d field with 1 <= d <= 7 whose value times 10^d rounds below 10^8.
bool write_fixed_short(char* out, double value, int w, int d);

// An Ew.d field with 1 <= d <= 8 that needs no asterisks.
bool write_exponent_short(char* out, double value, int w, int d);

}  // namespace textio
