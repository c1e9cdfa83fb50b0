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

void check_replacing_output(int unit, std::string_view name) { check_writable(unit, name, true, byte_output_start); }

}  // namespace textio
