// A PLANE entry for one segment, from its subfaults' positions and
// orientation: the segment's mean strike and dip, its points placed on the
// plane along strike (x) and down dip (y), counted in columns and rows.
#pragma once

#include <span>

#include "model/subfault.hpp"

namespace exp_slipv {

struct PlaneEntry {
    double elon = 0.0, elat = 0.0;  // the top centre, degrees
    int nstk = 0, ndip = 0;         // nstk * ndip = the segment's points
    double length_km = 0.0, width_km = 0.0;
    double strike_deg = 0.0, dip_deg = 0.0;
    double top_depth_km = 0.0;
    double hypo_along_km = 0.0, hypo_down_km = 0.0;  // from the top centre
    bool regular = true;  // the points fill a grid of nstk by ndip
};

PlaneEntry describe_segment(std::span<const Subfault> points);

}  // namespace exp_slipv
