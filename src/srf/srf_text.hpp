// The text of an SRF file in any layout: the lines before the points, and
// the point records.  Units of the format: km, cm, cm^2, cm/s, g/cm^3.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "model/subfault.hpp"
#include "srf/plane_geometry.hpp"
#include "srf/srf_layout.hpp"

namespace exp_slipv {

inline constexpr int samples_per_line = 6;

// What every layout is written from.
struct SrfContent {
    const RuptureModel* model = nullptr;
    double dt = 0.0;
    std::vector<PlaneEntry> planes;        // one per segment, in the model's order
    std::vector<std::string> provenance;   // lines for layouts that carry them, without the '#'
    // A point's slip-rate samples, cm/s, of DT sum = SLIP1 (empty for no slip).
    std::function<void(std::size_t point, std::vector<double>& samples)> samples;
};

// The version line, provenance and PLANE block.
std::string srf_head(const SrfContent& content, const SrfLayout& layout);
// "POINTS n".
std::string points_line(std::size_t count);
// The records of points [begin, end), appended; scratch holds the samples.
void append_points(std::string& out, const SrfContent& content, const SrfLayout& layout, std::size_t begin,
                   std::size_t end, std::vector<double>& scratch);

}  // namespace exp_slipv
