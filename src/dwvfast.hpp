// In-place radix-2 complex FFT.
#pragma once

#include <complex>

// Replaces a[0 .. n-1] by its unscaled discrete Fourier transform with the
// exponent sign ind (-1 or +1): a bit-reversal reordering, then log2(n)
// stages of butterflies whose twiddle angles are built on pai = 3.141592654.
// n must be a power of two; any other n leaves the array as it is (the
// stages of such a length would reach beyond its n elements).  mom only
// declares the array's capacity.  Allocates nothing.
void dwvfast(int n, std::complex<double>* a, int mom, int ind);

// The reordering step alone: element i exchanged with its bit-reversed
// partner, by the routine's own control flow.
void dwvfast_reorder(int n, std::complex<double>* a);
