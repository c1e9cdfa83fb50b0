// Formatted records: a list of doubles written as one fixed-layout line under
// the control of a record format.
#pragma once

#include <initializer_list>
#include <memory>
#include <span>
#include <string_view>

namespace textio {

struct FormatState;

// A record format kept with its parsed form: a statement that names the same
// Format again neither looks its text up nor parses it.  The text is parsed
// at the first statement, which reports a format error as any statement does.
class Format {
public:
    explicit Format(std::string_view text);
    ~Format();
    Format(const Format&) = delete;
    Format& operator=(const Format&) = delete;

    std::string_view text() const;
    FormatState& state() const { return *state_; }

private:
    std::unique_ptr<FormatState> state_;
};

// Selects and checks the unit, empties the current record and parses the
// format (once per distinct format text).  Writes nothing.
void begin_record(int unit, std::string_view format);
// Appends exactly w characters: an Fw.d field.
void put_fixed(double value, int w, int d);
// Appends exactly w characters: an Ew.d field.
void put_exponent(double value, int w, int d);
// Appends the text unchanged.
void put_text(std::string_view text);
// Appends the line feed and hands the record to the unit's stream.
void end_record();

// One formatted record statement: the values paired with the format's fields
// in order, literal texts written as the walk meets them.
void write_record(int unit, std::string_view format, std::span<const double> values);

void write_record(int unit, const Format& format, std::span<const double> values);

inline void write_record(int unit, std::string_view format, std::initializer_list<double> values) {
    write_record(unit, format, std::span<const double>(values.begin(), values.size()));
}

inline void write_record(int unit, const Format& format, std::initializer_list<double> values) {
    write_record(unit, format, std::span<const double>(values.begin(), values.size()));
}

}  // namespace textio
