#pragma once
// The light-curve format read the way it is defined: fgets with a
// 180-byte buffer (so a longer line comes in pieces of 179 characters,
// each counted as a line) and sscanf with the data and header patterns.
// Shared by the reader test and the light-curve fuzz target; the file must
// be in text-mode form (CR LF as LF).

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

struct ReferenceReader {
    std::vector<std::array<float, 4>> samples; // time and channels 1..3 by line; lines 0 and 1 stay 0
    int lineCount = 0;
    int timedCount = 0;        // data lines whose time converts
    float freq[3] = {0, 0, 0}; // carried over from the read before, as the reader does
    float min[4], max[4];      // time, and channels 1..3 each on their own

    bool read(const std::string& path)
    {
        samples.clear();
        timedCount = 0;
        min[0] = 24, max[0] = 0;
        for (int c = 1; c < 4; ++c) min[c] = 1000, max[c] = -1000;
        std::FILE* f = std::fopen(path.c_str(), "r");
        if (!f) return false;
        char line[180];
        std::array<float, 4> cur {};
        for (lineCount = 0; std::fgets(line, sizeof line, f); ++lineCount) {
            samples.resize(std::size_t(lineCount) + 1);
            if (std::strstr(line, "Time_UT,")) {
                std::sscanf(line, "Time_UT,%fMHz,%fMHz,%fMHz", &freq[0], &freq[1], &freq[2]);
            } else if (lineCount >= 2) {
                if (std::sscanf(line, "%f,%f,%f,%f", &cur[0], &cur[1], &cur[2], &cur[3]) >= 1) ++timedCount;
                samples.back() = cur;
                for (int c = 0; c < 4; ++c) {
                    max[c] = std::max(max[c], cur[c]);
                    min[c] = std::min(min[c], cur[c]);
                }
            }
        }
        std::fclose(f);
        return true;
    }
};
