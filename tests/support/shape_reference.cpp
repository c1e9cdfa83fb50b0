#include "support/shape_reference.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "source/shape.hpp"

namespace testing_support {

namespace {

constexpr Wide pi = std::numbers::pi_v<Wide>;

Wide triangle_w(Wide x, Wide ts) { return x <= 0 || x >= 2 * ts ? 0 : x <= ts ? x / (ts * ts) : (2 * ts - x) / (ts * ts); }
Wide triangle_cumulative(Wide x, Wide ts) {
    if (x <= 0) return 0;
    if (x >= 2 * ts) return 1;
    if (x <= ts) return x * x / (2 * ts * ts);
    return 1 - (2 * ts - x) * (2 * ts - x) / (2 * ts * ts);
}

// (4/pi) int_0^(pi/2) cos^2(phi) K(t - tauR sin^2 phi) dphi, split where the
// argument crosses a kink of the triangle.
Wide yoffe_integral(Wide t, Wide tr, Wide ts, const std::function<Wide(Wide)>& kernel) {
    std::vector<Wide> knots{0};
    for (Wide k : {t - 2 * ts, t - ts, t})
        if (k > 0 && k < tr) knots.push_back(std::asin(std::sqrt(k / tr)));
    knots.push_back(pi / 2);
    std::sort(knots.begin(), knots.end());
    Wide total = 0;
    for (std::size_t i = 0; i + 1 < knots.size(); ++i)
        total += quadrature([&](Wide phi) { return 4 / pi * std::cos(phi) * std::cos(phi) * kernel(t - tr * std::sin(phi) * std::sin(phi)); },
                            knots[i], knots[i + 1], 16);
    return total;
}

// |int v e^(-i omega t) dt| over the knots, by quadrature of each piece.
Wide amplitude_by_quadrature(const std::function<Wide(Wide)>& v, const std::vector<Wide>& knots, Wide omega, int pieces) {
    Wide re = 0, im = 0;
    for (std::size_t i = 0; i + 1 < knots.size(); ++i) {
        re += quadrature([&](Wide t) { return v(t) * std::cos(omega * t); }, knots[i], knots[i + 1], pieces);
        im += quadrature([&](Wide t) { return v(t) * std::sin(omega * t); }, knots[i], knots[i + 1], pieces);
    }
    return std::hypot(re, im);
}

// The slip as the quadrature of v over the knots up to t.
Wide slip_by_quadrature(const std::function<Wide(Wide)>& v, const std::vector<Wide>& knots, Wide t) {
    Wide total = 0;
    for (std::size_t i = 0; i + 1 < knots.size() && knots[i] < t; ++i) total += quadrature(v, knots[i], std::min(t, knots[i + 1]), 16);
    return total;
}

Wide get(const std::map<std::string, Wide>& p, const std::string& name, Wide fallback) {
    const auto it = p.find(name);
    return it == p.end() ? fallback : it->second;
}

}  // namespace

Wide quadrature(const std::function<Wide(Wide)>& f, Wide a, Wide b, int pieces) {
    static const Wide x[8] = {0.0950125098376374401853193354250L, 0.281603550779258913230460501460L,
                              0.458016777657227386342419442984L, 0.617876244402643748446671764049L,
                              0.755404408355003033895101194847L, 0.865631202387831743880467897713L,
                              0.944575023073232576077988415535L, 0.989400934991649932596154173450L};
    static const Wide w[8] = {0.189450610455068496285396723208L, 0.182603415044923588866763667969L,
                              0.169156519395002538189312079030L, 0.149595988816576732081501730547L,
                              0.124628971255533872052476282192L, 0.0951585116824927848099251076022L,
                              0.0622535239386478928628438369944L, 0.0271524594117540948517805724560L};
    Wide total = 0;
    const Wide width = (b - a) / pieces;
    for (int i = 0; i < pieces; ++i) {
        const Wide mid = a + (i + 0.5L) * width, half = width / 2;
        for (int j = 0; j < 8; ++j) total += w[j] * half * (f(mid - half * x[j]) + f(mid + half * x[j]));
    }
    return total;
}

Wide yoffe_velocity(Wide t, Wide rise, Wide smoothing) {
    return yoffe_integral(t, rise, smoothing, [=](Wide u) { return triangle_w(u, smoothing); });
}

Wide yoffe_slip(Wide t, Wide rise, Wide smoothing) {
    return yoffe_integral(t, rise, smoothing, [=](Wide u) { return triangle_cumulative(u, smoothing); });
}

ShapeReference shape_reference(const std::string& shape, const std::map<std::string, Wide>& p) {
    ShapeReference r;
    if (shape == "brune") {
        const Wide tau = get(p, "tau", 1);
        r.v = [=](Wide t) { return t / (tau * tau) * std::exp(-t / tau); };
        r.s = [=](Wide t) {
            const Wide x = t / tau;
            return x < 0.1L ? std::exp(-x) * (x * x / 2 + x * x * x / 6 + x * x * x * x / 24 + std::pow(x, 5) / 120 + std::pow(x, 6) / 720 +
                                              std::pow(x, 7) / 5040 + std::pow(x, 8) / 40320)
                            : 1 - (1 + x) * std::exp(-x);
        };
        r.amplitude = [=](Wide om) { return 1 / (1 + om * om * tau * tau); };
        r.initial_acceleration = 1 / (tau * tau);
    } else if (shape == "smoothed-brune") {
        const Wide tau = get(p, "tau", 1), h = 2.31L;
        r.v = [=](Wide t) {
            const Wide x = t / tau;
            if (x >= h) return x * std::exp(-x) / tau;
            if (x < 1e-2L) {
                // The expanded polynomial, where x + Q - Q' cancels.
                const Wide c3 = -(3 / (2 * h) + 6 / (h * h)), c4 = 3 / (2 * h * h) + 5 / (2 * h * h * h), c5 = -1 / (2 * h * h * h);
                return std::exp(-x) * x * x * (smoothed_brune_c2 + x * (c3 + x * (c4 + x * c5))) / tau;
            }
            const Wide q = x * x / 2 * std::pow(1 - x / h, 3);
            const Wide dq = x * std::pow(1 - x / h, 3) - 3 * x * x / (2 * h) * std::pow(1 - x / h, 2);
            return (x + q - dq) * std::exp(-x) / tau;
        };
        const auto v = r.v;
        r.s = [=](Wide t) {
            if (t < 1e-6L * tau) return smoothed_brune_c2 * std::pow(t / tau, 3) / 3;
            return slip_by_quadrature(v, {0, h * tau, 20 * tau, 60 * tau, 200 * tau, 1000 * tau}, t);
        };
        r.amplitude = [=](Wide om) { return amplitude_by_quadrature(v, {0, h * tau, 20 * tau, 60 * tau, 200 * tau}, om, 256); };
        r.initial_acceleration = 0;
    } else if (shape == "boxcar") {
        const Wide T = get(p, "duration", 1);
        r.v = [=](Wide t) { return t < 0 || t > T ? 0 : t == 0 || t == T ? 1 / (2 * T) : 1 / T; };
        r.s = [=](Wide t) { return t <= 0 ? 0 : t >= T ? 1 : t / T; };
        r.amplitude = [=](Wide om) { return om == 0 ? 1 : std::fabs(std::sin(om * T / 2) / (om * T / 2)); };
        r.initial_acceleration = 0;
    } else if (shape == "triangle") {
        const Wide T = get(p, "duration", 1), q = get(p, "peak-ratio", 0.5L);
        r.v = [=](Wide t) { return t <= 0 || t >= T ? 0 : t <= q * T ? 2 * t / (q * T * T) : 2 * (T - t) / ((1 - q) * T * T); };
        r.s = [=](Wide t) { return t <= 0 ? 0 : t >= T ? 1 : t <= q * T ? t * t / (q * T * T) : 1 - (T - t) * (T - t) / ((1 - q) * T * T); };
        const auto v = r.v;
        r.amplitude = [=](Wide om) { return amplitude_by_quadrature(v, {0, q * T, T}, om, 64); };
        r.initial_acceleration = 2 / (q * T * T);
    } else if (shape == "half-sine") {
        const Wide T = get(p, "duration", 1);
        r.v = [=](Wide t) { return t < 0 || t > T ? 0 : pi / (2 * T) * std::sin(pi * t / T); };
        const auto v = r.v;
        r.s = [=](Wide t) { return t <= 0 ? 0 : t >= T ? 1 : t < 1e-3L * T ? quadrature(v, 0, t) : (1 - std::cos(pi * t / T)) / 2; };
        r.amplitude = [=](Wide om) {
            const Wide u = om * T;
            return std::fabs(pi * pi - u * u) < 1e-9L ? pi / 4 : pi * pi * std::fabs(std::cos(u / 2)) / std::fabs(pi * pi - u * u);
        };
        r.initial_acceleration = pi * pi / (2 * T * T);
    } else if (shape == "hann") {
        const Wide T = get(p, "duration", 1);
        r.v = [=](Wide t) { return t < 0 || t > T ? 0 : 2 * std::pow(std::sin(pi * t / T), 2) / T; };
        const auto v = r.v;
        r.s = [=](Wide t) { return t <= 0 ? 0 : t >= T ? 1 : t < 0.1L * T ? quadrature(v, 0, t) : t / T - std::sin(2 * pi * t / T) / (2 * pi); };
        r.amplitude = [=](Wide om) { return amplitude_by_quadrature(v, {0, T / 2, T}, om, 64); };
        r.initial_acceleration = 0;
    } else if (shape == "liu") {
        const Wide tau = get(p, "tau", 1), t1 = 0.13L * tau, t2 = tau - t1, c = pi / (1.4L * pi * t1 + 1.2L * t1 + 0.3L * pi * t2);
        r.v = [=](Wide t) -> Wide {
            if (t <= 0 || t >= tau) return 0;
            // 0.7 - 0.7 cos(2y) = 1.4 sin^2 y, and 0.3 + 0.3 cos(2y) = 0.6 cos^2 y,
            // which long double keeps near the ends too.
            if (t < t1) return c * (1.4L * std::pow(std::sin(pi * t / (2 * t1)), 2) + 0.6L * std::sin(pi * t / (2 * t1)));
            if (t < 2 * t1) return c * (1 - 0.7L * std::cos(pi * t / t1) + 0.3L * std::cos(pi * (t - t1) / t2));
            return c * 0.6L * std::pow(std::cos(pi * (t - t1) / (2 * t2)), 2);
        };
        const auto v = r.v;
        r.s = [=](Wide t) { return t >= tau ? 1 : slip_by_quadrature(v, {0, t1, 2 * t1, tau}, t); };
        r.amplitude = [=](Wide om) { return amplitude_by_quadrature(v, {0, t1, 2 * t1, tau}, om, 64); };
        r.initial_acceleration = 0.3L * pi * c / t1;
    } else if (shape == "gaussian") {
        const Wide sigma = get(p, "sigma", 1), t0 = get(p, "delay", 6 * sigma);
        r.v = [=](Wide t) { return std::exp(-(t - t0) * (t - t0) / (2 * sigma * sigma)) / (sigma * std::sqrt(2 * pi)); };
        const auto v = r.v;
        r.s = [=](Wide t) {
            if (t <= 0) return Wide{0};
            if (t < sigma * sigma / t0) return quadrature(v, 0, t);
            return (std::erfc((t0 - t) / (sigma * std::sqrt(2.0L))) - std::erfc(t0 / (sigma * std::sqrt(2.0L)))) / 2;
        };
        r.amplitude = [=](Wide om) { return std::exp(-om * om * sigma * sigma / 2); };
        r.initial_acceleration = v(0) * t0 / (sigma * sigma);
    } else if (shape == "asymmetric-cosine") {
        // 1 - cos x written as 2 sin^2(x/2), which keeps its digits near 0.
        const Wide tr = get(p, "rise", 1), tf = get(p, "fall", 1), T = tr + tf;
        r.v = [=](Wide t) {
            if (t <= 0 || t >= T) return Wide(0);
            if (t <= tr) return 2 * std::pow(std::sin(pi * t / (2 * tr)), 2) / T;
            return (1 + std::cos(pi * (t - tr) / tf)) / T;
        };
        const auto v = r.v;
        r.s = [=](Wide t) { return t <= 0 ? 0 : t >= T ? 1 : t <= tr ? quadrature(v, 0, t) : quadrature(v, 0, tr) + quadrature(v, tr, t); };
        r.amplitude = [=](Wide om) { return amplitude_by_quadrature(v, {0, tr, T}, om, 64); };
        r.initial_acceleration = 0;
    } else if (shape == "yoffe") {
        const Wide tr = get(p, "rise", 1), ts = get(p, "smoothing", 0.1L);
        r.v = [=](Wide t) { return t <= 0 || t >= tr + 2 * ts ? 0 : yoffe_velocity(t, tr, ts); };
        r.s = [=](Wide t) { return t <= 0 ? 0 : t >= tr + 2 * ts ? 1 : yoffe_slip(t, tr, ts); };
        // The Yoffe factor by quadrature, x = sin^2 phi: (2/pi) |int 2 cos^2 phi e^(-i a sin^2 phi) dphi|.
        r.amplitude = [=](Wide om) {
            const Wide a = om * tr;
            const Wide re = quadrature([&](Wide phi) { return 2 * std::pow(std::cos(phi), 2) * std::cos(a * std::pow(std::sin(phi), 2)); }, 0, pi / 2, 64);
            const Wide im = quadrature([&](Wide phi) { return 2 * std::pow(std::cos(phi), 2) * std::sin(a * std::pow(std::sin(phi), 2)); }, 0, pi / 2, 64);
            const Wide x = om * ts / 2, sinc = x == 0 ? 1 : std::sin(x) / x;
            return 2 / pi * std::hypot(re, im) * sinc * sinc;
        };
        r.initial_acceleration = 0;
    }
    return r;
}

std::shared_ptr<const exp_slipv::Source> program_source(const std::string& shape, const std::map<std::string, std::string>& values) {
    exp_slipv::ShapeValues given;
    for (const auto& [name, value] : values) given.set(name, value);
    auto made = exp_slipv::find_shape(shape)->make(given);
    if (const auto* refusal = std::get_if<exp_slipv::Refusal>(&made)) ADD_FAILURE() << refusal->reason;
    return std::get<std::shared_ptr<const exp_slipv::Source>>(made);
}

}  // namespace testing_support
