// SEM2DPACK's tabulated source time function (stf='TAB' with
// &STF_TAB file=... /): "time value" lines, times strictly rising, no header
// and no blank line, since its reader counts every line as a record.
#include "export/time_value_format.hpp"

namespace exp_slipv {

namespace {

const TimeValueFormat format{"sem2dpack", "Exp_STF_sem2dpack.tab", "SEM2DPACK", 4};
const bool registered = register_export_format(format);

}  // namespace

}  // namespace exp_slipv
