// The Fourier amplitude spectra and the spectrum file.
#pragma once

#include <complex>
#include <cstdint>

namespace exp_slipv {

// Loads the velocity samples into svamp and transforms them in place.
void transform_velocity(const double* svwave, std::complex<double>* svamp, std::int32_t nfast);

// Writes the sampled and closed-form amplitude spectra of the bins 2 .. nom.
void write_spectrum_file(std::complex<double>* svamp, double dom, std::int32_t nom);

}  // namespace exp_slipv
