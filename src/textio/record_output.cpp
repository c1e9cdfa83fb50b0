#include "textio/record_output.hpp"

#include <array>
#include <string>

#include "textio/convert.hpp"
#include "textio/errors.hpp"
#include "textio/line_buffer.hpp"
#include "textio/record_format.hpp"
#include "textio/run_frame.hpp"
#include "textio/statement.hpp"

namespace textio {

namespace {

constexpr StatementContexts record_contexts = {"startio", "sfe", "sfe"};

// Parsed formats by their text: a program uses a handful of formats, each
// for many records in a row.
class FormatCache {
public:
    const RecordFormat& get(std::string_view text) {
        for (Entry& entry : entries_)
            if (entry.valid && entry.text == text) return entry.format;
        Entry& entry = entries_[next_];
        next_ = (next_ + 1) % entries_.size();
        entry.valid = false;
        const FormatError error = parse_format(text, entry.format);
        if (error != FormatError::none)
            fatal_error(err_format, error == FormatError::unterminated_text ? "bad string" : "startio");
        entry.text.assign(text);
        entry.valid = true;
        return entry.format;
    }

private:
    struct Entry {
        bool valid = false;
        std::string text;
        RecordFormat format;
    };
    std::array<Entry, 4> entries_;
    std::size_t next_ = 0;
};

FormatCache& format_cache() {
    static FormatCache cache;
    return cache;
}

const RecordFormat* current_format = nullptr;

void put_field(const FormatItem& field, double value) {
    if (field.kind == FormatItem::Kind::fixed)
        put_fixed(value, field.width, field.digits);
    else
        put_exponent(value, field.width, field.digits);
}

}  // namespace

void begin_record(int unit, std::string_view format) {
    begin_statement(unit, record_contexts);
    StatementState& state = statement_state();
    state.has_last_format = true;
    state.last_format = format;
    current_format = &format_cache().get(format);
    start_writing(unit, "write start");
}

void put_fixed(double value, int w, int d) {
    if (w <= 0) return;
    LineBuffer& buffer = line_buffer();
    write_fixed(buffer.reserve(w), value, w, d);
    buffer.advance(w);
}

void put_exponent(double value, int w, int d) {
    if (w <= 0) return;
    LineBuffer& buffer = line_buffer();
    write_exponent(buffer.reserve(w), value, w, d);
    buffer.advance(w);
}

void put_text(std::string_view text) { line_buffer().put(text.data(), static_cast<int>(text.size())); }

void end_record() {
    emit_line();
    statement_state().has_last_format = false;  // a completed record leaves no format behind
    end_statement();
}

void write_record(int unit, std::string_view format, std::span<const double> values) {
    begin_record(unit, format);
    FormatWalk walk(*current_format);
    const auto text = [](const std::string& literal) { put_text(literal); };
    for (const double value : values) {
        const FormatItem* field = nullptr;
        if (walk.next(&field, text) == FormatWalk::Stop::end) {
            // Values remain at the end of the format: the record ends and the
            // walk resumes in a new one.
            emit_line();
            walk.revert();
            if (walk.next(&field, text) == FormatWalk::Stop::end) fatal_error(err_format, "startio");
        }
        put_field(*field, value);
    }
    // Literal texts after the last field are written, up to a field that
    // would need another value.
    const FormatItem* unused = nullptr;
    walk.next(&unused, text);
    end_record();
}

}  // namespace textio
