#include "support/brune_reference.hpp"

#include <cmath>

namespace testing_support {

long double reference_brune_slip(long double x) {
    if (x >= 1.0L) return 1.0L - (1.0L + x) * std::exp(-x);
    long double term = x, sum = 0.0L;
    for (int k = 2; k < 40; ++k) {
        term *= x / k;
        sum += (k % 2 == 0 ? 1 : -1) * (k - 1) * term;
    }
    return sum;
}

}  // namespace testing_support
