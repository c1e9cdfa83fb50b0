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
#include "textio/run_frame.hpp"
#include "textio/statement.hpp"

namespace textio {

namespace {

constexpr StatementContexts record_contexts = {"startio", "sfe", "sfe"};

// The steps of a record statement with a given number of values: the walk
// over the format, made once and replayed for every record.
struct RecordPlan {
    struct Step {
        enum class Kind { fixed, exponent, text, next_record, format_error } kind;
        int width = 0;
        int digits = 0;
        std::string_view text;  // into the parsed format, which outlives the plan
    };
    // One field with the literal text before it, for the common plan of a
    // single record: the record is then written in one stretch of the line
    // buffer, whose width is known.
    struct Field {
        bool exponent = false;
        int width = 0;  // never negative
        int digits = 0;
        std::size_t text_offset = 0;  // into texts
        std::size_t text_size = 0;
    };

    std::vector<Step> steps;
    std::size_t values = 0;
    bool built = false;
    bool single_record = true;
    std::vector<Field> fields;  // single_record only
    std::string texts;          // the literal texts of the fields, then the closing text
    std::size_t closing_offset = 0;
    std::int64_t width = 0;
};

}  // namespace

struct FormatState {
    std::string text;
    bool parsed = false;
    RecordFormat format;
    RecordPlan plan;
};

namespace {

using Step = RecordPlan::Step;

// Walks the format for the given number of values: each value takes the
// next field, literal texts are written as the walk meets them, and values
// left at the end of the format go on in a new record from the reversion
// point.  After the last value the walk writes texts up to the next field.
void build_steps(const RecordFormat& format, std::size_t values, RecordPlan& plan) {
    FormatWalk walk(format);
    const auto text = [&](const std::string& literal) { plan.steps.push_back({Step::Kind::text, 0, 0, literal}); };
    for (std::size_t i = 0; i < values; ++i) {
        const FormatItem* field = nullptr;
        if (walk.next(&field, text) == FormatWalk::Stop::end) {
            plan.steps.push_back({Step::Kind::next_record, 0, 0, {}});
            plan.single_record = false;
            walk.revert();
            if (walk.next(&field, text) == FormatWalk::Stop::end) {
                plan.steps.push_back({Step::Kind::format_error, 0, 0, {}});
                return;
            }
        }
        const Step::Kind kind = field->kind == FormatItem::Kind::fixed ? Step::Kind::fixed : Step::Kind::exponent;
        plan.steps.push_back({kind, field->width, field->digits, {}});
    }
    const FormatItem* unused = nullptr;
    walk.next(&unused, text);
}

// The compact form of a single-record plan: each field with its texts.
void build_fields(RecordPlan& plan) {
    std::size_t text_start = 0;
    for (const Step& step : plan.steps) {
        if (step.kind == Step::Kind::text) {
            plan.texts.append(step.text);
            continue;
        }
        // A field of no width writes nothing, as one of negative width does.
        const int width = std::max(step.width, 0);
        plan.fields.push_back(
            {step.kind == Step::Kind::exponent, width, step.digits, text_start, plan.texts.size() - text_start});
        plan.width += static_cast<std::int64_t>(plan.texts.size() - text_start) + width;
        text_start = plan.texts.size();
    }
    plan.closing_offset = text_start;
    plan.width += static_cast<std::int64_t>(plan.texts.size() - text_start);
}

void build_plan(const RecordFormat& format, std::size_t values, RecordPlan& plan) {
    plan = RecordPlan{};
    plan.values = values;
    plan.built = true;
    build_steps(format, values, plan);
    if (plan.single_record) build_fields(plan);
}

void put_bytes(char* p, const char* bytes, std::size_t size) {
    if (size == 1)
        *p = *bytes;  // the usual separator, without a call
    else if (size > 1)
        std::memcpy(p, bytes, size);
}

void write_single_record(const RecordPlan& plan, const double* value) {
    LineBuffer& buffer = line_buffer();
    char* p = buffer.reserve(plan.width);
    for (const RecordPlan::Field& field : plan.fields) {
        put_bytes(p, plan.texts.data() + field.text_offset, field.text_size);
        p += field.text_size;
        if (field.exponent)
            write_exponent(p, *value++, field.width, field.digits);
        else
            write_fixed(p, *value++, field.width, field.digits);
        p += field.width;
    }
    put_bytes(p, plan.texts.data() + plan.closing_offset, plan.texts.size() - plan.closing_offset);
    buffer.advance(static_cast<int>(plan.width));
}

void write_steps(const RecordPlan& plan, const double* value) {
    for (const Step& step : plan.steps) {
        switch (step.kind) {
            case Step::Kind::fixed:
                put_fixed(*value++, step.width, step.digits);
                break;
            case Step::Kind::exponent:
                put_exponent(*value++, step.width, step.digits);
                break;
            case Step::Kind::text:
                put_text(step.text);
                break;
            case Step::Kind::next_record:
                emit_line();  // the record ends and the walk goes on in a new one
                break;
            case Step::Kind::format_error:
                fatal_error(err_format, "startio");
        }
    }
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
FormatState* current_format = nullptr;

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
    current_format = &format;
    start_writing(unit, "write start");
}

void write_record(int unit, FormatState& format, std::span<const double> values) {
    begin_record(unit, format);
    RecordPlan& plan = format.plan;
    if (!plan.built || plan.values != values.size()) build_plan(format.format, values.size(), plan);
    if (plan.single_record)
        write_single_record(plan, values.data());
    else
        write_steps(plan, values.data());
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
