// Every pulse shape through the whole program, end to end: the transcript,
// the slip and spectrum files, the report and one export, each against the
// shape written out here in long double; and the command lines the shapes
// refuse.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <map>
#include <numbers>
#include <string>
#include <tuple>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/child.hpp"
#include "support/csv_records.hpp"
#include "support/shape_reference.hpp"
#include "support/temp_dir.hpp"

namespace {

using Json = nlohmann::json;
using testing_support::number;
using testing_support::Outcome;
using testing_support::read_file;
using testing_support::records;
using testing_support::TempDir;
using testing_support::Wide;

constexpr Wide program_pi = 3.141592654L;  // the spectrum file's frequencies are built on it

struct ShapeRun {
    std::string shape;
    std::vector<std::string> args;           // the shape's options
    std::map<std::string, Wide> parameters;  // the same, for the reference
    std::vector<std::string> transcript;     // its lines in the transcript
    double dt;
    std::string format;  // the export: its name, file and whether it holds the rate
    std::string file;
    bool rate;
};

const std::vector<ShapeRun> runs = {
    {"smoothed-brune", {"--corner-frequency=0.5"}, {{"tau", 1 / (2 * std::numbers::pi_v<Wide> * 0.5L)}},
     {"  Shape = smoothed-brune", "  Tau(s) =  0.318309886"}, 0.01, "sw4", "Exp_STF_sw4.txt", false},
    {"boxcar", {"--duration=0.5"}, {{"duration", 0.5L}}, {"  Shape = boxcar", "  Duration(s) =  0.5"}, 0.01,
     "specfem3d", "Exp_STF_specfem3d.txt", true},
    {"triangle", {"--duration=0.8", "--peak-ratio=0.25"}, {{"duration", 0.8L}, {"peak-ratio", 0.25L}},
     {"  Shape = triangle", "  Duration(s) =  0.8", "  Peak ratio =  0.25"}, 0.01, "specfem2d", "Exp_STF_specfem2d.txt", false},
    {"half-sine", {"--duration=0.64"}, {{"duration", 0.64L}}, {"  Shape = half-sine", "  Duration(s) =  0.64"}, 0.01,
     "sem2dpack", "Exp_STF_sem2dpack.tab", true},
    {"hann", {"--duration=1"}, {{"duration", 1}}, {"  Shape = hann", "  Duration(s) =  1."}, 0.01, "sw4",
     "Exp_STF_sw4.txt", true},
    {"liu", {"--tau=1.3"}, {{"tau", 1.3L}}, {"  Shape = liu", "  Tau(s) =  1.3"}, 0.01, "specfem3d",
     "Exp_STF_specfem3d.txt", false},
    {"gaussian", {"--sigma=0.2", "--delay=1.1"}, {{"sigma", 0.2L}, {"delay", 1.1L}},
     {"  Shape = gaussian", "  Sigma(s) =  0.2", "  Delay(s) =  1.1"}, 0.01, "specfem2d", "Exp_STF_specfem2d.txt", true},
    {"yoffe", {"--rise=0.8", "--smoothing=0.05"}, {{"rise", 0.8L}, {"smoothing", 0.05L}},
     {"  Shape = yoffe", "  Rise(s) =  0.8", "  Smoothing(s) =  0.05"}, 0.005, "sem2dpack", "Exp_STF_sem2dpack.tab", false},
    {"asymmetric-cosine", {"--rise=0.3", "--fall=0.5"}, {{"rise", 0.3L}, {"fall", 0.5L}},
     {"  Shape = asymmetric-cosine", "  Rise(s) =  0.3", "  Fall(s) =  0.5"}, 0.01, "specfem3d", "Exp_STF_specfem3d.txt", true},
};

constexpr int samples = 1000;  // not a power of two: the transform pads to 1024

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// The values of an export, one a sample, as each solver reads them.
std::vector<double> export_values(const std::string& format, const std::string& text) {
    std::vector<double> values;
    const std::vector<std::string> lines = lines_of(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (format == "sw4" && i == 0) continue;  // t0 dt npts
        if (format == "specfem3d" && !line.empty() && line[0] == '#') continue;
        double a = 0, b = 0;
        if (format == "sw4" || format == "specfem3d") {
            EXPECT_EQ(std::sscanf(line.c_str(), "%lg", &a), 1) << line;
            values.push_back(a);
        } else {
            EXPECT_EQ(std::sscanf(line.c_str(), "%lg %lg", &a, &b), 2) << line;
            values.push_back(b);
        }
    }
    return values;
}

TEST(ShapeRuns, EveryShapeThroughTheWholeProgram) {
    for (const ShapeRun& run : runs) {
        SCOPED_TRACE(run.shape);
        const testing_support::ShapeReference ref = testing_support::shape_reference(run.shape, run.parameters);
        TempDir dir;
        std::vector<std::string> args{"--shape=" + run.shape};
        args.insert(args.end(), run.args.begin(), run.args.end());
        char dt_arg[32];
        std::snprintf(dt_arg, sizeof dt_arg, "--dt=%g", run.dt);
        for (const std::string& a : {std::string(dt_arg), "--samples=" + std::to_string(samples), std::string("--report"),
                                     "--export=" + run.format, std::string(run.rate ? "--quantity=rate" : "--quantity=cumulative")})
            args.push_back(a);
        const Outcome result = testing_support::run_without_pause(dir.path(), args);
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err, "");

        // The transcript: the shape's name and parameters where tau stood.
        const std::vector<std::string> transcript = lines_of(result.out);
        ASSERT_GE(transcript.size(), 4 + run.transcript.size());
        for (std::size_t i = 0; i < run.transcript.size(); ++i) EXPECT_EQ(transcript[4 + i], run.transcript[i]);

        // The slip file: v(k dt) to the digits shown, the exact first
        // acceleration, and the trapezoid of the samples as the slip.
        const auto slip = records(read_file(dir.file("Exp_Slip.csv")));
        ASSERT_EQ(slip.size(), static_cast<std::size_t>(samples));
        Wide trapezoid = 0, previous = 0, largest = 0;
        for (int k = 0; k < samples; ++k) {
            const Wide t = static_cast<Wide>(static_cast<double>(k) * run.dt);
            const Wide v = ref.v(t);
            const auto& fields = slip[static_cast<std::size_t>(k)];
            EXPECT_LE(std::fabs(number(fields[1]) - v), testing_support::half_unit(fields[1]) * 1.0001L) << "v at " << k;
            if (k > 0) trapezoid += (v + previous) * static_cast<Wide>(run.dt) / 2;
            EXPECT_LE(std::fabs(number(fields[2]) - trapezoid), testing_support::half_unit(fields[2]) * 1.0001L + 1e-15L) << "s at " << k;
            previous = v;
            largest = std::max(largest, v);
        }
        EXPECT_LE(std::fabs(number(slip[0][3]) - ref.initial_acceleration), testing_support::half_unit(slip[0][3]) * 1.0001L);

        // The spectrum file: the shape's |V| at the file's frequencies, and
        // the sampled spectrum against the samples summed here.
        const auto spectrum = records(read_file(dir.file("Exp_Amp.csv")));
        const int nfast = 1024;
        ASSERT_EQ(spectrum.size(), static_cast<std::size_t>(nfast / 2 - 1));
        for (int io = 2; io <= nfast / 2; io += 7) {
            const auto& fields = spectrum[static_cast<std::size_t>(io - 2)];
            const Wide om = (io - 1) * (2 * program_pi / (nfast * static_cast<Wide>(run.dt)));
            EXPECT_LE(std::fabs(number(fields[3]) - ref.amplitude(om)), testing_support::half_unit(fields[3]) * 1.0001L)
                << "|V| at bin " << io;
            std::complex<Wide> sum = 0;
            const Wide theta = 2 * std::numbers::pi_v<Wide> * (io - 1) / nfast;
            for (int k = samples - 1; k >= 0; --k)
                sum = sum * std::polar(1.0L, -theta) + ref.v(static_cast<Wide>(static_cast<double>(k) * run.dt));
            const Wide sampled = std::abs(sum) * static_cast<Wide>(run.dt);
            EXPECT_LE(std::fabs(number(fields[1]) - sampled), testing_support::half_unit(fields[1]) * 1.0001L + 1e-8L)
                << "sampled |V| at bin " << io;
        }

        // The report.
        const Json j = Json::parse(read_file(dir.file("Exp_Report.json")));
        EXPECT_EQ(j["source"]["shape"], run.shape);
        for (const auto& [name, value] : run.parameters) {
            std::string key = name;
            for (char& c : key) c = c == '-' ? '_' : c;
            const std::string unit = key == "peak_ratio" ? "_1" : "_s";
            EXPECT_NEAR(j["source"]["parameters"][key + unit].get<double>(), static_cast<double>(value), 1e-15) << key;
        }
        EXPECT_NEAR(j["sampled"]["peak_velocity_per_s"].get<double>(), static_cast<double>(largest), 1e-12 * static_cast<double>(largest));
        const Wide last = static_cast<Wide>(static_cast<double>(samples - 1) * run.dt);
        EXPECT_NEAR(j["sampled"]["final_slip_exact"].get<double>(), static_cast<double>(ref.s(last)), 1e-14);
        EXPECT_NEAR(j["sampled"]["final_slip_trapezoid"].get<double>(), static_cast<double>(trapezoid), 1e-13);
        EXPECT_EQ(j["transform_error"]["reference"], "extended-precision sum of the samples");
        // The program's transform (built on a 10-digit pi) against that sum:
        // some 1e-9 in absolute terms, so relatively small wherever no bin
        // falls on a zero of the spectrum (as the triangle's, half sine's,
        // Hann's and the Gaussian's cut tail do here).
        const std::map<std::string, double> transform_bounds = {
            {"smoothed-brune", 5e-3}, {"liu", 1e-4}, {"yoffe", 5e-3}, {"boxcar", 1e-4}};
        if (const auto bound = transform_bounds.find(run.shape); bound != transform_bounds.end()) {
            EXPECT_LT(j["transform_error"]["max_relative"].get<double>(), bound->second);
        }

        // The export: s or v at every sample, to the last bits.
        const std::vector<double> values = export_values(run.format, read_file(dir.file(run.file)));
        ASSERT_EQ(values.size(), static_cast<std::size_t>(samples));
        for (int k = 0; k < samples; ++k) {
            const Wide t = static_cast<Wide>(static_cast<double>(k) * run.dt);
            Wide want = run.rate ? ref.v(t) : ref.s(t);
            if (std::fabs(want) < FLT_MIN) want = 0;
            EXPECT_LE(std::fabs(values[static_cast<std::size_t>(k)] - want), 1e-12L * std::fabs(want) + 1e-300L)
                << run.file << " sample " << k << " t = " << static_cast<double>(t);
        }
    }
}

