#include "working_arrays.hpp"

#include <new>

#include "textio/errors.hpp"
#include "textio/run_frame.hpp"

namespace exp_slipv {

std::int32_t transform_length(std::int32_t nt) {
    std::int32_t nfast = 1;
    while (nfast < nt) nfast *= 2;
    return nfast;
}

WorkingArrays allocate_working_arrays(std::int32_t nt) {
    WorkingArrays arrays;
    arrays.mom = transform_length(nt) + 1;
    arrays.svwave.reset(new (std::nothrow) double[static_cast<std::size_t>(nt) + 1]());
    arrays.svamp.reset(new (std::nothrow) std::complex<double>[static_cast<std::size_t>(arrays.mom)]());
    if (!arrays.svwave || !arrays.svamp) textio::fatal_error(textio::err_no_space, "working arrays");
    return arrays;
}

}  // namespace exp_slipv
