#include "textio/byte_output.hpp"

#include "textio/statement.hpp"
#include "textio/units.hpp"

namespace textio {

namespace {

constexpr StatementContexts byte_contexts = {"byte output", "byte output", "byte output"};

}  // namespace

void write_bytes(int unit, std::string_view bytes) {
    begin_statement(unit, byte_contexts);
    statement_state().has_last_format = false;  // bytes follow no format
    switch_to_writing(unit, byte_output_start);
    hand_over(unit, bytes.data(), bytes.size());
    end_statement();
}

void check_replacing_output(int unit, std::string_view name) {
    if (!unit_table_ready()) init_unit_table();
    if (!valid_unit(unit)) fatal_error(err_unit_number, "open");
    report_unless_writable(unit, name, probe_writable(name, true), byte_output_start);
}

}  // namespace textio
