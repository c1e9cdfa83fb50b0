// The two working arrays of a run, sized for its samples.
#pragma once

#include <complex>
#include <cstdint>
#include <memory>

#include "parameters.hpp"

namespace exp_slipv {

struct WorkingArrays {
    std::int32_t mom = 0;                        // capacity of the transform buffer
    std::unique_ptr<double[]> svwave;            // the sampled velocity
    std::unique_ptr<std::complex<double>[]> svamp;  // the transform buffer
};

// Zero-filled arrays for nt samples: nt + 1 samples, and a transform buffer
// one element longer than the padded transform, as the capacity guard asks
// nfast < mom.  No memory is a fatal I/O report
// (out of free space), never a crash.
WorkingArrays allocate_working_arrays(std::int32_t nt);

}  // namespace exp_slipv
