#include "source/windowed_source.hpp"

#include <cmath>

#include "source/shape_math.hpp"

namespace exp_slipv {

WindowedSource::WindowedSource(std::shared_ptr<const Source> pulse, std::vector<double> weights, double shift)
    : pulse_(std::move(pulse)), weights_(std::move(weights)), shift_(shift) {}

double WindowedSource::velocity(double t) const {
    double v = 0.0;
    for (std::size_t k = 0; k < weights_.size(); ++k)
        if (weights_[k] > 0.0) v += weights_[k] * pulse_->velocity(t - static_cast<double>(k) * shift_);
    return v;
}

// The windows' slips, weighted: each keeps its digits near its start.
double WindowedSource::slip(double t) const {
    double s = 0.0;
    for (std::size_t k = 0; k < weights_.size(); ++k)
        if (weights_[k] > 0.0) s += weights_[k] * pulse_->slip(t - static_cast<double>(k) * shift_);
    return s;
}

double WindowedSource::initial_acceleration() const {
    return weights_.empty() ? 0.0 : weights_[0] * pulse_->initial_acceleration();
}

std::complex<double> WindowedSource::spectrum(double omega) const {
    std::complex<double> phases = 0.0;
    for (std::size_t k = 0; k < weights_.size(); ++k)
        phases += weights_[k] * std::polar(1.0, -omega * static_cast<double>(k) * shift_);
    return pulse_->spectrum(omega) * phases;
}

double WindowedSource::amplitude(double omega) const { return std::abs(spectrum(omega)); }

double WindowedSource::duration() const {
    return pulse_->duration() + static_cast<double>(weights_.size() - 1) * shift_;
}

SourceFigures WindowedSource::figures() const {
    const SourceFigures one = pulse_->figures();
    double centroid = one.centroid_time;
    for (std::size_t k = 0; k < weights_.size(); ++k) centroid += weights_[k] * static_cast<double>(k) * shift_;
    const double end = std::isfinite(duration()) ? duration() : 50.0 * (one.rise_time_95 + shift_ * weights_.size());
    const double peak = shape_math::peak_time(*this, 0.0, end);
    return {peak, velocity(peak), centroid, shape_math::slip_time(*this, 0.95, end),
            shape_math::half_amplitude_frequency(*this, end)};
}

std::string WindowedSource::name() const { return pulse_->name() + " in " + std::to_string(weights_.size()) + " windows"; }

std::vector<SourceParameter> WindowedSource::parameters() const {
    std::vector<SourceParameter> list = pulse_->parameters();
    list.push_back({" Window shift(s) =", shift_, "shift", "s"});
    return list;
}

}  // namespace exp_slipv
