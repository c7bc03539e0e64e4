#pragma once
// The golden pages: the light curves they are made from and where they
// live. With QUORVA_UPDATE_GOLDEN=1 in the environment the tests write the
// pages instead of comparing (scripts/update-golden.sh).

#include "support/Files.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace qtest {

inline bool updatingGolden()
{
    const char* v = std::getenv("QUORVA_UPDATE_GOLDEN");
    return v && std::string(v) == "1";
}

// False in builds whose output is not the golden pages' (another compiler,
// the sanitizers): the pages are still made and read, not compared.
inline bool comparingGolden()
{
    return QUORVA_COMPARE_GOLDEN;
}

inline std::string goldenPath(const std::string& name)
{
    return std::string(QUORVA_SOURCE_DIR "/tests/golden/") + name;
}

// File name and content: an ordinary five minutes with a burst; quiet data
// (within 20 to 25, so the y step is a fractional 0.5) with a second header
// line in the middle; an empty file.
inline std::vector<std::pair<std::string, std::string>> goldenLightCurves()
{
    std::string quiet = lightCurveText(0, 0, "\n");
    for (int i = 0; i < 400; ++i) {
        if (i == 200) quiet += "Time_UT,30.0MHz,60.0MHz,90.0MHz\n";
        char line[80];
        std::snprintf(line, sizeof line, "%.6f,%.2f,%.2f,%.2f\n", 14.0 + i / 1200.0, 21.0 + (i * 7 % 13) / 10.0,
            23.0 + (i * 5 % 11) / 10.0, 22.0 + (i % 17) / 10.0);
        quiet += line;
    }
    return {{"LC20261206_SFU.txt", lightCurveText(1200, 1.55, "\n")}, {"LC20261207_ADU.txt", quiet},
        {"LC20261208_SFU.txt", ""}};
}

// A whole day for the readable axes: a sample every 2 minutes, every 2
// seconds from 10:30 to 10:45 around a burst at 10:36, and a dropout of
// channel 1 to 0 (and below) from 03:00 to 03:10.
inline std::string goldenDay()
{
    std::string text = "Tervasol light curve KORB 2026-12-09 calibrated [SFU]\nTime_UT,45.0MHz,150.5MHz,410.0MHz\n";
    for (int s = 0; s < 86400; s += s >= 37800 && s < 38700 ? 2 : 120) {
        const double t = s / 3600.0, b = t > 10.6 ? 1300.0 * std::exp(-(t - 10.6) * 30) : 0.0;
        const double quiet = 20 + 3 * std::sin(s * 0.37), red = s < 10800 || s > 11400 ? quiet : s < 11100 ? 0.0 : -2.5;
        char line[96];
        std::snprintf(line, sizeof line, "%.6f,%.2f,%.2f,%.2f\n", t, red + 0.4 * b, 35 + 4 * std::sin(s * 0.23) + b,
            58 + 2 * std::cos(s * 0.11) + 0.3 * b);
        text += line;
    }
    return text;
}

} // namespace qtest
