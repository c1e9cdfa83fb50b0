// Source-time-function exports read back as each solver reads them, by
// readers written here from the solvers' documented reading rules, and
// checked against the closed forms evaluated here in long double.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cfloat>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <csignal>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "reference_files.hpp"
#include "support/brune_reference.hpp"
#include "support/child.hpp"
#include "support/csv_records.hpp"
#include "support/temp_dir.hpp"

namespace {

using testing_support::Child;
using testing_support::ChildOptions;
using testing_support::Outcome;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

constexpr int timeout_ms = 120000;

Outcome run(const std::string& dir, const std::vector<std::string>& args, ChildOptions options = {}) {
    return testing_support::run_without_pause(dir, args, std::move(options), timeout_ms);
}

using testing_support::has_temporary_file;

std::vector<std::string> entries(const std::string& dir) { return testing_support::directory_entries(dir); }

// The closed forms, in long double, by other routes than the program's.
long double exact_slip(long double x) { return testing_support::reference_brune_slip(x); }
long double exact_rate(long double t, long double tau) { return t / (tau * tau) * std::exp(-t / tau); }

struct Source {
    long double tau;
    long double dt;
    int samples;
    std::vector<std::string> args;
};

// The expected value of sample k: the double nearest the closed form, or 0
// below the smallest normal single-precision magnitude.
long double expected(const Source& s, bool rate, int k) {
    const long double t = static_cast<long double>(static_cast<double>(k) * static_cast<double>(s.dt));
    const long double v = rate ? exact_rate(t, s.tau) : exact_slip(t / s.tau);
    return std::fabs(v) < FLT_MIN ? 0.0L : v;
}

// Relative error in units of the double's last place.
double ulps(long double got, long double want) {
    if (want == 0.0L) return got == 0.0L ? 0.0 : 1e300;
    return static_cast<double>(std::fabs(got - want) / (std::fabs(want) * DBL_EPSILON));
}

// Every value within a few units of the last place of the closed form at
// the program's own time and tau: 3 for the evaluation, plus the rounding of
// x = t/tau (half a unit) times the form's condition number there.
void check_values(const std::vector<std::string>& texts, const Source& s, bool rate, const std::string& what) {
    ASSERT_EQ(texts.size(), static_cast<std::size_t>(s.samples)) << what;
    double worst = 0.0;
    int worst_k = 0;
    for (int k = 0; k < s.samples; ++k) {
        const long double want = expected(s, rate, k);
        if (want == 0.0L) {
            EXPECT_EQ(texts[static_cast<std::size_t>(k)], "0") << what << " sample " << k;
            continue;
        }
        char* end = nullptr;
        const double got = std::strtod(texts[static_cast<std::size_t>(k)].c_str(), &end);
        ASSERT_EQ(*end, '\0') << what << " sample " << k << ": '" << texts[static_cast<std::size_t>(k)] << "'";
        // The shortest text that reads back: never more than 17 digits.
        EXPECT_LE(texts[static_cast<std::size_t>(k)].size(), 24u) << what;
        const long double x = static_cast<long double>(static_cast<double>(k) * static_cast<double>(s.dt)) / s.tau;
        const long double condition = rate ? std::fabs(1.0L - x) + 1.0L : x * x * std::exp(-x) / exact_slip(x);
        const double excess = ulps(got, want) - static_cast<double>(condition) * 0.5;
        if (excess > worst) worst = excess, worst_k = k;
    }
    EXPECT_LE(worst, 3.0) << what << ": sample " << worst_k << " '" << texts[static_cast<std::size_t>(worst_k)]
                          << "' is " << worst << " ulp beyond its condition";
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "the last line has no line end";
    return lines;
}

// SW4: fscanf "%lg %lg %i" on the first line, then one "%lg" a line; no
// comments anywhere.
void read_sw4(const std::string& text, const Source& s, bool rate) {
    const std::vector<std::string> lines = lines_of(text);
    ASSERT_FALSE(lines.empty());
    double t0 = -1, dt = -1;
    int npts = -1;
    char rest = 0;
    ASSERT_EQ(std::sscanf(lines[0].c_str(), "%lg %lg %i %c", &t0, &dt, &npts, &rest), 3) << lines[0];
    EXPECT_EQ(t0, 0.0);
    EXPECT_EQ(dt, static_cast<double>(s.dt));
    EXPECT_EQ(npts, s.samples) << "npts as %i reads it: " << lines[0];
    EXPECT_EQ(text.find('#'), std::string::npos);
    check_values(std::vector<std::string>(lines.begin() + 1, lines.end()), s, rate, "sw4");
}

// SPECFEM3D: lines beginning with '#' are comments; then one value a line.
void read_specfem3d(const std::string& text, const Source& s, bool rate) {
    std::vector<std::string> values;
    std::string comments;
    for (const std::string& line : lines_of(text)) {
        EXPECT_LT(line.size(), 256u) << line;
        if (!line.empty() && line[0] == '#') {
            EXPECT_TRUE(values.empty()) << "a comment among the values";
            comments += line + "\n";
            continue;
        }
        values.push_back(line);
    }
    char dt[64];
    std::snprintf(dt, sizeof dt, "%.17Lg", s.dt);
    for (const std::string& said : {std::string(rate ? "rate" : "cumulative"), std::to_string(s.samples) + " samples",
                                    std::string("DT must equal"), std::string("NSTEP may not exceed ") + std::to_string(s.samples)})
        EXPECT_NE(comments.find(said), std::string::npos) << said << " in\n" << comments;
    check_values(values, s, rate, "specfem3d");
}

// SPECFEM2D and SEM2DPACK: "time value" on every line; times rise.
void read_time_value(const std::string& text, const Source& s, bool rate, const std::string& what) {
    std::vector<std::string> values;
    double previous = -1.0;
    int k = 0;
    for (const std::string& line : lines_of(text)) {
        std::istringstream in(line);
        std::string time, value, extra;
        ASSERT_TRUE(in >> time >> value) << what << ": '" << line << "'";
        EXPECT_FALSE(in >> extra) << what << ": '" << line << "'";
        EXPECT_EQ(line, time + " " + value) << what;
        const double t = std::strtod(time.c_str(), nullptr);
        EXPECT_EQ(t, static_cast<double>(k) * static_cast<double>(s.dt)) << what << " line " << k + 1;
        EXPECT_GT(t, previous) << what << " line " << k + 1;
        previous = t;
        values.push_back(value);
        ++k;
    }
    check_values(values, s, rate, what);
}

// SAC: the header decoded field by field, little-endian.
struct Sac {
    std::string bytes;
    float f(int word) const {
        float v;
        std::memcpy(&v, bytes.data() + 4 * word, 4);
        return v;
    }
    std::int32_t i(int word) const {
        std::int32_t v;
        std::memcpy(&v, bytes.data() + 4 * word, 4);
        return v;
    }
    std::string k(std::size_t offset, std::size_t width = 8) const { return bytes.substr(offset, width); }
};

void read_sac(const std::string& bytes, const Source& s, bool rate) {
    ASSERT_EQ(bytes.size(), 632u + 4u * static_cast<std::size_t>(s.samples));
    const Sac sac{bytes};
    const float delta = static_cast<float>(s.dt);
    EXPECT_EQ(sac.f(0), delta);                                         // DELTA
    EXPECT_EQ(sac.f(5), 0.0f);                                          // B
    EXPECT_FLOAT_EQ(sac.f(6), static_cast<float>((s.samples - 1) * static_cast<double>(delta)));  // E
    EXPECT_EQ(sac.i(76), 6);                                            // NVHDR
    EXPECT_EQ(sac.i(79), s.samples);                                    // NPTS
    EXPECT_EQ(sac.i(85), 1);                                            // IFTYPE = ITIME
    EXPECT_EQ(sac.i(86), 5);                                            // IDEP = IUNKN
    EXPECT_EQ(sac.i(87), 9);                                            // IZTYPE = IB
    EXPECT_EQ(sac.i(105), 1);                                           // LEVEN
    for (int w : {106, 107, 108}) EXPECT_TRUE(sac.i(w) == 0 || sac.i(w) == 1) << "logical word " << w;
    const std::int32_t reference[] = {1970, 1, 0, 0, 0, 0};
    for (int w = 70; w <= 75; ++w) EXPECT_EQ(sac.i(w), reference[w - 70]) << "reference time word " << w;
    EXPECT_FLOAT_EQ(sac.f(40), static_cast<float>(s.tau));              // USER0
    EXPECT_EQ(sac.k(576), "tau     ");                                  // KUSER0
    EXPECT_EQ(sac.k(600), rate ? "SLIPRATE" : "SLIP    ");              // KCMPNM
    // Every other field undefined.
    const std::vector<int> set_floats = {0, 1, 2, 5, 6, 40, 56};
    for (int w = 0; w < 70; ++w)
        if (std::find(set_floats.begin(), set_floats.end(), w) == set_floats.end()) {
            EXPECT_EQ(sac.f(w), -12345.0f) << "float " << w;
        }
    const std::vector<int> set_integers = {70, 71, 72, 73, 74, 75, 76, 79, 85, 86, 87, 105, 106, 107, 108};
    for (int w = 70; w < 110; ++w)
        if (std::find(set_integers.begin(), set_integers.end(), w) == set_integers.end()) {
            EXPECT_EQ(sac.i(w), -12345) << "integer " << w;
        }
    for (std::size_t offset = 464; offset < 632; offset += 8)
        if (offset != 576 && offset != 600) {
            EXPECT_EQ(sac.k(offset), "-12345  ") << "text at " << offset;
        }
    // The data, and its extremes and mean.
    float lowest = INFINITY, highest = -INFINITY;
    double sum = 0;
    for (int k = 0; k < s.samples; ++k) {
        const float got = sac.f(158 + k);
        const float want = static_cast<float>(expected(s, rate, k));
        EXPECT_LE(std::fabs(got - want), std::fabs(want) * 2 * FLT_EPSILON) << "sample " << k;
        lowest = std::min(lowest, got), highest = std::max(highest, got), sum += got;
    }
    EXPECT_EQ(sac.f(1), lowest);
    EXPECT_EQ(sac.f(2), highest);
    EXPECT_FLOAT_EQ(sac.f(56), static_cast<float>(sum / s.samples));
}

void check_exports(const Source& s, bool rate) {
    TempDir dir;
    std::vector<std::string> args = s.args;
    args.push_back("--export=sw4,specfem3d");
    args.push_back("--export=specfem2d,sem2dpack,sac");
    if (rate) args.push_back("--quantity=rate");
    const Outcome result = run(dir.path(), args);
    const std::string what = (rate ? "rate " : "cumulative ") + std::to_string(s.samples);
    ASSERT_EQ(result.status, 0) << what << result.err;
    // Each line names what the file holds.
    const std::string held = rate ? "(slip rate)" : "(cumulative slip)";
    EXPECT_NE(result.out.find("  Fourier spectrum is stored in Exp_Amp.csv\n"
                              "  SW4 source time function " + held + " is stored in Exp_STF_sw4.txt\n"
                              "  SPECFEM3D source time function " + held + " is stored in Exp_STF_specfem3d.txt\n"
                              "  SPECFEM2D source time function " + held + " is stored in Exp_STF_specfem2d.txt\n"
                              "  SEM2DPACK source time function " + held + " is stored in Exp_STF_sem2dpack.tab\n"
                              "  SAC source time function " + held + " is stored in Exp_STF.sac\n\n"),
              std::string::npos)
        << what << result.out;
    read_sw4(read_file(dir.file("Exp_STF_sw4.txt")), s, rate);
    read_specfem3d(read_file(dir.file("Exp_STF_specfem3d.txt")), s, rate);
    read_time_value(read_file(dir.file("Exp_STF_specfem2d.txt")), s, rate, "specfem2d");
    read_time_value(read_file(dir.file("Exp_STF_sem2dpack.tab")), s, rate, "sem2dpack");
    read_sac(read_file(dir.file("Exp_STF.sac")), s, rate);
    EXPECT_FALSE(has_temporary_file(dir.path()));
}

// A Brune source of corner frequency 0.5 Hz (tau = 1/pi s, to the double) at a solver
// step of 0.005 s for 4000 steps, not a power of two.
const Source corner_source{static_cast<long double>(0.31830988618379067), 0.005L, 4000, {"--tau=0.31830988618379067", "--dt=0.005", "--samples=4000"}};
// tau = 1 s sampled at 1 s for 100 samples: the rate falls below the
// smallest normal single-precision number from t = 95 s (95 e^-95).
const Source coarse_source{1.0L, 1.0L, 100, {"--tau=1", "--dt=1", "--samples=100"}};

TEST(Exports, EveryFormatAsTheSolverReadsIt) {
    for (bool rate : {false, true}) {
        check_exports(corner_source, rate);
        check_exports(coarse_source, rate);
    }
}

TEST(Exports, TheSlipKeepsFullPrecisionNearTheStart) {
    // t/tau = 1e-15 and 1e-9 at the first sample: s = x^2/2 - x^3/3 ...
    for (const Source& s : {Source{1e6L, 1e-9L, 8, {"--tau=1e6", "--dt=1e-9", "--samples=8"}},
                            Source{1.0L, 1e-9L, 8, {"--tau=1", "--dt=1e-9", "--samples=8"}}}) {
        TempDir dir;
        std::vector<std::string> args = s.args;
        args.push_back("--export=sw4");
        ASSERT_EQ(run(dir.path(), args).status, 0);
        const std::vector<std::string> lines = lines_of(read_file(dir.file("Exp_STF_sw4.txt")));
        ASSERT_EQ(lines.size(), 9u);
        const long double x = static_cast<long double>(1e-9) / s.tau;
        const long double want = x * x / 2 - x * x * x / 3;
        EXPECT_LE(ulps(std::strtod(lines[2].c_str(), nullptr), want), 2.0) << lines[2] << " for x = " << static_cast<double>(x);
    }
}

// SW4 takes the step from the first line: it must read back as the dt
// given, to its last digit, however many digits that takes.
TEST(Exports, SW4sFirstLineCarriesDtToItsLastDigit) {
    for (const char* dt : {"0.0123456", "1e-9", "0.30000000000000004", "0.004", "123456.789"}) {
        TempDir dir;
        ASSERT_EQ(run(dir.path(), {"--tau=1e6", std::string("--dt=") + dt, "--samples=16", "--export=sw4"}).status, 0) << dt;
        const std::vector<std::string> lines = lines_of(read_file(dir.file("Exp_STF_sw4.txt")));
        ASSERT_EQ(lines.size(), 17u) << dt;
        double t0 = -1, step = -1;
        int npts = -1;
        ASSERT_EQ(std::sscanf(lines[0].c_str(), "%lg %lg %i", &t0, &step, &npts), 3) << lines[0];
        EXPECT_EQ(step, std::strtod(dt, nullptr)) << dt << ": " << lines[0];
        EXPECT_EQ(npts, 16) << lines[0];
    }
}

TEST(Exports, ARecordNotAPowerOfTwoIsTransformedPadded) {
    // 1000 samples: the transform has 1024 points, the spectrum its bins.
    TempDir dir;
    const Outcome result = run(dir.path(), {"--samples=1000", "--tau=0.5"});
    ASSERT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("  dt,nt=  0.01 1000\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("  DUR,DOM,NOM,EOM=  10.24  0.613592315 512  314.159265\n"), std::string::npos) << result.out;
    const auto rows = testing_support::records(read_file(dir.file("Exp_Amp.csv")));
    ASSERT_EQ(rows.size(), 511u);
    EXPECT_EQ(testing_support::records(read_file(dir.file("Exp_Slip.csv"))).size(), 1000u);
    // |dt sum_{k<1000} v_k e^(-i om k dt)| at om = j 2 pi / (1024 dt), pi as the program's 3.141592654.
    const long double tau = 0.5L, dt = 0.01L;
    for (std::size_t r = 0; r < rows.size(); r += 50) {
        const long double om = static_cast<long double>(r + 1) * (2.0L * 3.141592654L / (1024 * dt));
        std::complex<long double> sum = 0;
        for (int k = 0; k < 1000; ++k)
            sum += exact_rate(k * dt, tau) * std::exp(std::complex<long double>(0, -om * k * dt));
        const double want = static_cast<double>(std::abs(sum) * dt);
        const double got = testing_support::number(rows[r][1]);
        EXPECT_LE(std::fabs(got - want), testing_support::half_unit(rows[r][1]) + 1e-5 * want) << "bin " << r + 2;
    }
}

// An earlier export that may not be written stays, as do the other files.
TEST(Exports, AReadOnlyEarlierExportIsNeverReplaced) {
    TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    if (!testing_support::can_run_unprivileged(dir.path())) GTEST_SKIP() << "file modes bind no root";
    ChildOptions options;
    options.unprivileged = true;
    write_file(dir.file("Exp_STF.sac"), "an earlier export");
    ASSERT_EQ(::chmod(dir.file("Exp_STF.sac").c_str(), 0444), 0);
    const Outcome result = run(dir.path(), {"--export=sw4,sac"}, options);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "output start: can't write file\napparent state: unit 22 named Exp_STF.sac\nlast format: list io\n"
                          "lately writing sequential formatted external IO\n");
    EXPECT_EQ(read_file(dir.file("Exp_STF.sac")), "an earlier export");
    EXPECT_EQ(entries(dir.path()).size(), 1u) << "a file was written";
}

// A full disk at the export's first write, or at its flush to the disk.
TEST(Exports, AFullDiskLeavesTheEarlierExport) {
    if (testing_support::strace_path().empty()) GTEST_SKIP() << "strace is not installed";
    // Which write is the export's first: the trace of a clean run.
    int first_export_write = 0;
    {
        TempDir dir;
        ChildOptions options;
        options.argv = {testing_support::strace_path(), "-f", "-qq", "-o", dir.file("trace"), "-e", "trace=openat,write",
                        testing_support::program_path(), "--export=specfem2d", "--no-pause"};
        options.cwd = dir.path();
        options.environment = {{"ASAN_OPTIONS", "detect_leaks=0"}};
        ASSERT_EQ(testing_support::run_to_end(options, timeout_ms).status, 0);
        first_export_write = testing_support::first_write_to_temporary_file(dir.file("trace"));
        ASSERT_GT(first_export_write, 0) << "no write to the export's temporary file";
    }
    for (const std::string& injection : {"write:error=ENOSPC:when=" + std::to_string(first_export_write),
                                         std::string("fsync:error=ENOSPC")}) {
        TempDir dir;
        write_file(dir.file("Exp_STF_specfem2d.txt"), "an earlier export\n");
        ChildOptions options;
        options.argv = {testing_support::strace_path(), "-f", "-qq", "-o", "/dev/null", "-e", "trace=" + injection.substr(0, injection.find(':')),
                        "-e", "inject=" + injection, testing_support::program_path(), "--export=specfem2d", "--no-pause"};
        options.cwd = dir.path();
        options.environment = {{"ASAN_OPTIONS", "detect_leaks=0"}};
        const Outcome result = testing_support::run_to_end(options, timeout_ms);
        EXPECT_EQ(result.status, 2) << injection;
        const std::string call = injection.substr(0, injection.find(':'));
        EXPECT_EQ(result.err, call + ": No space left on device\napparent state: unit 21 named Exp_STF_specfem2d.txt\n"
                                     "lately writing sequential formatted external IO\n") << injection;
        EXPECT_EQ(read_file(dir.file("Exp_STF_specfem2d.txt")), "an earlier export\n") << injection;
        EXPECT_FALSE(has_temporary_file(dir.path())) << injection;
        // The two CSV files were complete before the export began.
        EXPECT_TRUE(read_file(dir.file("Exp_Amp.csv")) == reference::spectrum_file()) << injection;
    }
}

TEST(Exports, AnInterruptDuringALargeExportLeavesNoTrace) {
    TempDir dir;
    write_file(dir.file("Exp_STF_specfem2d.txt"), "an earlier export\n");
    ChildOptions options;
    options.argv = {testing_support::program_path(), "--samples=4194304", "--dt=0.001", "--export=specfem2d", "--no-pause"};
    options.cwd = dir.path();
    Child child(options);
    const bool seen = testing_support::wait_for_temporary_file(dir.path(), 60000);
    ASSERT_TRUE(seen) << "the export's temporary file never appeared";
    child.send(SIGINT);
    ASSERT_TRUE(child.wait(timeout_ms));
    EXPECT_EQ(child.exit_code(), 1);
    EXPECT_EQ(child.err(), "Interrupt\n");
    EXPECT_EQ(read_file(dir.file("Exp_STF_specfem2d.txt")), "an earlier export\n");
    EXPECT_FALSE(has_temporary_file(dir.path()));
}

// GMT's sac module, a real reader of the format, takes the file and finds
// its begin, end, extremes and mean where they are.
TEST(Exports, ARealSacReaderTakesTheFile) {
    std::string gmt;
    for (const char* path : {"/usr/bin/gmt", "/usr/local/bin/gmt"})
        if (::access(path, X_OK) == 0) gmt = path;
    if (gmt.empty()) GTEST_SKIP() << "GMT is not installed (apt-get install gmt)";
    TempDir dir;
    ASSERT_EQ(run(dir.path(), {"--tau=0.31830988618379067", "--dt=0.005", "--samples=4000", "--export=sac"}).status, 0);
    ChildOptions options;
    options.cwd = dir.path();
    options.environment = {{"HOME", dir.path()}};
    options.argv = {gmt, "sac", "Exp_STF.sac", "-JX10c/5c", "-R0/20/0/1.1", "-W1p", "-Vi", "-ps", "trace"};
    const Outcome read = testing_support::run_to_end(options, timeout_ms);
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_NE(read.err.find("Exp_STF.sac: reference time is 0"), std::string::npos) << read.err;
    EXPECT_NE(read.err.find("after scaling and shifting : xmin=0 xmax=19.995 ymin=0 ymax=1"), std::string::npos) << read.err;
    // The mean of the 4000 samples of s(t), worked out here.
    long double sum = 0;
    for (int k = 0; k < 4000; ++k) sum += static_cast<float>(expected(corner_source, false, k));
    char mean[64];
    std::snprintf(mean, sizeof mean, "depmax=1 depmin=0 depmen=%g", static_cast<double>(sum / 4000));
    EXPECT_NE(read.err.find(mean), std::string::npos) << mean << "\n" << read.err;
}

}  // namespace
