#pragma once
// Generated light-curve files for the speed tests: a title line, a header
// line and `samples` data lines at 4 samples a second from 0 UT, three noisy
// channels with a burst.

#include <cmath>
#include <cstdio>
#include <string>

namespace speedtest {

inline bool writeLightCurve(const std::string& path, int samples)
{
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f)
        return false;
    std::fputs("Tervasol light curve KORB 2026-12-06 calibrated [SFU]\r\n", f);
    std::fputs("Time_UT,45.0MHz,150.5MHz,410.0MHz\r\n", f);
    unsigned state = 12345;
    auto noise = [&state] {
        state = state * 1103515245u + 12345u;
        return static_cast<double>((state >> 8) & 0xFFFF) / 65536.0 - 0.5;
    };
    for (int i = 0; i < samples; ++i) {
        const double t = i / 14400.0;
        const double b = t > 1.6 && t < 1.8 ? 900.0 * std::exp(-(t - 1.6) * 40) : 0.0;
        std::fprintf(f, "%.6f,%.2f,%.2f,%.2f\r\n", t, 22 + 3 * noise() + b, 35 + 4 * noise() + 1.5 * b,
                     58 + 2 * noise() + 0.5 * b);
    }
    return std::fclose(f) == 0;
}

} // namespace speedtest
