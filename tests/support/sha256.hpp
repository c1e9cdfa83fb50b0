// SHA-256 (FIPS 180-4) of a byte string, as lower-case hex: the digests of
// the expected files are stored in the tests, not rebuilt from the program.
#pragma once

#include <string>

namespace testing_support {

std::string sha256_hex(const std::string& bytes);

}  // namespace testing_support
