#include "rupture/srf_output.hpp"

#include <vector>

#include "parallel/parallel.hpp"
#include "parallel/progress.hpp"
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

    // Which piece each POINTS line comes before, and its count.
    std::vector<std::size_t> block_counts(pieces.size(), 0);
    for (std::size_t b = 0; b < block_starts.size(); ++b) {
        const std::size_t end = b + 1 < block_starts.size() ? pieces[block_starts[b + 1]].begin : model.subfaults.size();
        block_counts[block_starts[b]] = end - pieces[block_starts[b]].begin;
    }
    Progress progress("writing " + path);
    double done = 0.0;
    ordered_pipeline(
        pieces.size(), threads,
        [&](std::size_t i, std::string& text) {
            std::vector<double> samples;  // one piece's, on the thread that formats it
            if (block_counts[i] > 0) text += points_line(block_counts[i]);
            append_points(text, content, layout, pieces[i].begin, pieces[i].end, samples);
        },
        [&](std::size_t, const std::string& text) {
            textio::write_bytes(unit, text);
            done += static_cast<double>(text.size());
            progress.update(done, total);
        });
    textio::close_unit(unit);
}

}  // namespace exp_slipv
