// The report of a run against values worked out here: the closed form's
// figures, the band edges from the exact transform of the samples summed
// here in long double, the endless record's transform for a target band,
// and the report file read by a JSON reader.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "source/shapes/brune.hpp"
#include "support/child.hpp"
#include "support/shape_reference.hpp"
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
        // The exact bin: the last within, the next the first departure.
        EXPECT_NEAR(band["highest_hz"].get<double>(), want, 1e-9L) << key << ": " << band << " against " << static_cast<double>(want);
        EXPECT_NEAR(band["first_departure_hz"].get<double>(), want + bin, 1e-9L) << key << ": " << band;
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

// A run of some shape, and what the report must say of it, worked out here
// from the shape's own definition: the samples' transform summed in long
// double at each bin k/(N dt), the closed form at the spectrum file's
// frequencies (the program's 10-digit pi) for the ratio, and at the bin's
// own frequency for the floor.
struct FloorRun {
    const char* what;
    std::vector<std::string> args;
    const char* shape;
    std::map<std::string, long double> parameters;
    long double dt;
    int n;           // samples, a power of two: the transform's length
    long double fmax;  // 0: none
};

struct Judged {
    int below_floor = 0;
    long double first_below_hz = 0;
    int edge1 = 0, edge10 = 0;  // the last bin index io within, from the first judged bin
    long double max_deviation = 0, max_deviation_hz = 0;
};

Judged judge(const FloorRun& c) {
    const testing_support::ShapeReference ref = testing_support::shape_reference(c.shape, c.parameters);
    std::vector<long double> v;
    for (int k = 0; k < c.n; ++k) v.push_back(ref.v(k * c.dt));
    while (!v.empty() && v.back() == 0) v.pop_back();  // the pulse's end: nothing beyond adds
    Judged j;
    bool gone1 = false, gone10 = false;
    const long double true_pi = std::numbers::pi_v<long double>;
    for (int io = 2; io <= c.n / 2; ++io) {
        const long double bin_om = 2 * true_pi * (io - 1) / (c.n * c.dt);
        const long double file_om = 2 * program_pi * (io - 1) / (c.n * c.dt);
        const long double hz = (io - 1) / (c.n * c.dt);
        if (ref.amplitude(bin_om) < 1e-12L) {
            if (j.below_floor++ == 0) j.first_below_hz = hz;
            continue;
        }
        const LC step = std::exp(LC(0.0L, -bin_om * c.dt));
        LC phasor = 1.0L, sum = 0.0L;
        for (const long double value : v) sum += value * phasor, phasor *= step;
        const long double departure = std::fabs(std::abs(sum) * c.dt / ref.amplitude(file_om) - 1);
        if (!gone1 && !(gone1 = departure > 0.01L)) j.edge1 = io;
        if (!gone10 && !(gone10 = departure > 0.10L)) j.edge10 = io;
        if (c.fmax > 0 && hz <= c.fmax && departure > j.max_deviation) j.max_deviation = departure, j.max_deviation_hz = hz;
    }
    return j;
}

