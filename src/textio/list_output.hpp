// Free-format lines: strings, 32-bit integers and doubles laid out on lines
// of at most 80 characters, each line begun with a blank.
#pragma once

#include <cstdint>
#include <string_view>

namespace textio {

inline constexpr int line_length_limit = 80;

void list_begin(int unit);
void list_item(std::string_view text);
void list_item(const char* text);
void list_item(std::int32_t value);
void list_item(double value);
void list_end();

// Makes sure, before anything is written, that the named file could be
// opened on the unit and written by line statements.  Where it could not,
// ends the run with the report that the open, or the first line statement on
// the file, would give; nothing is created or changed.
void check_line_output(int unit, std::string_view name);

// One free-format line statement: write_line(6, " dt,nt=", dt, nt).
template <typename... Items>
void write_line(int unit, const Items&... items) {
    list_begin(unit);
    (list_item(items), ...);
    list_end();
}

}  // namespace textio
