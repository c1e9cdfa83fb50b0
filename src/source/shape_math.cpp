#include "source/shape_math.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace exp_slipv::shape_math {

namespace {

// Nodes and weights of the 20-point Gauss-Legendre rule on [-1, 1], the
// positive half (the rule is symmetric).
constexpr std::array<double, 10> gl_nodes = {
    0.0765265211334973337546404, 0.2277858511416450780804962, 0.3737060887154195606725482,
    0.5108670019508270980043641, 0.6360536807265150254528367, 0.7463319064601507926143051,
    0.8391169718222188233945291, 0.9122344282513259058677524, 0.9639719272779137912676661,
    0.9931285991850949247861224};
constexpr std::array<double, 10> gl_weights = {
    0.1527533871307258506980843, 0.1491729864726037467878287, 0.1420961093183820513292983,
    0.1316886384491766268984945, 0.1181945319615184173123774, 0.1019301198172404350367501,
    0.0832767415767047487247581, 0.0626720483341090635695065, 0.0406014298003869413310400,
    0.0176140071391521183118620};

// Below this x, x - sin x is summed as its series, whose first term
// dominates; above it the difference loses under two bits.
constexpr double x_minus_sin_series_limit = 2.0;
// Steps of the crossing search and the golden sections: enough to reach the
// last bit from any start the shapes use.
constexpr double crossing_step = 1.01;
constexpr int crossing_max_steps = 20000;
constexpr int bisection_steps = 200;
constexpr int peak_grid = 4096;
constexpr int golden_steps = 200;

}  // namespace

Complex expm1(Complex z) {
    const double x = z.real(), y = z.imag();
    const double half = std::sin(y / 2.0);
    return {std::expm1(x) * std::cos(y) - 2.0 * half * half, std::exp(x) * std::sin(y)};
}

Complex exp_ratio(Complex z) {
    if (z == Complex{}) return 1.0;
    return expm1(z) / z;
}

double sinc(double x) { return x == 0.0 ? 1.0 : std::sin(x) / x; }

double x_minus_sin(double x) {
    if (std::fabs(x) >= x_minus_sin_series_limit) return x - std::sin(x);
    // x^3/3! - x^5/5! + ...: alternating, falling terms.
    const double x2 = x * x;
    double term = x * x2 / 6.0, sum = 0.0;
    for (int k = 3; term != 0.0 && std::fabs(term) > 1e-18 * std::fabs(sum); k += 2) {
        sum += term;
        term *= -x2 / ((k + 1.0) * (k + 2.0));
    }
    return sum;
}

double integrate(const std::function<double(double)>& f, double a, double b, int pieces) {
    const double width = (b - a) / pieces;
    double total = 0.0;
    for (int i = 0; i < pieces; ++i) {
        const double middle = a + (i + 0.5) * width;
        const double half = width / 2.0;
        double piece = 0.0;
        for (std::size_t j = 0; j < gl_nodes.size(); ++j)
            piece += gl_weights[j] * (f(middle - half * gl_nodes[j]) + f(middle + half * gl_nodes[j]));
        total += piece * half;
    }
    return total;
}

double slip_time(const Source& source, double fraction, double end) {
    double low = 0.0, high = end;
    for (int i = 0; i < bisection_steps; ++i) {
        const double middle = (low + high) / 2.0;
        if (middle <= low || middle >= high) break;
        (source.slip(middle) < fraction ? low : high) = middle;
    }
    return high;
}

double amplitude_crossing(const Source& source, double level, double start) {
    double low = start, high = start;
    for (int i = 0; i < crossing_max_steps && source.amplitude(high) > level; ++i) {
        low = high;
        high *= crossing_step;
    }
    for (int i = 0; i < bisection_steps; ++i) {
        const double middle = (low + high) / 2.0;
        if (middle <= low || middle >= high) break;
        (source.amplitude(middle) > level ? low : high) = middle;
    }
    return high;
}

double half_amplitude_frequency(const Source& source, double scale) {
    return amplitude_crossing(source, 0.5, 1e-3 / scale) / (2.0 * std::numbers::pi);
}

double peak_time(const Source& source, double a, double b) {
    const double step = (b - a) / peak_grid;
    int best = 0;
    double best_value = source.velocity(a);
    for (int i = 1; i <= peak_grid; ++i) {
        const double value = source.velocity(a + i * step);
        if (value > best_value) best_value = value, best = i;
    }
    double low = a + std::max(best - 1, 0) * step, high = a + std::min(best + 1, peak_grid) * step;
    const double ratio = (std::sqrt(5.0) - 1.0) / 2.0;
    for (int i = 0; i < golden_steps && high - low > 0.0; ++i) {
        const double left = high - ratio * (high - low), right = low + ratio * (high - low);
        if (left <= low || right >= high) break;
        if (source.velocity(left) < source.velocity(right)) {
            low = left;
        } else {
            high = right;
        }
    }
    return (low + high) / 2.0;
}

}  // namespace exp_slipv::shape_math
