// The state of the statement in progress, shared by free-format lines,
// formatted records and the pause read, and the steps they have in common.
#pragma once

#include <string_view>

#include "textio/units.hpp"

namespace textio {

inline constexpr std::string_view list_io_format = "list io";

struct StatementState {
    bool busy = false;                 // a statement is in progress
    int current_unit = -1;             // unit of the latest open or statement
    bool has_last_format = false;
    std::string_view last_format;      // format text of the latest statement
    const char* direction = "writing"; // "writing" or "reading"
};

namespace detail {
extern StatementState statement_state;
}

inline StatementState& statement_state() { return detail::statement_state; }

// Context words of the checks at the start of a statement.
struct StatementContexts {
    const char* unit_number;    // unit outside 0 to 99
    const char* not_connected;  // default connection failed
    const char* not_formatted;  // unit connected for unformatted transfer
};

// Starts a statement on a unit: acts on a pending stop request, marks the
// services busy (error 131 if they already are), checks the unit number,
// connects the unit by default if need be and checks that it is formatted.
void begin_statement(int unit, const StatementContexts& contexts);

// Switches the unit to writing; failure is error 127 with the context word.
void switch_unit_to_writing(int unit, const char* context);

// Switches the unit to writing if it is not yet.
inline void start_writing(int unit, const char* context) {
    if (unit_entry(unit).last_was_write != 1) switch_unit_to_writing(unit, context);
}

// Ends the line in the line buffer and hands it, with its line feed, to the
// current unit's stream.
void emit_line();

// Marks the services idle again.
void end_statement();

}  // namespace textio
