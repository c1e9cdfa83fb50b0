#include "textio/statement.hpp"

#include "textio/errors.hpp"
#include "textio/line_buffer.hpp"
#include "textio/signals.hpp"
#include "textio/units.hpp"

namespace textio {

namespace detail {
StatementState statement_state;
}

void end_statement() { statement_state().busy = false; }

}  // namespace textio
