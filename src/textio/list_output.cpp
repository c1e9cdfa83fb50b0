#include "textio/list_output.hpp"

#include "textio/convert.hpp"
#include "textio/decimal.hpp"
#include "textio/line_buffer.hpp"
#include "textio/statement.hpp"
#include "textio/units.hpp"

namespace textio {

namespace {

constexpr StatementContexts list_contexts = {"stler", "stler", "stler"};
constexpr const char* list_start_context = "list output start";

// Ends the current line first when the item would reach the limit; a line
// is never ended while it is empty.
void break_before(std::int64_t width) {
    const int position = line_buffer().position();
    if (position != 0 && position + width >= line_length_limit) emit_line();
}

}  // namespace

void list_begin(int unit) {
    begin_statement(unit, list_contexts);
    StatementState& state = statement_state();
    state.has_last_format = true;
    state.last_format = list_io_format;
    switch_to_writing(unit, list_start_context);
}

void check_line_output(int unit, std::string_view name) { check_writable(unit, name, false, list_start_context); }

void list_item(std::string_view text) {
    break_before(static_cast<std::int64_t>(text.size()));
    LineBuffer& buffer = line_buffer();
    if (buffer.position() == 0) buffer.put(' ');
    buffer.put(text.data(), static_cast<int>(text.size()));
}

void list_item(const char* text) { list_item(std::string_view(text)); }

void list_item(std::int32_t value) {
    char digits[max_integer_digits];
    const std::uint32_t magnitude =
        value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    const int count = write_integer(digits, magnitude);
    // Only the digits count towards the limit, not the blank or the sign.
    break_before(count);
    LineBuffer& buffer = line_buffer();
    buffer.put(' ');
    if (value < 0) buffer.put('-');
    buffer.put(digits, count);
}

void list_item(double value) {
    char text[list_double_max_length];
    const int length = write_list_double(text, value);
    break_before(length);
    line_buffer().put(text, length);
}

void list_end() {
    emit_line();
    end_statement();
}

}  // namespace textio
