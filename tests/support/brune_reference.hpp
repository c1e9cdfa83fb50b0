// The Brune pulse's closed forms in long double, by routes other than the
// program's, for the tests to check it against.
#pragma once

namespace testing_support {

// 1 - (1 + x) e^(-x): the alternating series sum_{k>=2} (-1)^k (k-1) x^k / k!
// below x = 1 (it loses at most a bit of the 64), the formula above (two).
long double reference_brune_slip(long double x);

}  // namespace testing_support
