// The pulse shapes written out from their definitions in long double, for
// tests: never the program's routines.  Slips near t = 0, where a closed
// form would cancel, come from Gauss-Legendre quadrature of v.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace exp_slipv {
class Source;
}

namespace testing_support {

using Wide = long double;

// 16-point Gauss-Legendre on [a, b], in equal pieces.
Wide quadrature(const std::function<Wide(Wide)>& f, Wide a, Wide b, int pieces = 8);

struct ShapeReference {
    std::function<Wide(Wide)> v;      // the slip rate
    std::function<Wide(Wide)> s;      // the slip from t = 0
    std::function<Wide(Wide)> amplitude;  // |V(omega)|
    Wide initial_acceleration;        // dv/dt at 0+
};

// The shape by its --shape name and its parameters: "tau", "duration",
// "peak-ratio", "sigma", "delay", "rise", "smoothing" (in seconds).
ShapeReference shape_reference(const std::string& shape, const std::map<std::string, Wide>& parameters);

// The program's source of a shape for option values, as --shape and its
// options make it; a refusal fails the test.
std::shared_ptr<const exp_slipv::Source> program_source(const std::string& shape, const std::map<std::string, std::string>& values);

// The regularized Yoffe function as the convolution of the Yoffe function
// with the triangle, by quadrature with the singularity removed.
Wide yoffe_velocity(Wide t, Wide rise, Wide smoothing);
Wide yoffe_slip(Wide t, Wide rise, Wide smoothing);

// Near t = 0 the smoothed Brune pulse is c2 x^2 / tau, c2 = 1/2 + 9/(2h).
inline constexpr Wide smoothed_brune_c2 = 0.5L + 9.0L / (2.0L * 2.31L);

}  // namespace testing_support
