#include "bench/BenchFiles.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

#include <unistd.h>

namespace quorva::bench {
namespace {

const std::string& folder()
{
    // Never destroyed: the exit handler that removes the folder runs after
    // the destructors of statics made later.
    static const std::string* const path = [] {
        char name[] = "/tmp/quorva-bench-XXXXXX";
        if (!mkdtemp(name)) {
            std::perror("quorva_bench: mkdtemp");
            std::exit(1);
        }
        auto* p = new std::string(name);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(folder(), ignored);
        });
        return p;
    }();
    return *path;
}

std::string writeFile(int samples)
{
    const std::string path = folder() + "/LC20261206_SFU_" + std::to_string(samples) + ".txt";
    std::FILE* f = std::fopen(path.c_str(), "w");
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
    // The day starts at 0 UT; a shorter file covers the morning.
    for (int i = 0; i < samples; ++i) {
        const double t = i / 14400.0;
        const double b = t > 1.6 && t < 1.8 ? 900.0 * std::exp(-(t - 1.6) * 40) : 0.0;
        std::fprintf(f, "%.6f,%.2f,%.2f,%.2f\r\n", t, 22 + 3 * noise() + b, 35 + 4 * noise() + 1.5 * b,
            58 + 2 * noise() + 0.5 * b);
    }
    if (std::fclose(f) != 0) {
        std::perror("quorva_bench: fclose");
        std::exit(1);
    }
    return path;
}

} // namespace

const std::string& lightCurveFile(int samples)
{
    static std::map<int, std::string> files;
    auto it = files.find(samples);
    if (it == files.end()) it = files.emplace(samples, writeFile(samples)).first;
    return it->second;
}

const std::string& outputFolder()
{
    static const std::string path = [] {
        const std::string p = folder() + "/out/";
        std::filesystem::create_directory(p);
        return p;
    }();
    return path;
}

} // namespace quorva::bench
