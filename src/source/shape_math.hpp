// Numerical pieces the pulse shapes share: forms that do not cancel, and the
// searches that give a shape's figures where no closed form does.
#pragma once

#include <complex>
#include <functional>

#include "source/source.hpp"

namespace exp_slipv::shape_math {

using Complex = std::complex<double>;

// e^z - 1 for complex z, without cancellation for small |z|:
// e^x cos y - 1 = expm1(x) cos y - 2 sin^2(y/2).
Complex expm1(Complex z);

// (e^z - 1)/z, 1 at z = 0: the integral of e^(z u) over u in [0, 1].
Complex exp_ratio(Complex z);

// sin x / x, 1 at x = 0.
double sinc(double x);

// x - sin x, to full relative precision also for small x, where the two
// terms agree in their leading digits.
double x_minus_sin(double x);

// The integral of f over [a, b] by 20-point Gauss-Legendre rules on the
// given number of equal pieces; exact to rounding for smooth f.
double integrate(const std::function<double(double)>& f, double a, double b, int pieces = 16);

// The first time in [0, end] at which the slip reaches the fraction, by
// bisection to the last bit (the slip rises).
double slip_time(const Source& source, double fraction, double end);

// The lowest omega at which |V| falls to the level, searched upwards from
// start in steps of 1 % and then bisected; |V| at start must lie above it.
double amplitude_crossing(const Source& source, double level, double start);

// The frequency in Hz at which |V| first falls to 1/2, searched from 1e-3
// of 1/scale up, scale the shape's time scale.
double half_amplitude_frequency(const Source& source, double scale);

// Where v is largest in [a, b]: the best of a grid, refined by golden
// sections between its neighbours.
double peak_time(const Source& source, double a, double b);

}  // namespace exp_slipv::shape_math
