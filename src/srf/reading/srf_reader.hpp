// A lenient reader of SRF 1.0 and 2.0 text, streaming: the file is never
// held whole, a point at a time.  What a careful reader can take, it
// takes: no version line, '#' lines anywhere, PLANE or none, several
// POINTS blocks, more or fewer points than a block declares, 8 or 10
// fields on a point's first line, samples spread over any number of lines,
// blanks and tabs anywhere, LF or CRLF.  What it cannot is a ModelError
// with its line: a word where a number must be, a count that is negative,
// fractional or absurd, samples without a positive DT, an empty file.
//
// Everything it meets goes to a visitor, in the file's order; the facts of
// the text itself (comment lines, blanks at line ends, long lines, an
// integer with a leading 0) too, with their lines.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "srf/reading/text_chunks.hpp"

namespace exp_slipv {

struct SrfPoint {
    std::int64_t line = 0;     // of its first field
    std::size_t block = 0;     // the POINTS block, from 0
    int fields = 8;            // on its first line: 8, or 10 with VS and DEN
    double lon = 0, lat = 0, dep = 0, stk = 0, dip = 0;
    double area_cm2 = 0, tinit_s = 0, dt_s = 0;
    double vs_cm_s = 0, den_g_cm3 = 0;  // 0 where the line has 8 fields
    double rake = 0;
    std::array<double, 3> slip_cm{};
    std::array<std::vector<double>, 3> samples;  // u1, u2, u3 slip rates, cm/s
};

class SrfVisitor {
public:
    virtual ~SrfVisitor() = default;
    // The version line's text and line; an empty text where there is none.
    virtual void version(const std::string& text, std::int64_t line) = 0;
    virtual void plane(std::int64_t segments, std::int64_t line) = 0;
    virtual void points_block(std::int64_t declared, std::int64_t line) = 0;
    // The block at `line` ended: `found` complete points.
    virtual void block_end(std::int64_t declared, std::int64_t found, std::int64_t line) = 0;
    virtual void point(const SrfPoint& point) = 0;
    // The file ends inside the point record that begins at `line`.
    virtual void truncated(std::int64_t line) = 0;
    virtual void comment_line(std::int64_t line) = 0;
    virtual void blank_at_line_end(std::int64_t line) = 0;
    virtual void long_line(std::int64_t line, std::uint64_t characters) = 0;
    virtual void leading_zero(std::int64_t line, const std::string& field) = 0;
    // Bytes read so far, now and then.
    virtual void progress(std::uint64_t /*bytes*/) {}
};

inline constexpr std::uint64_t long_line_characters = 1024;  // a line this long or longer is cut by one reader
inline constexpr std::int64_t max_srf_samples = std::int64_t{1} << 24;  // NT of one component
inline constexpr std::int64_t max_srf_count = std::int64_t{1} << 40;    // POINTS, PLANE

void read_srf(TextChunks& chunks, SrfVisitor& visitor);

}  // namespace exp_slipv
