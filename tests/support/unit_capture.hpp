// What a set of statements writes on a file unit, through the real open,
// streams and close.
#pragma once

#include <string>

#include "support/temp_dir.hpp"
#include "textio/units.hpp"

namespace testing_support {

inline constexpr int capture_unit = 20;

template <typename Statements>
std::string written_on_unit(Statements statements) {
    TempDir dir;
    const std::string path = dir.file("unit.txt");
    textio::open_unit(capture_unit, path);
    statements(capture_unit);
    textio::close_unit(capture_unit);
    return read_file(path);
}

}  // namespace testing_support
