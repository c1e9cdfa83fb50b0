#include "dwvfast.hpp"

#include <cmath>
#include <cstring>
#include <utility>

namespace {

// The routine's own pi, set on every call: not the full-precision value.
constexpr double pai = 3.141592654;

using Complex = std::complex<double>;

// Element k (numbered from 1, as the reordering counts) of a.
Complex& element(Complex* a, int k) { return a[k - 1]; }

bool is_power_of_two(int n) { return n > 0 && (n & (n - 1)) == 0; }

// The twiddle factor of butterfly position k in a stage of half span kmax:
// the complex exponential of (0, phi), phi = ((k-1) ind) pai / kmax, that is
// exp(0) = 1 times the cosine and the sine.  It depends on k and kmax alone,
// so it is formed once per k and stage; the bits are those of forming it in
// every butterfly.
struct Twiddle {
    double c, s;
};

Twiddle twiddle(int k, int kmax, int ind) {
    const double phi = static_cast<double>((k - 1) * ind) * pai / static_cast<double>(kmax);
    const double e = std::exp(0.0);
    return {std::cos(phi) * e, std::sin(phi) * e};
}

// A complex value as a pair of lanes {re, im}, so that a butterfly works on
// both parts at once.  Each lane does what the scalar butterfly does:
//
//   {p, p} * {c, s} + {q, q} * {-s, c} = {p c + q (-s), p s + q c}
//
// and q (-s) is -(q s), p c + (-(q s)) is p c - q s, q c is c q: exactly.
using Lanes = double __attribute__((vector_size(16)));

struct PackedTwiddle {
    Lanes cs, minus_s_c;
};

PackedTwiddle packed(Twiddle w) { return {Lanes{w.c, w.s}, Lanes{-w.s, w.c}}; }

// A complex is an array of its two parts, which the language lets us name.
inline Lanes load(const Complex* x) {
    Lanes v;
    std::memcpy(&v, reinterpret_cast<const double*>(x), sizeof v);
    return v;
}

inline void store(Complex* x, Lanes v) { std::memcpy(reinterpret_cast<double*>(x), &v, sizeof v); }

inline void butterfly(Lanes& upper, Lanes& lower, const PackedTwiddle& w) {
    const Lanes p = __builtin_shufflevector(lower, lower, 0, 0);
    const Lanes q = __builtin_shufflevector(lower, lower, 1, 1);
    const Lanes temp = p * w.cs + q * w.minus_s_c;
    lower = upper - temp;
    upper = upper + temp;
}

// The stages of half spans m, 2m, ..., 2^(levels-1) m together, on groups
// of 2^levels elements: the elements x_j = i + j m (i = k mod 2^levels m,
// k <= m) meet only each other in these stages.  For levels = 3:
//
//   stage m:    (x0,x1) (x2,x3) (x4,x5) (x6,x7)   all with w(k, m)
//   stage 2m:   (x0,x2) (x4,x6) with w(k, 2m),   (x1,x3) (x5,x7) with w(k+m, 2m)
//   stage 4m:   (x0,x4) with w(k, 4m), (x1,x5) with w(k+m, 4m),
//               (x2,x6) with w(k+2m, 4m), (x3,x7) with w(k+3m, 4m)
//
// Each group is finished in registers, every butterfly doing the same
// operations on the same values as in the stage-by-stage order.
template <int levels>
void fused_stages(int n, Complex* a, int m, int ind) {
    constexpr int width = 1 << levels;
    const int span = width * m;
    for (int k = 1; k <= m; ++k) {
        // The twiddles of the stage of half span half m start at w[half - 1].
        PackedTwiddle w[width - 1];
        for (int half = 1; half < width; half *= 2)
            for (int j = 0; j < half; ++j) w[half - 1 + j] = packed(twiddle(k + j * m, half * m, ind));
        for (Complex* group = &element(a, k); group < a + n; group += span) {
            Lanes x[width];
#pragma GCC unroll 8
            for (int j = 0; j < width; ++j) x[j] = load(group + j * m);
#pragma GCC unroll 4
            for (int half = 1; half < width; half *= 2)
#pragma GCC unroll 8
                for (int b = 0; b < width; b += 2 * half)
#pragma GCC unroll 4
                    for (int j = 0; j < half; ++j) butterfly(x[b + j], x[b + j + half], w[half - 1 + j]);
#pragma GCC unroll 8
            for (int j = 0; j < width; ++j) store(group + j * m, x[j]);
        }
    }
}

}  // namespace

void dwvfast_reorder(int n, Complex* a) {
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

void dwvfast(int n, Complex* a, int mom, int ind) {
    (void)mom;
    // Other lengths would reach elements beyond n: they are left alone.
    if (!is_power_of_two(n)) return;
    dwvfast_reorder(n, a);
    int stages = 0;
    for (int span = 1; span < n; span *= 2) ++stages;
    // Stages in their order, three at a time after the one or two that
    // make the count a multiple of three.
    int kmax = 1;
    if (stages % 3 == 1) {
        fused_stages<1>(n, a, kmax, ind);
        kmax *= 2;
    } else if (stages % 3 == 2) {
        fused_stages<2>(n, a, kmax, ind);
        kmax *= 4;
    }
    for (; kmax < n; kmax *= 8) fused_stages<3>(n, a, kmax, ind);
}
