// Formatted records: a list of doubles written as one fixed-layout line under
// the control of a record format.
#pragma once

#include <initializer_list>
#include <span>
#include <string_view>

namespace textio {

// Selects and checks the unit, empties the current record and parses the
// format (once per distinct format text).  Writes nothing.
void begin_record(int unit, std::string_view format);
// Appends exactly w characters: an Fw.d field.
void put_fixed(double value, int w, int d);
// Appends exactly w characters: an Ew.d field.
void put_exponent(double value, int w, int d);
// Appends the text unchanged.
void put_text(std::string_view text);
// Appends the line feed and hands the record to the unit's stream.
void end_record();

// One formatted record statement: the values paired with the format's fields
// in order, literal texts written as the walk meets them.
void write_record(int unit, std::string_view format, std::span<const double> values);

inline void write_record(int unit, std::string_view format, std::initializer_list<double> values) {
    write_record(unit, format, std::span<const double>(values.begin(), values.size()));
}

}  // namespace textio
