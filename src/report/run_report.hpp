// How faithful a run's sampled pulse is: the closed form's figures, the
// sampled pulse's, the band where the sampled spectrum follows the closed
// form, the transform's own error, and what a target band asks of dt.
#pragma once

#include <complex>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "export/export_content.hpp"
#include "parameters.hpp"
#include "source/source.hpp"

namespace exp_slipv {

// The relative tolerances of the faithful band.
inline constexpr double band_tolerance_fine = 0.01;
inline constexpr double band_tolerance_coarse = 0.10;
// Half a unit of the fourth digit the spectrum file prints.
inline constexpr double transform_tolerance = 5e-5;
// Relative figures (the band, the transform's relative error, the deviation
// up to fmax) judge a bin only where the closed form is at least this
// fraction of its peak |V(0)| = 1: below it lie its zeros, where no relative
// departure is defined, and tails too faint for a double's rounding.
inline constexpr double judged_floor = 1e-12;
// The tolerance of a target band.
inline constexpr double target_tolerance = 0.01;
// The final slip of a record that holds nearly the whole pulse: a band that
// fails at the first bin of a shorter record fails for its truncation.
inline constexpr double complete_slip = 0.99;

// Up to where every judged bin, from the first, stays within a tolerance.
struct BandEdge {
    enum class Kind {
        none,      // the first judged bin already departs
        limited,   // a later bin departs: highest_hz is the last one within
        nyquist,   // no judged bin departs: highest_hz is the last judged one
        unjudged,  // no bin is judged (or the run has none)
    };
    Kind kind = Kind::none;  // among the judged bins
    double tolerance = 0.0;
    double highest_hz = 0.0;
    double fraction_of_nyquist = 0.0;
    double first_departure_hz = 0.0;  // limited or none: the first bin beyond
    double first_departure = 0.0;     // its relative departure
};

struct TargetBand {
    double fmax_hz = 0.0;
    bool above_nyquist = false;     // fmax lies above the run's Nyquist frequency
    double max_deviation = 0.0;     // of the sampled spectrum, bins up to fmax
    double max_deviation_hz = 0.0;
    std::optional<double> largest_dt;  // none: no dt keeps the endless record within
    double smallest_dt_tried = 0.0;    // where the search for it ended
};

struct RunReport {
    std::string shape;
    std::vector<SourceParameter> parameters;
    SourceFigures closed;
    double dt = 0.0;
    std::int32_t samples = 0;
    std::int32_t transform_length = 0;
    double nyquist_hz = 0.0;
    double record_duration = 0.0;  // samples dt

    // The sampled pulse.
    double peak_velocity = 0.0;
    double peak_time = 0.0;
    double centroid_time = 0.0;
    std::optional<double> time_to_95;  // the first sample whose slip reaches 0.95
    double final_slip_trapezoid = 0.0;
    double final_slip_exact = 0.0;
    double max_slip_error = 0.0;  // |trapezoid - exact|
    double max_slip_error_time = 0.0;

    // The faithful band; no bins: a run of fewer than 4 transform points.
    std::int32_t bins = 0;
    std::int32_t unjudged_bins = 0;  // closed form below judged_floor
    double first_unjudged_hz = 0.0;
    BandEdge fine, coarse;
    double last_bin_hz = 0.0;
    double ratio_at_last_bin = 0.0;  // sampled / closed form, judged or not
    bool last_bin_judged = false;

    // The transform against the exact transform of the same samples: the
    // largest relative difference where both are judged, the largest
    // absolute one (of the peak 1) over every bin.
    double max_transform_error = 0.0;
    double max_transform_error_hz = 0.0;
    double max_transform_abs_error = 0.0;
    double max_transform_abs_error_hz = 0.0;
    std::int64_t bins_over_tolerance = 0;
    double first_over_tolerance_hz = 0.0;
    std::string transform_reference;  // what the exact transform is: a closed form or a sum

    std::vector<SourceNote> notes;  // figures only this shape has

    std::optional<TargetBand> target;

    // The exports, when the run writes any: their names, what they hold and
    // the slip their samples carry.
    std::vector<std::string> export_names;
    std::string export_quantity;
    ExportContent export_figures;

    bool record_truncated() const { return final_slip_exact < complete_slip; }
};

// The report of a run whose slip file and spectrum file are written: svwave
// holds the velocity samples, svamp the scaled bins (bin io at io - 1) of
// the transform, dom and nom its step and bins.
RunReport analyse_run(const Parameters& p, const Source& source, const double* svwave,
                      const std::complex<double>* svamp, double dom, std::int32_t nom);

// The largest dt for which the exact transform of the endless record stays
// within the tolerance of the closed form at every frequency up to fmax;
// none when the search ends first (at smallest_tried): below 2^-200 of the
// first trial, or where a pulse without a closed-form sampled transform
// would take too many samples to sum.
struct FaithfulDt {
    std::optional<double> dt;
    double smallest_tried = 0.0;
};
FaithfulDt largest_faithful_dt(const Source& source, double fmax_hz, double tolerance);

}  // namespace exp_slipv
