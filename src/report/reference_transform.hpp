// The exact transform of a run's samples where the shape has no closed form
// for it: sums of the samples in extended precision with the full value of
// pi, apart from the program's own transform and its 10-digit pi.
#pragma once

#include <complex>
#include <cstdint>
#include <vector>

namespace exp_slipv {

// |dt sum_k x_k e^(-2 pi i j k / n)| for j = 0 .. n/2: the samples x_k,
// k < count, padded with zeros to the transform length n.  Only the first
// `support` samples can differ from zero (the pulse has ended after them).
std::vector<double> reference_amplitudes(const double* samples, std::int64_t count, std::int64_t support,
                                         std::int64_t n, double dt);

// dt sum_k x_k e^(-i omega k dt) of the samples x_k = v(k dt), in extended
// precision.
std::complex<double> sample_sum(const std::vector<double>& samples, double dt, double omega);

}  // namespace exp_slipv
