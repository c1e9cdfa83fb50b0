// What the modes that read a user's file and write files of their own
// share: where the files go, and the ends of a file that cannot be used or
// read.
#pragma once

#include <string>
#include <string_view>

#include "model/model_error.hpp"

namespace exp_slipv {

// The file in dir, or in the current directory for an empty dir.
std::string output_path(const std::string& dir, std::string_view file);

// "exp-slipv: FILE:LINE: what" on standard error, before anything is
// written, and the run ends with `status`.
[[noreturn]] void refuse_file(const std::string& path, const ModelError& error, int status);
// "exp-slipv: what" and the fatal-report status.
[[noreturn]] void fail_reading(const ModelReadFailure& failure);

}  // namespace exp_slipv