// The largest departure of the endless record's transform, the samples of
// the pulse summed here, from the closed form over (0, fmax].
Wide endless_departure(const testing_support::ShapeReference& ref, Wide duration, Wide dt, Wide fmax) {
    Wide worst = 0;
    constexpr int grid = 300;  // a grid of its own, not the program's
    for (int g = 1; g <= grid; ++g) {
        const Wide om = 2 * std::numbers::pi_v<Wide> * fmax * g / grid;
        std::complex<Wide> sum = 0;
        for (long k = static_cast<long>(duration / dt) + 1; k >= 0; --k) sum = sum * std::polar(1.0L, -om * dt) + ref.v(k * dt);
        const Wide closed = ref.amplitude(om);
        if (closed < 1e-12L) continue;  // a zero of the closed form, or a tail too faint to judge
        worst = std::max(worst, std::fabs(std::abs(sum) * dt / closed - 1));
    }
    return worst;
}

TEST(ShapeRuns, TheLargestDtForATargetBandOfAPulseWithoutAClosedFormSampledSpectrum) {
    // A Hann pulse of 1 s up to 1.5 Hz (below its first zero at 2 Hz) and a
    // Liu pulse of 2 s up to 3 Hz: within 1 % at the dt the report gives,
    // beyond it at 5 % more.  A boxcar of 1 s up to 4.5 Hz, past its zeros at
    // 1 .. 4 Hz, where no relative departure is defined: a dt is found, and
    // its departure elsewhere is within 1 %.
    const std::vector<std::tuple<std::vector<std::string>, std::map<std::string, Wide>, std::string, Wide, Wide>> cases = {
        {{"--shape=hann", "--duration=1", "--fmax=1.5"}, {{"duration", 1}}, "hann", 1, 1.5L},
        {{"--shape=liu", "--tau=2", "--fmax=3"}, {{"tau", 2}}, "liu", 2, 3},
        {{"--shape=boxcar", "--duration=1", "--fmax=4"}, {{"duration", 1}}, "boxcar", 1, 4},
        // A Gaussian with no cut to speak of (v(0) = e^-800 is 0) up to 50
        // Hz, where e^(-omega^2 sigma^2/2) has long underflowed: the band is
        // judged where the closed form is at least 1e-12.
        {{"--shape=gaussian", "--sigma=0.2", "--delay=8", "--fmax=50"}, {{"sigma", 0.2L}, {"delay", 8}}, "gaussian", 16.5L, 50},
    };
    for (const auto& [args, parameters, shape, duration, fmax] : cases) {
        TempDir dir;
        const Outcome result = testing_support::run_without_pause(dir.path(), args);
        ASSERT_EQ(result.status, 0) << result.err;
        const Json j = Json::parse(read_file(dir.file("Exp_Report.json")));
        ASSERT_TRUE(j["target"]["largest_dt_s"].is_number()) << shape;
        const Wide dt = j["target"]["largest_dt_s"].get<double>();
        const auto ref = testing_support::shape_reference(shape, parameters);
        EXPECT_LE(endless_departure(ref, duration, dt, fmax), 0.01L + 1e-6L) << shape << " dt = " << static_cast<double>(dt);
        // The boxcar's departure depends on where its jumps fall, not only on
        // dt; and no dt beyond 1/(2 fmax) is offered, whose Nyquist frequency
        // would lie below fmax.
        if (shape != "boxcar" && dt < 1 / (2 * fmax)) {
            EXPECT_GT(endless_departure(ref, duration, 1.05L * dt, fmax), 0.01L) << shape << " dt = " << static_cast<double>(dt);
        }
    }
}

