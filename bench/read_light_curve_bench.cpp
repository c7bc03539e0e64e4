// Reading a full day of samples (4 per second: 345,600 data lines), as
// auto-plot does once a second, and the same through the whole re-plot fill.

#include "app/RePlot.h"
#include "lightcurve/LightCurve.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

constexpr int kSamples = 345600;

// Writes the day into a fresh temporary folder once per process.
const std::string& dayFile()
{
    static const std::string path = [] {
        char folder[] = "/tmp/quorva-bench-XXXXXX";
        if (!mkdtemp(folder)) {
            std::perror("quorva_bench: mkdtemp");
            std::exit(1);
        }
        std::string p = std::string(folder) + "/LC20261206_SFU.txt";
        std::FILE* f = std::fopen(p.c_str(), "w");
        if (!f) {
            std::perror("quorva_bench: fopen");
            std::exit(1);
        }
        std::fputs("Tervasol light curve KORB 2026-12-06 calibrated [SFU]\r\n", f);
        std::fputs("Time_UT,45.0MHz,150.5MHz,410.0MHz\r\n", f);
        unsigned state = 12345;
        auto noise = [&state] {
            state = state * 1103515245u + 12345u;
            return static_cast<double>((state >> 8) & 0xFFFF) / 65536.0 - 0.5;
        };
        for (int i = 0; i < kSamples; ++i) {
            const double t = i / 14400.0;
            const double b = t > 10.6 && t < 10.8 ? 900.0 * std::exp(-(t - 10.6) * 40) : 0.0;
            std::fprintf(f, "%.6f,%.2f,%.2f,%.2f\r\n", t, 22 + 3 * noise() + b, 35 + 4 * noise() + 1.5 * b,
                         58 + 2 * noise() + 0.5 * b);
        }
        std::fclose(f);
        std::atexit([] {
            std::remove(path.c_str());
            const std::string folder = path.substr(0, path.rfind('/'));
            rmdir(folder.c_str());
        });
        return p;
    }();
    return path;
}

void BM_readLightCurve_fullDay(benchmark::State& state)
{
    quorva::LightCurve lc;
    const std::string& path = dayFile();
    for (auto _ : state) {
        quorva::readLightCurve(lc, path);
        benchmark::DoNotOptimize(lc.last3);
    }
    if (lc.sampleCount != kSamples + 2)
        state.SkipWithError("wrong sample count");
    state.counters["lines"] = lc.sampleCount;
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(lc.sampleCount) * 38);
}
BENCHMARK(BM_readLightCurve_fullDay)->Unit(benchmark::kMillisecond);

void BM_rePlotFill_fullDay(benchmark::State& state)
{
    quorva::RePlot rePlot;
    quorva::RePlotRequest request;
    request.selectedPath = dayFile();
    request.unitText = "SFU";
    request.outputFolder = "/tmp/";
    request.output = quorva::OutputChoice::Pdf;
    for (auto _ : state) {
        rePlot.run(request);
        benchmark::DoNotOptimize(rePlot.description().yStep);
    }
}
BENCHMARK(BM_rePlotFill_fullDay)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
