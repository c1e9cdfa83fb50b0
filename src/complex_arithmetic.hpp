// Complex arithmetic written out: the library's own division and modulus use
// other algorithms and round differently, and every stored value must be the
// double these formulas give.
#pragma once

#include <cmath>
#include <complex>
#include <utility>

namespace exp_slipv::complex_arithmetic {

using Complex = std::complex<double>;

inline Complex multiply(Complex x, Complex y) {
    return {x.real() * y.real() - x.imag() * y.imag(), x.real() * y.imag() + x.imag() * y.real()};
}

inline Complex subtract(Complex x, Complex y) { return {x.real() - y.real(), x.imag() - y.imag()}; }

// (1, 0) / z by the ratio method, which never squares the parts of z.
inline Complex reciprocal(Complex z) {
    const double p = z.real();
    const double q = z.imag();
    if (std::fabs(q) > std::fabs(p)) {
        const double r = p / q;
        const double d = q + p * r;
        return {r / d, -1.0 / d};
    }
    const double r = q / p;
    const double d = p + q * r;
    return {1.0 / d, -r / d};
}

// The modulus, scaled by the larger part so that nothing overflows.
inline double modulus(Complex z) {
    double big = std::fabs(z.real());
    double small = std::fabs(z.imag());
    if (small > big) std::swap(big, small);
    if (big + small == big) return big;  // also (0, 0), without a division
    const double r = small / big;
    return big * std::sqrt(1.0 + r * r);
}

}  // namespace exp_slipv::complex_arithmetic
