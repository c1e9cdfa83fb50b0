// The rupture's moment-rate function M'(t) = sum mu_i A_i D_i v_i(t - t_i),
// each term from its pulse's closed form at the exact time (onsets are not
// rounded to the grid), sampled at k dt from 0 until past the end of the
// last pulse; and its spectrum, sampled and closed form.
#pragma once

#include <cstdint>
#include <vector>

#include "model/subfault.hpp"
#include "moment/moment_series.hpp"
#include "rupture/pulse_plan.hpp"

namespace exp_slipv {


// Samples at k dt from 0; the moment is sum mu A D s(t - t_i) from the
// slips' closed forms, a pulse counted whole once its record ends.  Each
// sample sums its terms in the model's order, whichever thread works
// it out: the same bytes for any thread count.
MomentRate moment_rate(const RuptureModel& model, const PulsePlans& plans, int threads);

// The sampled spectrum and beside it the closed form
// |sum M0_i V_i(omega) e^(-i omega t_i)|.
MomentSpectrum moment_spectrum(const RuptureModel& model, const MomentRate& rate, int threads);

// Figures of the samples.
struct MomentFigures {
    double total_nm = 0.0;           // sum mu A D
    double mw = 0.0;                 // 2/3 (log10 M0 - 9.1)
    double first_onset_s = 0.0, end_s = 0.0;  // of the subfaults with slip
    double centroid_time_s = 0.0;    // sum t M' / sum M' over the samples
    double peak_rate = 0.0, peak_time_s = 0.0;
};
MomentFigures moment_figures(const RuptureModel& model, const PulsePlans& plans, const MomentRate& rate);

// The highest frequency up to which every bin whose closed form is at least
// floor times its largest lies within the tolerance of it.
double agreement_band(const MomentSpectrum& spectrum, double tolerance, double floor);

inline constexpr double band_tolerance = 0.01;
inline constexpr double band_floor = 1e-12;

}  // namespace exp_slipv
