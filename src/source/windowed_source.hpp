// A pulse repeated in time windows, as multi-window finite-fault inversions
// give it: sum_k w_k v(t - k shift), the weights summing to 1, so that the
// whole keeps unit area.  Its closed forms are the pulse's, shifted and
// weighted.
#pragma once

#include <memory>
#include <vector>

#include "source/source.hpp"

namespace exp_slipv {

class WindowedSource final : public Source {
public:
    // weights: each window's share of the slip, >= 0, summing to 1.
    WindowedSource(std::shared_ptr<const Source> pulse, std::vector<double> weights, double shift);

    double velocity(double t) const override;
    double slip(double t) const override;
    double initial_acceleration() const override;
    double amplitude(double omega) const override;
    std::complex<double> spectrum(double omega) const override;
    double duration() const override;
    bool endless() const override { return pulse_->endless(); }
    SourceFigures figures() const override;
    std::string name() const override;
    std::vector<SourceParameter> parameters() const override;

private:
    std::shared_ptr<const Source> pulse_;
    std::vector<double> weights_;
    double shift_;
};

}  // namespace exp_slipv
