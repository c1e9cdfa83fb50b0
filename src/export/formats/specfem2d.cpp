// SPECFEM2D's external source time function (time_function_type = 8,
// name_of_source_file): one "time value" line a time step, no header or
// comment, since its reader takes every line as a record.
#include "export/time_value_format.hpp"

namespace exp_slipv {

namespace {

const TimeValueFormat format{"specfem2d", "Exp_STF_specfem2d.txt", "SPECFEM2D", 3};
const bool registered = register_export_format(format);

}  // namespace

}  // namespace exp_slipv
