#include "rupture/srf_output.hpp"

#include <vector>

#include "rupture/parallel.hpp"
#include "rupture/progress.hpp"
#include "textio/byte_output.hpp"
#include "textio/units.hpp"

namespace exp_slipv {

namespace {

// A piece of points is formatted by one thread; about this many bytes.
constexpr double piece_bytes = 1 << 20;
// What a point's text costs, roughly: its two lines and each sample.
constexpr double point_bytes = 200.0;
constexpr double sample_bytes = 15.0;

struct Range {
    std::size_t begin, end;
};

// What one thread formats into, on cache lines of its own: two threads
// that append to neighbouring strings would pass each line back and forth
// at every number.
struct alignas(64) Workspace {
    std::string text;
    std::vector<double> samples;
};

// The POINTS blocks: one per segment, or one for all points.
std::vector<Range> blocks_of(const RuptureModel& model, bool per_segment) {
    const std::size_t n = model.subfaults.size();
    if (!per_segment) return {{0, n}};
    std::vector<Range> blocks;
    std::size_t begin = 0;
    for (std::size_t i = 1; i <= n; ++i)
        if (i == n || model.subfaults[i].segment != model.subfaults[begin].segment) {
            blocks.push_back({begin, i});
            begin = i;
        }
    return blocks;
}

}  // namespace

void write_srf(int unit, const std::string& path, const SrfContent& content, const SrfLayout& layout,
               const PulsePlans& plans, int threads) {
    const RuptureModel& model = *content.model;
    textio::open_unit_replacing(unit, path);
    textio::write_bytes(unit, srf_head(content, layout));

    // The pieces, in the file's order.
    std::vector<Range> pieces;
    double total = 0.0;
    std::vector<std::size_t> block_starts;  // the piece each block begins with
    for (const Range& block : blocks_of(model, layout.block_per_segment)) {
        block_starts.push_back(pieces.size());
        std::size_t begin = block.begin;
        double bytes = 0.0;
        for (std::size_t i = block.begin; i < block.end; ++i) {
            const double cost = point_bytes + sample_bytes * static_cast<double>(plans.sample_count(model.subfaults[i]));
            bytes += cost;
            total += cost;
            if (bytes >= piece_bytes || i + 1 == block.end) {
                pieces.push_back({begin, i + 1});
                begin = i + 1;
                bytes = 0.0;
            }
        }
        if (block.begin == block.end) pieces.push_back({block.begin, block.end});
    }

    Progress progress("writing " + path);
    std::vector<Workspace> work(static_cast<std::size_t>(threads));
    std::size_t next_block = 0;
    double done = 0.0;
    for (std::size_t first = 0; first < pieces.size(); first += static_cast<std::size_t>(threads)) {
        const std::size_t count = std::min(pieces.size() - first, static_cast<std::size_t>(threads));
        run_tasks(static_cast<int>(count), [&](int t) {
            Workspace& w = work[static_cast<std::size_t>(t)];
            w.text.clear();
            const Range& piece = pieces[first + static_cast<std::size_t>(t)];
            append_points(w.text, content, layout, piece.begin, piece.end, w.samples);
        });
        for (std::size_t t = 0; t < count; ++t) {
            const std::size_t piece = first + t;
            if (next_block < block_starts.size() && block_starts[next_block] == piece) {
                const std::size_t block_end =
                    next_block + 1 < block_starts.size() ? pieces[block_starts[next_block + 1]].begin : model.subfaults.size();
                textio::write_bytes(unit, points_line(block_end - pieces[piece].begin));
                ++next_block;
            }
            textio::write_bytes(unit, work[t].text);
            done += static_cast<double>(work[t].text.size());
        }
        progress.update(done, total);
    }
    textio::close_unit(unit);
}

}  // namespace exp_slipv
