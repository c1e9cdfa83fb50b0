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
    std::vector<Step> steps;
    std::size_t values = 0;
    bool built = false;
    // One record with no reversion: its width is known and it can be
    // written in one reserved stretch of the line buffer.
    bool single_record = true;
    std::int64_t width = 0;
};

// Parsed formats by their text: a program uses a handful of formats, each
// for many records in a row.
class FormatCache {
public:
    struct Entry {
        bool valid = false;
        std::string text;
        RecordFormat format;
        RecordPlan plan;
    };

    Entry& get(std::string_view text) {
        for (Entry& entry : entries_)
            if (entry.valid && entry.text == text) return entry;
        Entry& entry = entries_[next_];
        next_ = (next_ + 1) % entries_.size();
        entry.valid = false;
        entry.plan.built = false;
        const FormatError error = parse_format(text, entry.format);
        if (error != FormatError::none)
            fatal_error(err_format, error == FormatError::unterminated_text ? "bad string" : "startio");
        entry.text.assign(text);
        entry.valid = true;
        return entry;
    }

private:
    std::array<Entry, 4> entries_;
    std::size_t next_ = 0;
};

FormatCache format_cache;
FormatCache::Entry* current_entry = nullptr;

using Step = RecordPlan::Step;

// Walks the format for the given number of values: each value takes the
// next field, literal texts are written as the walk meets them, and values
// left at the end of the format go on in a new record from the reversion
// point.  After the last value the walk writes texts up to the next field.
void build_plan(const RecordFormat& format, std::size_t values, RecordPlan& plan) {
    plan.steps.clear();
    plan.values = values;
    plan.built = true;
    plan.single_record = true;
    plan.width = 0;
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
                plan.single_record = false;
                return;
            }
        }
        const Step::Kind kind = field->kind == FormatItem::Kind::fixed ? Step::Kind::fixed : Step::Kind::exponent;
        plan.steps.push_back({kind, field->width, field->digits, {}});
    }
    const FormatItem* unused = nullptr;
    walk.next(&unused, text);
    for (const Step& step : plan.steps)
        plan.width += step.kind == Step::Kind::text ? static_cast<std::int64_t>(step.text.size()) : std::max(step.width, 0);
}

// Writes a single-record plan straight into the line buffer.
void write_single_record(const RecordPlan& plan, const double* value) {
    LineBuffer& buffer = line_buffer();
    char* p = buffer.reserve(plan.width);
    for (const Step& step : plan.steps) {
        switch (step.kind) {
            case Step::Kind::fixed:
                write_fixed(p, *value++, step.width, step.digits);
                p += std::max(step.width, 0);
                break;
            case Step::Kind::exponent:
                write_exponent(p, *value++, step.width, step.digits);
                p += std::max(step.width, 0);
                break;
            case Step::Kind::text:
                if (step.text.size() == 1)
                    *p = step.text[0];  // the usual separator, without a call
                else
                    std::memcpy(p, step.text.data(), step.text.size());
                p += step.text.size();
                break;
            case Step::Kind::next_record:
            case Step::Kind::format_error:
                break;  // not in a single-record plan
        }
    }
    buffer.advance(static_cast<int>(plan.width));
}

}  // namespace

void begin_record(int unit, std::string_view format) {
    begin_statement(unit, record_contexts);
    StatementState& state = statement_state();
    state.has_last_format = true;
    state.last_format = format;
    current_entry = &format_cache.get(format);
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
    RecordPlan& plan = current_entry->plan;
    if (!plan.built || plan.values != values.size()) build_plan(current_entry->format, values.size(), plan);
    const double* value = values.data();
    if (plan.single_record) {
        write_single_record(plan, value);
        end_record();
        return;
    }
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
                emit_line();
                break;
            case Step::Kind::format_error:
                fatal_error(err_format, "startio");
        }
    }
    end_record();
}

}  // namespace textio
