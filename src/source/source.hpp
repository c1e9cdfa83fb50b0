// The source: one pulse shape with its closed forms, in one home for every
// file of a run (slip file, spectrum file, exports, report).  A shape is a
// Source; adding one touches no file that uses it.
#pragma once

#include <cmath>
#include <complex>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace exp_slipv {

// Figures of the closed form, each in its unit.
struct SourceFigures {
    double peak_time = 0.0;                 // s, where v is largest
    double peak_velocity = 0.0;             // 1/s
    double centroid_time = 0.0;             // s, the integral of t v
    double rise_time_95 = 0.0;              // s, where s reaches 0.95
    double half_amplitude_frequency = 0.0;  // Hz, where |V| falls to 1/2
};

// A parameter of the source as the transcript shows it: " Tau(s) =", 1.0.
struct SourceParameter {
    std::string label;
    double value = 0.0;
    std::string name;   // short, for file headers and the SAC header: "tau"
    std::string unit;   // "s"
};

// A figure that only some shapes have, for the report: what cutting a
// Gaussian at t = 0 costs, say.
struct SourceNote {
    std::string label;  // " Area cut off at t = 0 (unit slip) ="
    double value = 0.0;
    std::string key;    // "cut_area"
};

// The time of sample k (from 0), as every column and formula takes it.
inline double sample_time(std::int64_t k, double dt) { return static_cast<double>(k) * dt; }

class Source {
public:
    virtual ~Source() = default;

    // The slip rate v(t), of unit area, as the slip file samples it.
    virtual double velocity(double t) const = 0;
    // The samples v(sample_time(k, dt)), k = 0 .. n-1.  A shape may sample
    // in a loop of its own, where its velocity is called directly.
    virtual void sample(double* v, std::int64_t n, double dt) const {
        for (std::int64_t k = 0; k < n; ++k) v[k] = velocity(sample_time(k, dt));
    }
    // The slip s(t), the integral of v from 0 to t, to full relative
    // precision for every t > 0 (no cancellation near 0 or near 1).
    virtual double slip(double t) const = 0;
    // dv/dt at t = 0 from the right: the slip file's first acceleration.
    virtual double initial_acceleration() const = 0;
    // |V(omega)| of the closed form, V the Fourier transform of v.
    virtual double amplitude(double omega) const = 0;
    // V(omega) itself, the integral of v(t) e^(-i omega t): what a sum of
    // pulses that start at different times needs, phases and all.  Without
    // cancellation wherever amplitude() has none; |spectrum| = amplitude.
    virtual std::complex<double> spectrum(double omega) const = 0;

    // The time after which v is zero: the end of a pulse of finite
    // duration, infinity for one that never ends.
    virtual double duration() const { return std::numeric_limits<double>::infinity(); }
    // Whether v never reaches 0 for good, so that a record of it is cut
    // where the slip is complete enough; a finite duration() may then be
    // only where v falls below every double.
    virtual bool endless() const { return !std::isfinite(duration()); }

    // The exact transform of the samples v(k dt), k = 0 .. n-1, as the
    // spectrum file scales it: dt sum_k v(k dt) e^(-i omega k dt); n = 0 for
    // the endless record, k = 0, 1, ...  Only shapes with a closed form for
    // it give one; the others leave it to a sum of the samples.
    virtual std::optional<std::complex<double>> sampled_spectrum(double /*omega*/, double /*dt*/,
                                                                 std::int64_t /*n*/) const {
        return std::nullopt;
    }

    virtual SourceFigures figures() const = 0;
    // Figures only this shape has.
    virtual std::vector<SourceNote> notes() const { return {}; }

    // The shape's name as --shape takes it ("brune") and its parameters, in
    // transcript order.
    virtual std::string name() const = 0;
    virtual std::vector<SourceParameter> parameters() const = 0;
};

}  // namespace exp_slipv