// Where a zero of |V| falls on a bin both spectra there are rounding noise
// (1e-17 and 1e-10): no relative figure may take it.  Hann of 1 s and Yoffe
// with tauS = 0.04 s have zeros at 25, 50 and 75 Hz, bins 513, 1025, 1537
// of 20.48 s; the boxcar of 1 s one at 25 Hz, bin 2049 of 81.92 s.  Each
// band edge is the exact bin, the last within before the first departure.
TEST(Report, RelativeFiguresJudgeOnlyBinsAboveTheFloor) {
    const FloorRun runs[] = {
        {"hann", {"--shape=hann", "--duration=1", "--dt=0.005", "--samples=4096"}, "hann", {{"duration", 1}}, 0.005L, 4096, 0},
        {"yoffe", {"--shape=yoffe", "--rise=0.5", "--smoothing=0.04", "--dt=0.005", "--samples=4096"}, "yoffe",
         {{"rise", 0.5L}, {"smoothing", 0.04L}}, 0.005L, 4096, 0},
        {"boxcar", {"--shape=boxcar", "--duration=1", "--fmax=30"}, "boxcar", {{"duration", 1}}, 0.01L, 8192, 30},
    };
    for (const FloorRun& c : runs) {
        TempDir dir;
        std::vector<std::string> args = c.args;
        args.push_back("--report");
        Outcome result;
        const Json j = report_of(dir.path(), args, &result);
        const Judged want = judge(c);
        const Json& band = j["band"];
        EXPECT_EQ(band["judged_floor"].get<double>(), 1e-12) << c.what;
        EXPECT_EQ(band["bins_below_floor"].get<int>(), want.below_floor) << c.what;
        if (want.below_floor > 0) {
            EXPECT_NEAR(band["first_below_floor_hz"].get<double>(), want.first_below_hz, 1e-9L) << c.what;
        }
        const long double bin = 1.0L / (c.n * c.dt);
        for (const auto& [key, io] : {std::pair{"within_1_percent", want.edge1}, std::pair{"within_10_percent", want.edge10}}) {
            ASSERT_EQ(band[key]["status"], "limited") << c.what << " " << key;
            // The exact bin, and the first departure the next one.
            EXPECT_NEAR(band[key]["highest_hz"].get<double>(), (io - 1) * bin, 1e-9L) << c.what << " " << key;
            EXPECT_NEAR(band[key]["first_departure_hz"].get<double>(), io * bin, 1e-9L) << c.what << " " << key;
        }
        // The transform's relative error is not taken at a zero: it stays
        // below 1, where at the zero it was 3.9 (yoffe) and 5.1 (hann).
        EXPECT_LT(j["transform_error"]["max_relative"].get<double>(), 1.0) << c.what;
        EXPECT_GT(j["transform_error"]["max_absolute"].get<double>(), 0.0) << c.what;
        EXPECT_LT(j["transform_error"]["max_absolute"].get<double>(), 1e-9) << c.what;
        if (c.fmax > 0) {
            // Not 1, the ratio 0 / 1.3e-10 at 25 Hz.
            EXPECT_NEAR(j["target"]["max_deviation"].get<double>(), want.max_deviation, 1e-6L) << c.what;
            EXPECT_NEAR(j["target"]["max_deviation_hz"].get<double>(), want.max_deviation_hz, 1e-9L) << c.what;
        }
        // The console states the floor and the bins below it.
        EXPECT_NE(result.out.find("  Relative figures judge the bins where the closed form is at least 1e-12 of its peak\n"),
                  std::string::npos) << c.what;
        if (want.below_floor > 0) {
            EXPECT_NE(result.out.find("  Bins below the floor = " + std::to_string(want.below_floor) + "\n"), std::string::npos)
                << c.what << result.out;
        }
    }
}

// A Gaussian's closed form underflows to 0 long before the Nyquist
// frequency: the ratio at the last bin is infinite, null in the file with
// its reason, and the console says the same instead of printing "Infinity".
TEST(Report, ARatioThatIsNotFiniteIsNotPrintedAsANumber) {
    TempDir dir;
    Outcome result;
    const Json j = report_of(dir.path(), {"--shape=gaussian", "--sigma=0.05", "--delay=0.5", "--dt=0.001", "--samples=4096", "--report"}, &result);
    EXPECT_TRUE(j["band"]["ratio_at_last_bin"].is_null());
    EXPECT_EQ(j["band"]["ratio_at_last_bin_not_given"], "infinite");
    EXPECT_NE(result.out.find("  Ratio there (relative) = not judged: infinite, the closed form is 0 there (null in the report file)\n"),
              std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("Inf"), std::string::npos);
    // exp(-omega^2 sigma^2 / 2) < 1e-12 from omega sigma = sqrt(2 ln 1e12) = 7.4338: f = 23.662 Hz, the
    // first bin above it 97/4.096 s = 23.681640625 Hz; 2047 - 96 bins below the floor.
    EXPECT_EQ(j["band"]["bins_below_floor"].get<int>(), 2047 - 96);
    EXPECT_NEAR(j["band"]["first_below_floor_hz"].get<double>(), 97 / 4.096, 1e-9);
    // A judged ratio keeps its number, and says nothing else.
    TempDir other;
    const Json brune = report_of(other.path(), {"--report"});
    EXPECT_TRUE(brune["band"]["ratio_at_last_bin_not_given"].is_null());
    EXPECT_TRUE(brune["band"]["ratio_at_last_bin"].is_number());
}

// The number the console prints after a label, or NaN when the label is
// missing or followed by words.
double console_figure(const std::string& out, const std::string& label, std::size_t from = 0) {
    const std::size_t at = out.find("  " + label + " ", from);
    if (at == std::string::npos) return std::nan("");
    const std::size_t start = at + 2 + label.size();
    const std::size_t end = out.find('\n', start);
    char* stop = nullptr;
    const std::string text = out.substr(start, end - start);
    const double value = std::strtod(text.c_str(), &stop);
    return *stop == '\0' ? value : std::nan("");
}

