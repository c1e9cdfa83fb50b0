#include "reference_files.hpp"

#include <cmath>
#include <complex>
#include <vector>

#include "support/reference_fields.hpp"

namespace reference {

using testing_support::reference_exponent;
using testing_support::reference_fixed;

const char* const transcript =
    "\n"
    " Slip Velocity Function using Exponential Function\n"
    "\n"
    "  dt,nt=  0.01 8192\n"
    "  Tau(s) =  1.\n"
    "\n"
    "  Slip functions are stored in Exp_Slip.csv\n"
    "  Fourier spectrum is stored in Exp_Amp.csv\n"
    "\n"
    "  DUR,DOM,NOM,EOM=  81.92  0.0766990394 4096  314.159265\n"
    "  Highest Frequency (hz)=  50.\n"
    "\n"
    " Hit any key to stop\n";

namespace {

constexpr int samples = 8192;
constexpr double dt = 0.01;

std::vector<double> velocity() {
    std::vector<double> v(samples, 0.0);
    for (int i = 1; i < samples; ++i) {
        const double t = i * dt;
        v[static_cast<std::size_t>(i)] = t / (std::exp(t / 1.0) * 1.0);
    }
    return v;
}

// The modulus by the larger part: big * sqrt(1 + (small/big)^2).
double modulus(double a, double b) {
    double big = std::fabs(a), small = std::fabs(b);
    if (small > big) std::swap(big, small);
    if (big + small == big) return big;
    const double r = small / big;
    return big * std::sqrt(1.0 + r * r);
}

}  // namespace

std::string slip_file() {
    const std::vector<double> v = velocity();
    std::string file = " time(s),velocity,displacement,acceleration\n";
    double slip = 0.0;
    for (int i = 0; i < samples; ++i) {
        const double t = i == 0 ? 0.0 : i * dt;
        double acceleration = 1.0;
        if (i > 0) {
            const double now = v[static_cast<std::size_t>(i)], before = v[static_cast<std::size_t>(i - 1)];
            slip = slip + (now + before) * dt / 2.0;
            acceleration = (now - before) / dt;
        }
        file += reference_fixed(t, 8, 4) + "," + reference_fixed(v[static_cast<std::size_t>(i)], 15, 7) + "," +
                reference_fixed(slip, 15, 7) + "," + reference_fixed(acceleration, 15, 7) + "\n";
    }
    return file;
}

namespace {

// The transform as defined, not the program's: the bit-reversed order, then
// stage by stage every butterfly with its twiddle factor formed afresh from
// pai = 3.141592654, exp(0) times the cosine and the sine.
std::vector<std::complex<double>> transform(std::vector<std::complex<double>> a) {
    const int n = static_cast<int>(a.size());
    for (int i = 0, j = 0; i < n; ++i) {
        if (i < j) std::swap(a[static_cast<std::size_t>(i)], a[static_cast<std::size_t>(j)]);
        int bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j |= bit;
    }
    for (int half = 1; half < n; half *= 2) {
        for (int k = 0; k < half; ++k) {
            for (int i = k; i < n; i += 2 * half) {
                const double phi = static_cast<double>(-k) * 3.141592654 / static_cast<double>(half);
                const double c = std::cos(phi) * std::exp(0.0), s = std::sin(phi) * std::exp(0.0);
                std::complex<double>& upper = a[static_cast<std::size_t>(i)];
                std::complex<double>& lower = a[static_cast<std::size_t>(i + half)];
                const double re = lower.real() * c - lower.imag() * s, im = lower.real() * s + c * lower.imag();
                lower = {upper.real() - re, upper.imag() - im};
                upper = {upper.real() + re, upper.imag() + im};
            }
        }
    }
    return a;
}

}  // namespace

std::string spectrum_file() {
    const std::vector<double> v = velocity();
    const std::vector<std::complex<double>> bins = transform(std::vector<std::complex<double>>(v.begin(), v.end()));
    const double pai = 3.141592654;
    const double dom = (pai + pai) / (samples * dt);
    std::string file = " freq(Hz),abs(vel),abs(acc),theory(vel),theory(acc)\n";
    for (int io = 2; io <= samples / 2; ++io) {
        const double om = (io - 1) * dom;
        const std::complex<double> bin = bins[static_cast<std::size_t>(io - 1)];
        const double amplitude = modulus(bin.real() * dt, -bin.imag() * dt);
        // 1 / (1 - i w)^2 with (1 - i w)^2 = (1 - w^2, -2w), by the ratio method.
        const double p = 1.0 - om * om, q = -2.0 * om;
        double re, im;
        if (std::fabs(q) > std::fabs(p)) {
            const double r = p / q, d = q + p * r;
            re = r / d;
            im = -1.0 / d;
        } else {
            const double r = q / p, d = p + q * r;
            re = 1.0 / d;
            im = -r / d;
        }
        const double theory = modulus(re, im);
        file += reference_fixed(om / (pai + pai), 8, 4) + "," + reference_exponent(amplitude, 12, 4) + "," +
                reference_exponent(amplitude * om, 12, 4) + "," + reference_exponent(theory, 12, 4) + "," +
                reference_exponent(theory * om, 12, 4) + "\n";
    }
    return file;
}

}  // namespace reference
