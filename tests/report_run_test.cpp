// The report of a run against values worked out here: the closed form's
// figures, the band edges from the exact transform of the samples summed
// here in long double, the endless record's transform for a target band,
// and the report file read by a JSON reader.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "source/shapes/brune.hpp"
#include "support/child.hpp"
#include "support/temp_dir.hpp"

namespace {

using Json = nlohmann::json;
using testing_support::Outcome;
using testing_support::read_file;
using testing_support::TempDir;
using LC = std::complex<long double>;

constexpr int timeout_ms = 120000;
constexpr long double rise_factor = 4.7438645183905783758L;  // (1 + x) e^-x = 0.05, 50-digit arithmetic
constexpr long double program_pi = 3.141592654L;

Outcome run(const std::string& dir, const std::vector<std::string>& args) {
    return testing_support::run_without_pause(dir, args, {}, timeout_ms);
}

Json report_of(const std::string& dir, const std::vector<std::string>& args, Outcome* outcome = nullptr) {
    const Outcome result = run(dir, args);
    EXPECT_EQ(result.status, 0) << result.err;
    if (outcome != nullptr) *outcome = result;
    return Json::parse(read_file(dir + "/Exp_Report.json"));
}

TEST(Report, TheClosedFormFiguresOfTwoSources) {
    for (const long double tau : {1.0L, 0.0125L}) {
        TempDir dir;
        char arg[64];
        std::snprintf(arg, sizeof arg, "--tau=%.17Lg", tau);
        Outcome result;
        const Json j = report_of(dir.path(), {arg, "--dt=0.001", "--report"}, &result);
        const Json& s = j["source"];
        const auto near = [](double got, long double want) { return std::fabs(got - want) <= 4e-16L * want; };
        EXPECT_EQ(s["shape"], "brune");
        EXPECT_TRUE(near(s["parameters"]["tau_s"], tau));
        EXPECT_TRUE(near(s["half_amplitude_frequency_hz"], 1.0L / (2.0L * std::numbers::pi_v<long double> * tau)));
        EXPECT_TRUE(near(s["peak_time_s"], tau));
        EXPECT_TRUE(near(s["peak_velocity_per_s"], 1.0L / (std::numbers::e_v<long double> * tau)));
        EXPECT_TRUE(near(s["centroid_time_s"], 2.0L * tau));
        EXPECT_TRUE(near(s["rise_time_95_s"], rise_factor * tau)) << s["rise_time_95_s"];
        // The console block says the same, each figure with its unit.
        for (const char* line : {"  Velocity peak (1/s) =", "  Centroid time (s) =", "  95 % of the final slip at (s) =",
                                 "  Within 1 % up to (Hz) =", "  Largest difference (relative) ="})
            EXPECT_NE(result.out.find(line), std::string::npos) << line;
        EXPECT_LT(result.out.find("Highest Frequency"), result.out.find("How faithful the sampled pulse is"));
    }
}

// |dt sum_{k<n} v(k dt) e^(-i om k dt)|, summed here with a rotating phasor.
long double sampled_amplitude(long double om, long double dt, long double tau, int n) {
    const LC step = std::exp(LC(0.0L, -om * dt));
    LC phasor = 1.0L, sum = 0.0L;
    for (int k = 0; k < n; ++k) {
        const long double t = k * dt;
        sum += t / (tau * tau) * std::exp(-t / tau) * phasor;
        phasor *= step;
    }
    return std::abs(sum) * dt;
}

// The highest bin (in Hz) up to which every bin is within the tolerance.
long double band_edge(long double dt, long double tau, int n, long double tolerance) {
    const long double dom = 2.0L * program_pi / (n * dt);
    long double edge = -1.0L;
    for (int io = 2; io <= n / 2; ++io) {
        const long double om = (io - 1) * dom;
        const long double ratio = sampled_amplitude(om, dt, tau, n) * (1.0L + om * om * tau * tau);
        if (std::fabs(ratio - 1.0L) > tolerance) break;
        edge = om / (2.0L * program_pi);
    }
    return edge;
}

TEST(Report, TheBandEdgesOfTheExactTransform) {
    // The 0.5 Hz source at 0.005 s: within 1 % up to about 11.0 Hz, 10 % to 33.9 Hz.
    TempDir dir;
    const Json j = report_of(dir.path(), {"--corner-frequency=0.5", "--dt=0.005", "--samples=4096", "--report"});
    const long double tau = 1.0L / std::numbers::pi_v<long double>, dt = 0.005L;
    const long double bin = 1.0L / (4096 * dt);
    for (const auto& [key, tolerance] : {std::pair{"within_1_percent", 0.01L}, std::pair{"within_10_percent", 0.10L}}) {
        const Json& band = j["band"][key];
        ASSERT_EQ(band["status"], "limited") << key;
        const long double want = band_edge(dt, tau, 4096, tolerance);
        EXPECT_LE(std::fabs(band["highest_hz"].get<double>() - want), bin * 1.001L) << key << ": " << band << " against " << static_cast<double>(want);
        EXPECT_NEAR(band["fraction_of_nyquist"].get<double>(), band["highest_hz"].get<double>() / 100.0, 1e-12);
    }
    EXPECT_NEAR(j["band"]["within_1_percent"]["highest_hz"].get<double>(), 11.0, 0.05);
    EXPECT_NEAR(j["band"]["within_10_percent"]["highest_hz"].get<double>(), 33.9, 0.1);
    EXPECT_EQ(j["transform_error"]["bins_over_tolerance"], 0);
    EXPECT_LT(j["transform_error"]["max_relative"].get<double>(), 5e-5);
}

TEST(Report, ABandLimitedByTheSampling) {
    // dt = tau / 100: near the Nyquist frequency the ratio tends to pi^2/4.
    TempDir dir;
    const Json j = report_of(dir.path(), {"--report"});
    EXPECT_EQ(j["band"]["within_1_percent"]["status"], "limited");
    EXPECT_EQ(j["band"]["within_10_percent"]["status"], "limited");
    EXPECT_NEAR(j["band"]["ratio_at_last_bin"].get<double>(), std::numbers::pi * std::numbers::pi / 4, 0.01);
    // The sampled pulse: the peak sample at t = tau, the trapezoid's final slip.
    EXPECT_EQ(j["sampled"]["peak_time_s"].get<double>(), 1.0);
    EXPECT_NEAR(j["sampled"]["peak_velocity_per_s"].get<double>(), std::exp(-1.0), 1e-16);
    EXPECT_EQ(j["sampled"]["time_to_95_percent_s"].get<double>(), 4.75);  // 1 - 5.75 e^-4.75 = 0.9503, 4.74: 0.9499
    long double trapezoid = 0, worst = 0;
    for (int k = 1; k < 8192; ++k) {
        const long double a = (k - 1) * 0.01L, b = k * 0.01L;
        trapezoid += (a * std::exp(-a) + b * std::exp(-b)) * 0.01L / 2;
        worst = std::max(worst, std::fabs(trapezoid - (1 - (1 + b) * std::exp(-b))));
    }
    EXPECT_NEAR(j["sampled"]["final_slip_trapezoid"].get<double>(), static_cast<double>(trapezoid), 1e-14);
    EXPECT_NEAR(j["sampled"]["max_trapezoid_error"].get<double>(), static_cast<double>(worst), 1e-12);
}

TEST(Report, ARecordTooShortHasNoBand) {
    TempDir dir;
    Outcome result;
    const Json j = report_of(dir.path(), {"--tau=10", "--samples=64", "--report"}, &result);
    for (const char* key : {"within_1_percent", "within_10_percent"}) {
        EXPECT_EQ(j["band"][key]["status"], "none");
        EXPECT_EQ(j["band"][key]["reason"], "record_too_short");
        EXPECT_TRUE(j["band"][key]["highest_hz"].is_null());
    }
    EXPECT_NE(result.out.find("  Within 1 % up to (Hz) = none: the first bin departs; the record is too short for the pulse\n"),
              std::string::npos)
        << result.out;
    EXPECT_TRUE(j["sampled"]["time_to_95_percent_s"].is_null());
    // The transform of the truncated record is that of its own samples, not
    // of the endless pulse's.
    EXPECT_EQ(j["transform_error"]["bins_over_tolerance"], 0);
    EXPECT_LT(j["transform_error"]["max_relative"].get<double>(), 5e-5);
}

// |(a^2 q / (1 - q)^2)| (1 + om^2 tau^2), a = dt/tau, q = e^(-a - i om dt):
// the endless record's transform over the closed form, in long double.
long double endless_ratio(long double om, long double dt, long double tau) {
    const long double a = dt / tau;
    const LC q = std::exp(LC(-a, -om * dt));
    return std::abs(a * a * q / ((1.0L - q) * (1.0L - q))) * (1.0L + om * om * tau * tau);
}

long double worst_departure(long double dt, long double tau, long double fmax) {
    long double worst = 0;
    for (int g = 0; g <= 20000; ++g) {
        const long double om = 2 * std::numbers::pi_v<long double> * fmax * g / 20000;
        worst = std::max(worst, std::fabs(endless_ratio(om, dt, tau) - 1.0L));
    }
    return worst;
}

TEST(Report, TheLargestDtForATargetBand) {
    // fmax far below the corner too: dt is then bound by tau, not by fmax.
    for (const std::string fmax : {"10", "2", "40", "1e-9"}) {
        TempDir dir;
        const Json j = report_of(dir.path(), {"--corner-frequency=0.5", "--dt=0.005", "--fmax=" + fmax});
        const Json& t = j["target"];
        ASSERT_FALSE(t["largest_dt_s"].is_null()) << fmax;
        const long double dt = t["largest_dt_s"].get<double>();
        const long double tau = 1.0L / std::numbers::pi_v<long double>;
        const long double f = std::stold(fmax);
        EXPECT_LE(worst_departure(dt, tau, f), 0.01L) << fmax << ": dt = " << static_cast<double>(dt) << " by " << static_cast<double>(worst_departure(dt, tau, f) - 0.01L);
        EXPECT_GT(worst_departure(1.05L * dt, tau, f), 0.01L) << fmax << ": 1.05 dt";
        EXPECT_FALSE(t["above_nyquist"].get<bool>());
    }
}

TEST(Report, AnFmaxAboveTheNyquistFrequencyIsSaid) {
    TempDir dir;
    Outcome result;
    const Json j = report_of(dir.path(), {"--fmax=80"}, &result);  // Nyquist 50 Hz
    EXPECT_TRUE(j["target"]["above_nyquist"].get<bool>());
    EXPECT_NE(result.out.find("fmax lies above the Nyquist frequency"), std::string::npos) << result.out;
    // Every bin is below fmax: the deviation is the largest of them all.
    EXPECT_NEAR(j["target"]["max_deviation"].get<double>(), j["band"]["ratio_at_last_bin"].get<double>() - 1.0, 1e-12);
}

TEST(Report, BadFmaxValuesAreUsageErrors) {
    for (const char* value : {"--fmax=0", "--fmax=-3", "--fmax=abc", "--fmax=", "--fmax=1e10", "--fmax=inf"}) {
        TempDir dir;
        const Outcome result = run(dir.path(), {value});
        EXPECT_EQ(result.status, 64) << value;
        EXPECT_EQ(result.out, "") << value;
        EXPECT_NE(result.err.find("for --fmax"), std::string::npos) << value << ": " << result.err;
    }
}

// The exact transform of the samples, as the report computes it, against a
// sum here: short and long records, the series and the closed form.
TEST(Report, TheExactTransformOfTheSamples) {
    struct Case {
        double tau, dt;
        int n;
        double om;
    };
    const Case cases[] = {
        {1.0, 0.01, 8192, 0.0767}, {1.0, 0.01, 8192, 300.0}, {0.05, 0.001, 1000, 6.0},
        {100.0, 0.01, 64, 0.01},   // n u small: the series
        {1e3, 1e-3, 4096, 1e-3},   // the series, many terms
        {1.0, 0.01, 2, 1.0},
    };
    for (const Case& c : cases) {
        const exp_slipv::BruneSource source(c.tau);
        const long double want = sampled_amplitude(c.om, c.dt, c.tau, c.n);
        const double got = std::abs(source.sampled_spectrum(c.om, c.dt, c.n).value());
        EXPECT_LE(std::fabs(got - want), 1e-12L * want) << c.tau << " " << c.dt << " " << c.n << " " << c.om;
    }
    // The endless record: long enough a sum.
    const exp_slipv::BruneSource source(0.1);
    const long double want = sampled_amplitude(20.0L, 0.01L, 0.1L, 20000);
    EXPECT_LE(std::fabs(std::abs(source.sampled_spectrum(20.0, 0.01, 0).value()) - want), 1e-13L * want);
}

}  // namespace
