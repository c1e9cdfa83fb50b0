// Bytes written as they are, for files whose layout another program fixes
// (a solver's input, a binary header): no leading blank, no record format.
// The statements check, report and stop as every other statement does.
#pragma once

#include <string_view>

namespace textio {

// The context word of a byte statement that starts writing a file.
inline constexpr const char* byte_output_start = "output start";

// One statement: the bytes, handed to the unit's stream in order.
void write_bytes(int unit, std::string_view bytes);

// Makes sure, before anything is written, that a unit opened on the named
// file to replace it whole could write it (see open_unit_replacing); where
// it could not, ends the run with the report the open or the first byte
// statement would give.
void check_replacing_output(int unit, std::string_view name);

}  // namespace textio
