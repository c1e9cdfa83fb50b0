// The Fourier amplitude spectra and the spectrum file.
#pragma once

#include <complex>
#include <cstdint>

#include "parameters.hpp"
#include "source/source.hpp"

namespace exp_slipv {

// Loads the nt velocity samples into svamp, pads it with zeros to nfast
// elements and transforms it in place; mom is svamp's capacity.
void transform_velocity(const double* svwave, std::complex<double>* svamp, std::int32_t nt, std::int32_t nfast,
                        std::int32_t mom);

// Writes the sampled and the source's closed-form amplitude spectra of the
// bins 2 .. nom.
void write_spectrum_file(std::complex<double>* svamp, double dom, std::int32_t nom, const Parameters& parameters,
                         const Source& source);

}  // namespace exp_slipv