TEST(ShapeRuns, ASacFileNamesTheShapeAndItsParameters) {
    // USER0, USER1 hold tauR and tauS, KUSER0, KUSER1 their names; KEVNM the
    // shape; the samples are s(t) rounded to single precision.
    TempDir dir;
    const Outcome result = testing_support::run_without_pause(
        dir.path(), {"--shape=yoffe", "--rise=0.8", "--smoothing=0.05", "--samples=300", "--export=sac"});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string bytes = read_file(dir.file("Exp_STF.sac"));
    ASSERT_EQ(bytes.size(), 632u + 4 * 300);
    const auto word = [&](std::size_t w) {
        float f;
        std::memcpy(&f, bytes.data() + 4 * w, 4);
        return f;
    };
    EXPECT_EQ(word(40), 0.8f);
    EXPECT_EQ(word(41), 0.05f);
    EXPECT_EQ(word(42), -12345.0f);  // USER2: no third parameter
    EXPECT_EQ(bytes.substr(576, 8), "rise    ");
    EXPECT_EQ(bytes.substr(584, 8), "smoothin");
    EXPECT_EQ(bytes.substr(592, 8), "-12345  ");
    EXPECT_EQ(bytes.substr(448, 16), "exp-slipv yoffe ");
    const auto ref = testing_support::shape_reference("yoffe", {{"rise", 0.8L}, {"smoothing", 0.05L}});
    for (int k = 0; k < 300; ++k) {
        const Wide want = ref.s(static_cast<Wide>(static_cast<double>(k) * 0.01));
        EXPECT_LE(std::fabs(word(158 + static_cast<std::size_t>(k)) - want), 6e-8L * want + (want < FLT_MIN ? FLT_MIN : 0)) << k;
    }
    // A name too long for "exp-slipv NAME" stands alone.
    TempDir other;
    ASSERT_EQ(testing_support::run_without_pause(other.path(), {"--shape=smoothed-brune", "--export=sac"}).status, 0);
    EXPECT_EQ(read_file(other.file("Exp_STF.sac")).substr(448, 16), "smoothed-brune  ");
}