// The sampled pulse's figures are the samples', not the closed form's, and
// the console prints what the file holds: a tau that is no multiple of dt
// (the closed form peaks at 0.0333 s, the samples at 0.03 s) and a record of
// 2 tau, whose samples carry dt sum v = 0.59 of the unit slip.
TEST(Report, TheSampledFiguresAreTheSamplesAndTheConsoleAgreesWithTheFile) {
    struct Case {
        long double tau, dt;
        int n;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {0.0333L, 0.01L, 256, {"--tau=0.0333", "--dt=0.01", "--samples=256", "--report"}},
        {1.0L, 0.01L, 200, {"--tau=1", "--samples=200", "--report"}},
        {0.05L, 0.001L, 4096, {"--tau=0.05", "--dt=0.001", "--samples=4096", "--fmax=40"}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        Outcome result;
        const Json j = report_of(dir.path(), c.args, &result);
        const std::string what = c.args[0];
        long double weighted = 0, sum = 0, best = -1;
        int peak = 0;
        for (int k = 0; k < c.n; ++k) {
            const long double t = k * c.dt, v = t / (c.tau * c.tau) * std::exp(-t / c.tau);
            weighted += t * v, sum += v;
            if (v > best) best = v, peak = k;
        }
        const Json& sampled = j["sampled"];
        EXPECT_NEAR(sampled["peak_time_s"].get<double>(), peak * c.dt, 1e-15L) << what;
        EXPECT_NEAR(sampled["centroid_time_s"].get<double>(), weighted / sum, 1e-12L * (weighted / sum)) << what;
        // Every figure on the console is the file's, to the console's 9 digits.
        const std::pair<const char*, Json> figures[] = {
            {"Largest velocity sample (1/s) =", sampled["peak_velocity_per_s"]},
            {"Centroid of the samples (s) =", sampled["centroid_time_s"]},
            {"Trapezoid sum at the last sample (unit slip) =", sampled["final_slip_trapezoid"]},
            {"Final slip, closed form (unit slip) =", sampled["final_slip_exact"]},
            {"Within 1 % up to (Hz) =", j["band"]["within_1_percent"]["highest_hz"]},
            {"Within 10 % up to (Hz) =", j["band"]["within_10_percent"]["highest_hz"]},
            {"Last bin (Hz) =", j["band"]["last_bin_hz"]},
            {"Ratio there (relative) =", j["band"]["ratio_at_last_bin"]},
            {"Largest difference (relative) =", j["transform_error"]["max_relative"]},
            {"Largest difference, every bin (of the peak |V(0)| = 1) =", j["transform_error"]["max_absolute"]},
        };
        for (const auto& [label, value] : figures) {
            // null in the file (no band): no number on the console either.
            if (value.is_null()) {
                EXPECT_TRUE(std::isnan(console_figure(result.out, label))) << what << ": " << label;
                continue;
            }
            const double want = value.get<double>();
            EXPECT_NEAR(console_figure(result.out, label), want, 5e-9 * std::fabs(want)) << what << ": " << label;
        }
        // The peak's time follows its value on the next line.
        const std::size_t peak_line = result.out.find("  Largest velocity sample (1/s) =");
        EXPECT_NEAR(console_figure(result.out, "at (s) =", peak_line), sampled["peak_time_s"].get<double>(), 1e-12) << what;
        if (j["target"].is_object()) {
            EXPECT_NEAR(console_figure(result.out, "Largest deviation up to fmax (relative) ="),
                        j["target"]["max_deviation"].get<double>(), 5e-9 * j["target"]["max_deviation"].get<double>());
        }
    }
}

// A boxcar's samples at its jumps take the mid value: the trapezoid's sum
// ends at 1 - dt/(4T) = 0.9975 at dt = 0.01 s, T = 1 s, which is no final
// slip: the report names it the trapezoid's sum, beside the closed form's 1.
TEST(Report, TheTrapezoidsSumIsNotCalledTheFinalSlip) {
    TempDir dir;
    Outcome result;
    const Json j = report_of(dir.path(), {"--shape=boxcar", "--duration=1", "--report"}, &result);
    EXPECT_NEAR(j["sampled"]["final_slip_trapezoid"].get<double>(), 0.9975, 1e-12);
    EXPECT_EQ(j["sampled"]["final_slip_exact"].get<double>(), 1.0);
    EXPECT_NE(result.out.find("  Trapezoid sum at the last sample (unit slip) =  0.9975\n"
                              "  Final slip, closed form (unit slip) =  1.\n"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("Final slip, trapezoid"), std::string::npos);
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
