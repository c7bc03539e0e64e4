// Reading a light-curve file, as every re-plot does (auto-plot: once a
// second), for the sizes of a morning (40,000 samples) and of a full day at
// 4 samples a second (345,600).

#include "bench/BenchFiles.h"
#include "lightcurve/LightCurve.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

namespace {

void BM_readLightCurve(benchmark::State& state)
{
    const int samples = static_cast<int>(state.range(0));
    const std::string& path = quorva::bench::lightCurveFile(samples);
    quorva::LightCurve lc;
    for (auto _ : state) {
        quorva::readLightCurve(lc, path);
        benchmark::DoNotOptimize(lc.last3);
    }
    if (lc.sampleCount != samples + 2) state.SkipWithError("wrong sample count");
    state.counters["lines"] = lc.sampleCount;
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(lc.sampleCount) * 38);
}
BENCHMARK(BM_readLightCurve)->Arg(40000)->Arg(345600)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