// The files a directory holds.
std::vector<std::string> files_in(const std::string& path) {
    std::vector<std::string> names;
    if (DIR* d = opendir(path.c_str())) {
        while (const dirent* e = readdir(d))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.push_back(e->d_name);
        closedir(d);
    }
    return names;
}

TEST(ShapeRuns, CommandLinesTheShapesRefuse) {
    struct Refused {
        std::vector<std::string> args;
        std::string line;
    };
    const std::vector<Refused> cases = {
        {{"--shape=cosine"}, "invalid value 'cosine' for --shape: unknown shape; the shapes are brune, smoothed-brune, "
                             "boxcar, triangle, half-sine, hann, liu, gaussian, yoffe, asymmetric-cosine"},
        {{"--duration=2"}, "--duration=2 cannot be used with --shape=brune, which takes --tau, --corner-frequency or --rise-time"},
        {{"--shape=boxcar", "--tau=1"}, "--tau=1 cannot be used with --shape=boxcar, which takes --duration or --rise-time"},
        {{"--tau=1", "--shape=liu", "--rise-time=2"}, "--rise-time=2 cannot be combined with --tau: give tau one way only"},
        {{"--shape=boxcar", "--duration=1", "--rise-time=1"}, "--rise-time=1 cannot be combined with --duration: give T one way only"},
        {{"--shape=yoffe", "--rise=1"}, "--shape=yoffe needs both --rise and --smoothing"},
        {{"--shape=yoffe", "--smoothing=1"}, "--shape=yoffe needs both --rise and --smoothing"},
        {{"--shape=yoffe", "--rise=1", "--smoothing=0"}, "invalid value '0' for --smoothing: not positive"},
        {{"--shape=yoffe", "--rise=2e9", "--smoothing=1"}, "invalid value '2e9' for --rise: outside 1e-9 to 1e9 s"},
        {{"--shape=yoffe", "--rise=1", "--smoothing=1", "--rise-time=1"},
         "--rise-time=1 cannot be used with --shape=yoffe, which takes --rise or --smoothing"},
        {{"--shape=gaussian", "--rise-time=1"}, "--rise-time=1 cannot be used with --shape=gaussian, which takes --sigma or --delay"},
        {{"--shape=gaussian", "--sigma=1", "--delay=4.9"}, "invalid value '4.9' for --delay: less than 5 sigma = 5 s"},
        {{"--shape=gaussian", "--sigma=5e8"}, "--sigma=5e8 gives the delay 6 sigma = 3e+09 s, outside 1e-9 to 1e9 s"},
        {{"--shape=triangle", "--peak-ratio=1"}, "invalid value '1' for --peak-ratio: not below 1"},
        {{"--shape=triangle", "--peak-ratio=0"}, "invalid value '0' for --peak-ratio: not positive"},
        {{"--shape=triangle", "--peak-ratio=-0.5"}, "invalid value '-0.5' for --peak-ratio: not positive"},
        {{"--shape=half-sine", "--duration=1e-10"}, "invalid value '1e-10' for --duration: outside 1e-9 to 1e9 s"},
        {{"--shape=hann", "--rise-time=0.5e-9"},
         "invalid value '0.5e-9' for --rise-time: it gives T = rise time / 0.798041 = 6.26534e-10 s, outside 1e-9 to 1e9 s"},
        {{"--shape=smoothed-brune", "--corner-frequency=1e12"},
         "invalid value '1e12' for --corner-frequency: it gives tau = 1/(2 pi fc) = 1.59155e-13 s, outside 1e-9 to 1e9 s"},
        {{"--shape=liu", "--peak-ratio=0.5"}, "--peak-ratio=0.5 cannot be used with --shape=liu, which takes --tau or --rise-time"},
    };
    for (const Refused& c : cases) {
        TempDir dir;
        const Outcome result = testing_support::run_without_pause(dir.path(), c.args);
        EXPECT_EQ(result.status, 64) << c.line;
        EXPECT_EQ(result.err, "exp-slipv: " + c.line + "\nTry 'exp-slipv --help' for more information.\n");
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(files_in(dir.path()).empty()) << c.line;
    }
}

}  // namespace
