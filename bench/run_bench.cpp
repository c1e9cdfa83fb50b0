// The transform, and the file work of a run, in a temporary directory.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <complex>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "dwvfast.hpp"
#include "parameters.hpp"
#include "slip_file.hpp"
#include "source/shapes/brune.hpp"
#include "spectrum_file.hpp"

namespace {

// Runs the benchmark with a fresh temporary directory as working directory.
class InTempDir {
public:
    InTempDir() : previous_(std::filesystem::current_path()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "exp-slipv-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        dir_ = pattern;
        std::filesystem::current_path(dir_);
    }
    ~InTempDir() {
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(dir_);
    }

private:
    std::filesystem::path previous_, dir_;
};

const exp_slipv::Parameters defaults;
const exp_slipv::BruneSource source(exp_slipv::default_tau);
constexpr std::int32_t mom = exp_slipv::default_nt + 1;
double svwave[mom];
std::complex<double> svamp[mom];

void Dwvfast8192(benchmark::State& state) {
    std::vector<std::complex<double>> input(8192);
    std::mt19937_64 random(1);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (auto& v : input) v = {unit(random), 0.0};
    std::vector<std::complex<double>> a(input.size());
    for (auto _ : state) {
        a = input;
        dwvfast(8192, a.data(), 8192, -1);
        benchmark::DoNotOptimize(a.data());
    }
}

void SlipFile(benchmark::State& state) {
    InTempDir dir;
    for (auto _ : state) exp_slipv::write_slip_file(svwave, defaults, source);
}

void BothFiles(benchmark::State& state) {
    InTempDir dir;
    const double dom = (exp_slipv::pai + exp_slipv::pai) / (defaults.nt * defaults.dt);
    for (auto _ : state) {
        exp_slipv::write_slip_file(svwave, defaults, source);
        exp_slipv::transform_velocity(svwave, svamp, defaults.nt, defaults.nt, mom);
        exp_slipv::write_spectrum_file(svamp, dom, defaults.nt / 2, defaults, source);
    }
}

BENCHMARK(Dwvfast8192)->Unit(benchmark::kMicrosecond);
BENCHMARK(SlipFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BothFiles)->Unit(benchmark::kMillisecond);

}  // namespace
