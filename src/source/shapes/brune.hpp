// The exponential slip-velocity function v(t) = (t/tau^2) e^(-t/tau), the
// Brune rate function, and its closed forms.
#pragma once

#include <cmath>

#include "source/source.hpp"

namespace exp_slipv {

inline constexpr double default_tau = 1.0;  // time constant of the slip velocity, s

class BruneSource final : public Source {
public:
    explicit BruneSource(double tau) : tau_(tau), tau2_(tau * tau) {}

    // t / (e^(t/tau) tau^2): the slip file's values, bit for bit.
    double velocity(double t) const override { return t / (std::exp(t / tau_) * tau2_); }
    // The default run's samples, without a virtual call each.
    void sample(double* v, std::int64_t n, double dt) const override {
        for (std::int64_t k = 0; k < n; ++k) v[k] = velocity(sample_time(k, dt));
    }
    // 1 - (1 + x) e^(-x), x = t/tau, without cancellation.
    double slip(double t) const override;
    // 1/tau/tau, as the slip file has always written it.
    double initial_acceleration() const override;
    // |1 / (1 - i omega tau)^2| = 1 / (1 + omega^2 tau^2), by the spectrum
    // file's complex arithmetic.
    double amplitude(double omega) const override;
    // 1 / (1 + i omega tau)^2.
    std::complex<double> spectrum(double omega) const override;

    // (dt/tau)^2 q (1 - n q^(n-1) + (n-1) q^n) / (1 - q)^2 with
    // q = e^(-dt/tau - i omega dt); (dt/tau)^2 q / (1 - q)^2 endless.
    std::optional<std::complex<double>> sampled_spectrum(double omega, double dt, std::int64_t n) const override;
    // Peak at tau, 1/(e tau); centroid 2 tau; 95 % at 4.7439 tau; |V| = 1/2
    // at the corner frequency 1/(2 pi tau).
    SourceFigures figures() const override;

    std::string name() const override { return "brune"; }
    std::vector<SourceParameter> parameters() const override;

    double tau() const { return tau_; }

private:
    double tau_;
    double tau2_;
};

// 1 - (1 + x) e^(-x) for x >= 0, within a few units of the last place.
double brune_slip_fraction(double x);

// x of the 95 % rise time T95 = x tau: the root of (1 + x) e^(-x) = 0.05,
// about 4.7439.
double brune_rise_time_factor();

}  // namespace exp_slipv
