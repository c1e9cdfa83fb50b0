// The unit table: units 0 to 99 mapped to streams, the create-or-replace
// open, the switch to writing, the close with its cut, and the close-all.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "textio/stream.hpp"

namespace textio {

inline constexpr int unit_count = 100;
inline constexpr int error_unit = 0;
inline constexpr int input_unit = 5;
inline constexpr int output_unit = 6;

// Access rights of a unit, as bits.
inline constexpr int may_read = 1;
inline constexpr int may_write = 2;

struct Unit {
    Stream stream;
    bool named = false;       // a file opened by name, not a standard stream
    std::string name;         // the name given at open, trailing blanks removed
    int record_length = 0;    // 0: sequential
    bool formatted = true;
    int access = 0;
    bool at_end = false;
    int last_was_write = 0;
    // A unit that replaces its file whole writes a temporary file beside it
    // (this path), renamed over the file at the close and removed at any
    // other end of the run; empty for every other unit.
    std::string replacement;

    bool connected() const { return stream.attached(); }
};

inline bool valid_unit(int unit) { return unit >= 0 && unit < unit_count; }

// Connects units 0, 5 and 6 to standard error, input and output.
void init_unit_table();
bool unit_table_ready();
Unit& unit_entry(int unit);

// Connects the unit to the named file: an existing file that may be read and
// written is kept as it is until the first write reaches it; one that may
// only be read is connected for reading; a missing one is created.  A
// failure is a fatal I/O report.
void open_unit(int unit, std::string_view name);

// Whether the named file could be opened and written, told without changing
// anything: an existing file that may be written, or a missing one in a
// directory where it may be created.
struct WriteProbe {
    enum class Verdict { writable, read_only, failed } verdict = Verdict::writable;
    int error = 0;              // failed: the errno, and the call the report names
    const char* call = nullptr;
};
// With `replacing`, for a unit that replaces its file whole: its directory
// must take a new file even where the file exists.
WriteProbe probe_writable(std::string_view name, bool replacing = false);

// Probes the named file for the unit (probe_writable) and, where it could
// not be written, ends the run with the report that opening it on the unit,
// or the first statement on it (whose context word is `first_write`), would
// give; returns when the file is writable.
void check_writable(int unit, std::string_view name, bool replacing, const char* first_write);

// Gives an unconnected unit the name of its file, for a report about it, and
// makes it the current unit.
void name_unit(int unit, std::string_view name);

// Connects the unit to a new temporary file beside the named one, which it
// will replace whole: the close renames it over the named file (which may
// not have existed); a failure, an interrupt or any other end of the run
// removes it and leaves the named file as it was.  Reports name the file.
void open_unit_replacing(int unit, std::string_view name);

// Connects an unconnected unit to "fort.<unit>"; returns false on failure.
bool connect_by_default(int unit);

// The switch to writing itself: makes the unit writable (a unit connected
// for reading is opened for update) and empties an earlier file beyond the
// position; false when it cannot be made writable (error 127 for the
// statement).  Statements call it through switch_to_writing(unit, context).
bool switch_to_writing(int unit);

// Hands bytes to the unit's stream; a failure is a fatal I/O report.
void hand_over(int unit, const char* data, std::size_t size);

// Writes out what the unit's stream holds; a failure is a fatal I/O report.
void flush_unit(int unit);

// Cuts the unit's file at its position and closes it.
void close_unit(int unit);

enum class CloseAll {
    reporting,       // the normal end: a failed flush is a fatal I/O report
    quiet,           // after a report: failures are ignored
    signal_handler,  // inside a handler: no waiting, no freeing, no reports
};

// Closes units 0 to 99 once per run; a later call closes nothing.  The
// standard streams are flushed, never closed.
void close_all(CloseAll mode);

}  // namespace textio
