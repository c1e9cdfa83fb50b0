// One field conversion of each kind the program writes, beside the C
// library's conversion of the same values in the same run.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "textio/convert.hpp"

namespace {

// Values like those of the files: times, velocities, slips, accelerations
// and spectral amplitudes.
std::vector<double> realistic_values(bool spectral) {
    std::vector<double> values;
    for (int i = 0; i < 4096; ++i) {
        const double t = i * 0.01;
        if (spectral)
            values.push_back(1.0 / (1.0 + (i * 0.0767) * (i * 0.0767)));
        else
            values.push_back(i % 3 == 0 ? t : t * std::exp(-t));
    }
    return values;
}

template <typename Convert>
void run(benchmark::State& state, bool spectral, Convert convert) {
    const std::vector<double> values = realistic_values(spectral);
    char text[64];
    std::size_t i = 0;
    for (auto _ : state) {
        convert(text, values[i]);
        benchmark::DoNotOptimize(text);
        i = (i + 1) % values.size();
    }
}

void F8_4(benchmark::State& s) { run(s, false, [](char* t, double v) { textio::write_fixed(t, v, 8, 4); }); }
void F8_4_snprintf(benchmark::State& s) {
    run(s, false, [](char* t, double v) { std::snprintf(t, 64, "%#.*f", 4, v); });
}
void F15_7(benchmark::State& s) { run(s, false, [](char* t, double v) { textio::write_fixed(t, v, 15, 7); }); }
void F15_7_snprintf(benchmark::State& s) {
    run(s, false, [](char* t, double v) { std::snprintf(t, 64, "%#.*f", 7, v); });
}
void E12_4(benchmark::State& s) { run(s, true, [](char* t, double v) { textio::write_exponent(t, v, 12, 4); }); }
void E12_4_snprintf(benchmark::State& s) {
    run(s, true, [](char* t, double v) { std::snprintf(t, 64, "%#.*E", 3, v); });
}

BENCHMARK(F8_4);
BENCHMARK(F8_4_snprintf);
BENCHMARK(F15_7);
BENCHMARK(F15_7_snprintf);
BENCHMARK(E12_4);
BENCHMARK(E12_4_snprintf);

}  // namespace
