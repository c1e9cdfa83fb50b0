#include "textio/statement.hpp"

#include "textio/errors.hpp"
#include "textio/line_buffer.hpp"
#include "textio/signals.hpp"
#include "textio/units.hpp"

namespace textio {

namespace detail {
StatementState statement_state;
}

void switch_unit_to_writing(int unit, const char* context) {
    if (!switch_to_writing(unit)) fatal_error(err_cannot_write, context);
}

void end_statement() { statement_state().busy = false; }

}  // namespace textio
