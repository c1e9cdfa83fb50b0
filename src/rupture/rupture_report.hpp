// The rupture's figures: on the console and, with --report, in the
// "rupture" section of the report file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/subfault.hpp"
#include "rupture/moment_rate.hpp"
#include "rupture/pulse_plan.hpp"

namespace exp_slipv {

struct RuptureFigures {
    std::string model_file;
    double stated_moment_nm = 0.0;  // the model header's Mo, 0 for none
    std::size_t subfaults = 0, with_slip = 0, segments = 0;
    double dt = 0.0;
    MomentFigures moment;
    double band_hz = 0.0;  // the sampled spectrum within 1 % of the closed form up to here
    // The pulse with the shortest time to 95 % of its slip, and where.
    double shortest_rise_s = 0.0;
    std::int64_t shortest_line = 0;
    // The largest |dt sum v - 1| before the samples were scaled, and where.
    double largest_correction = 0.0;
    std::int64_t correction_line = 0;
};

RuptureFigures rupture_figures(const RuptureModel& model, const PulsePlans& plans, const MomentFigures& moment,
                               const MomentSpectrum& spectrum);

// The console lines, each begun with a blank.
std::vector<std::string> rupture_console_lines(const RuptureFigures& figures);
// The report file's text: {"rupture": {...}}.
std::string rupture_json(const RuptureFigures& figures);

}  // namespace exp_slipv
