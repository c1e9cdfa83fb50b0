// The state of the statement in progress, shared by free-format lines,
// formatted records and the pause read, and the steps they have in common.
#pragma once

#include <string_view>

#include "textio/errors.hpp"
#include "textio/line_buffer.hpp"
#include "textio/signals.hpp"
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
// Inlined into every statement, whose checks are tests in all but the first.
[[gnu::always_inline]] inline void begin_statement(int unit, const StatementContexts& contexts, const char* direction = "writing") {
    check_stop_request();
    StatementState& state = statement_state();
    if (state.busy) fatal_error(err_recursion, "I/O recursion");
    state.busy = true;
    if (!unit_table_ready()) init_unit_table();
    if (!valid_unit(unit)) fatal_error(err_unit_number, contexts.unit_number);
    state.current_unit = unit;
    Unit& entry = unit_entry(unit);
    if (!entry.connected() && !connect_by_default(unit)) fatal_error(err_not_connected, contexts.not_connected);
    if (!entry.formatted) fatal_error(err_formatted_not_allowed, contexts.not_formatted);
    state.direction = direction;
    line_buffer().clear();
}

// The switch to writing at the start of a write statement, if the unit is
// not writing yet; a unit that cannot be switched is error 127 with the
// statement's context word.
// Inlined into every statement: it is a test in all but the first.
[[gnu::always_inline]] inline void switch_to_writing(int unit, const char* context) {
    if (unit_entry(unit).last_was_write != 1 && !switch_to_writing(unit)) fatal_error(err_cannot_write, context);
}

// Ends the line in the line buffer and hands it, with its line feed, to the
// current unit's stream.
inline void emit_line() {
    LineBuffer& buffer = line_buffer();
    buffer.put('\n');
    hand_over(statement_state().current_unit, buffer.data(), static_cast<std::size_t>(buffer.position()));
    buffer.clear();
}

// Marks the services idle again.
void end_statement();

}  // namespace textio
