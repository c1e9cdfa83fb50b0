#include "textio/record_output.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "textio/convert.hpp"
#include "textio/errors.hpp"
#include "textio/line_buffer.hpp"
#include "textio/record_format.hpp"
#include "textio/statement.hpp"

namespace textio {

namespace {

constexpr StatementContexts record_contexts = {"startio", "sfe", "sfe"};

// The walk of a record statement over its format for a given number of
// values, made once and replayed for every statement: the records it
// writes, each as its fields with the literal text before each and the text
// after the last, so that a record is written in one stretch of the line
// buffer whose width is known.
struct RecordPlan {
    struct Field {
        bool exponent = false;
        int width = 0;  // never negative: a field of no width writes nothing
        int digits = 0;
        int exponent_digits = 0;
        std::size_t text_offset = 0;  // its literal text, in texts
        std::size_t text_size = 0;
    };
    struct Record {
        std::vector<Field> fields;
        std::size_t closing_offset = 0;  // the text after the last field, in texts
        std::size_t closing_size = 0;
        std::int64_t width = 0;
    };

    std::vector<Record> records;  // more than one when values remain at the format's end
    std::string texts;
    bool format_error = false;    // the format has no field for the values left
    std::size_t values = 0;
    bool built = false;
};

}  // namespace

struct FormatState {
    std::string text;
    bool parsed = false;
    RecordFormat format;
    RecordPlan plan;
};

namespace {

// Walks the format for the given number of values: each value takes the
// next field, literal texts are written as the walk meets them, and values
// left at the end of the format go on in a new record from the reversion
// point.  After the last value the walk writes texts up to the next field.
void build_plan(const RecordFormat& format, std::size_t values, RecordPlan& plan) {
    plan = RecordPlan{};
    plan.values = values;
    plan.built = true;
    FormatWalk walk(format);
    std::size_t text_start = 0;
    const auto text = [&](const std::string& literal) { plan.texts.append(literal); };
    const auto close_record = [&] {
        RecordPlan::Record& record = plan.records.back();
        record.closing_offset = text_start;
        record.closing_size = plan.texts.size() - text_start;
        record.width += static_cast<std::int64_t>(record.closing_size);
        text_start = plan.texts.size();
    };
    plan.records.emplace_back();
    for (std::size_t i = 0; i < values; ++i) {
        const FormatItem* field = nullptr;
        if (walk.next(&field, text) == FormatWalk::Stop::end) {
            close_record();
            plan.records.emplace_back();
            walk.revert();
            if (walk.next(&field, text) == FormatWalk::Stop::end) {
                plan.format_error = true;
                break;
            }
        }
        RecordPlan::Record& record = plan.records.back();
        const int width = std::max(field->width, 0);
        const std::size_t text_size = plan.texts.size() - text_start;
        record.fields.push_back({field->kind == FormatItem::Kind::exponent, width, field->digits,
                                 field->exponent_digits, text_start, text_size});
        record.width += static_cast<std::int64_t>(text_size) + width;
        text_start = plan.texts.size();
    }
    if (!plan.format_error) {
        const FormatItem* unused = nullptr;
        walk.next(&unused, text);
    }
    close_record();
}

void put_bytes(char* p, const char* bytes, std::size_t size) {
    if (size == 1)
        *p = *bytes;  // the usual separator, without a call
    else if (size > 1)
        std::memcpy(p, bytes, size);
}

// Writes one record of a plan into the line buffer; returns the next value.
const double* write_planned_record(const RecordPlan& plan, const RecordPlan::Record& record, const double* value) {
    LineBuffer& buffer = line_buffer();
    char* p = buffer.reserve(record.width);
    for (const RecordPlan::Field& field : record.fields) {
        put_bytes(p, plan.texts.data() + field.text_offset, field.text_size);
        p += field.text_size;
        if (field.exponent_digits > 0)
            write_exponent_digits(p, *value++, field.width, field.digits, field.exponent_digits);
        else if (field.exponent)
            write_exponent(p, *value++, field.width, field.digits);
        else
            write_fixed(p, *value++, field.width, field.digits);
        p += field.width;
    }
    put_bytes(p, plan.texts.data() + record.closing_offset, record.closing_size);
    buffer.advance(static_cast<int>(record.width));
    return value;
}

// Parsed formats by their text, for statements that give a format as text:
// a program uses a handful of formats, each for many records in a row.
class FormatCache {
public:
    FormatState& get(std::string_view text) {
        for (FormatState& entry : entries_)
            if (entry.parsed && entry.text == text) return entry;
        FormatState& entry = entries_[next_];
        next_ = (next_ + 1) % entries_.size();
        entry = FormatState{};
        entry.text.assign(text);
        return entry;
    }

private:
    std::array<FormatState, 4> entries_;
    std::size_t next_ = 0;
};

FormatCache format_cache;

void begin_record(int unit, FormatState& format) {
    begin_statement(unit, record_contexts);
    StatementState& state = statement_state();
    state.has_last_format = true;
    state.last_format = format.text;
    if (!format.parsed) {
        const FormatError error = parse_format(format.text, format.format);
        if (error != FormatError::none)
            fatal_error(err_format, error == FormatError::unterminated_text ? "bad string" : "startio");
        format.parsed = true;
    }
    switch_to_writing(unit, "write start");
}

void write_record(int unit, FormatState& format, std::span<const double> values) {
    begin_record(unit, format);
    RecordPlan& plan = format.plan;
    if (!plan.built || plan.values != values.size()) build_plan(format.format, values.size(), plan);
    const double* value = write_planned_record(plan, plan.records.front(), values.data());
    for (std::size_t i = 1; i < plan.records.size(); ++i) {
        emit_line();  // the record ends and the walk goes on in a new one
        value = write_planned_record(plan, plan.records[i], value);
    }
    if (plan.format_error) fatal_error(err_format, "startio");
    end_record();
}

}  // namespace

Format::Format(std::string_view text) : state_(std::make_unique<FormatState>()) { state_->text.assign(text); }
Format::~Format() = default;
std::string_view Format::text() const { return state_->text; }

void begin_record(int unit, std::string_view format) { begin_record(unit, format_cache.get(format)); }

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
    write_record(unit, format_cache.get(format), values);
}

void write_record(int unit, const Format& format, std::span<const double> values) {
    write_record(unit, format.state(), values);
}

}  // namespace textio
