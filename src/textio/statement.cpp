#include "textio/statement.hpp"

#include "textio/errors.hpp"
#include "textio/line_buffer.hpp"
#include "textio/run_frame.hpp"
#include "textio/signals.hpp"
#include "textio/units.hpp"

namespace textio {

namespace detail {
StatementState statement_state;
}

void begin_statement(int unit, const StatementContexts& contexts) {
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
    state.direction = "writing";
    line_buffer().clear();
}

void switch_unit_to_writing(int unit, const char* context) {
    if (!switch_to_writing(unit)) fatal_error(err_cannot_write, context);
}

void emit_line() {
    LineBuffer& buffer = line_buffer();
    buffer.put('\n');
    hand_over(statement_state().current_unit, buffer.data(), static_cast<std::size_t>(buffer.position()));
    buffer.clear();
}

void end_statement() { statement_state().busy = false; }

}  // namespace textio
