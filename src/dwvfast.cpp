#include "dwvfast.hpp"

#include <cmath>
#include <utility>

namespace {

// The routine's own pi, set on every call: not the full-precision value.
constexpr double pai = 3.141592654;

// Element k (numbered from 1, as the reordering counts) of a.
std::complex<double>& element(std::complex<double>* a, int k) { return a[k - 1]; }

}  // namespace

void dwvfast_reorder(int n, std::complex<double>* a) {
    int j = 1;
    for (int i = 1; i <= n; ++i) {
        if (i < j) std::swap(element(a, i), element(a, j));
        int m = n / 2;
        // The test m <= 1 right after the halving ends the last pass, where
        // j = n never falls to m or below.
        while (j > m) {
            j -= m;
            m /= 2;
            if (m <= 1) break;
        }
        j += m;
    }
}

void dwvfast(int n, std::complex<double>* a, int mom, int ind) {
    (void)mom;
    dwvfast_reorder(n, a);
    for (int kmax = 1; kmax < n;) {
        const int istep = 2 * kmax;
        for (int k = 1; k <= kmax; ++k) {
            const double phi = static_cast<double>((k - 1) * ind) * pai / static_cast<double>(kmax);
            // The complex exponential of (0, phi): exp(0) = 1 times the cosine
            // and the sine.  It depends on k alone, so it is formed once per k;
            // the bits are those of forming it in every butterfly.
            const double e = std::exp(0.0);
            const double c = std::cos(phi) * e;
            const double s = std::sin(phi) * e;
            const int trips = (n - k + istep) / istep;
            for (int trip = 0, i = k; trip < trips; ++trip, i += istep) {
                const int j = i + kmax;
                std::complex<double>& upper = element(a, i);
                std::complex<double>& lower = element(a, j);
                const double p = lower.real();
                const double q = lower.imag();
                const double temp_re = p * c - q * s;
                const double temp_im = p * s + c * q;
                lower = {upper.real() - temp_re, upper.imag() - temp_im};
                upper = {upper.real() + temp_re, upper.imag() + temp_im};
            }
        }
        kmax = istep;
    }
}
