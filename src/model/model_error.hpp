// What is wrong with a model file, and where.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace exp_slipv {

// A model that cannot be used: "FILE:LINE: what" reaches the user, status 65.
struct ModelError {
    std::int64_t line = 0;  // 0: the file as a whole
    std::string what;
};

// The file cannot be read at all (opened, read): status 2.
struct ModelReadFailure {
    std::string what;  // "cannot open 'x.csv': No such file or directory"
};

}  // namespace exp_slipv
