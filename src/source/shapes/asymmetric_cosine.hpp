// The asymmetric cosine made directly, for models that give its rise and
// fall: either may be 0 (the other part alone), not both.
#pragma once

#include <memory>

#include "source/source.hpp"

namespace exp_slipv {

std::shared_ptr<const Source> make_asymmetric_cosine(double rise, double fall);

}  // namespace exp_slipv
