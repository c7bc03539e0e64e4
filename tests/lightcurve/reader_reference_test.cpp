// Compares the reader with a plain reference made of the C library's own
// line and number reading (fgets with 180 bytes, sscanf with the data and
// header patterns) on random files full of the faults files have: long,
// blank and cut lines, carriage returns, NUL bytes, headers anywhere,
// numbers with and without exponents.

#include "lightcurve/LightCurve.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

// times and values1..3 as columns 0..3; extremes as the reader folds them
// for channels 2 and 3 and the time.
struct Reference {
    std::vector<std::array<float, 4>> samples;
    int lineCount = 0;
    float freq[3] = {0, 0, 0};
    float min[4], max[4];

    void read(const std::string& path)
    {
        std::fill(samples.begin(), samples.end(), std::array<float, 4>{});
        min[0] = 24, max[0] = 0;
        for (int c = 1; c < 4; ++c)
            min[c] = 1000, max[c] = -1000;
        std::FILE* f = std::fopen(path.c_str(), "r");
        ASSERT_NE(f, nullptr);
        char line[180];
        std::array<float, 4> cur{};
        for (lineCount = 0; std::fgets(line, sizeof line, f); ++lineCount) {
            if (std::strstr(line, "Time_UT,")) {
                std::sscanf(line, "Time_UT,%fMHz,%fMHz,%fMHz", &freq[0], &freq[1], &freq[2]);
            } else if (lineCount >= 2) {
                std::sscanf(line, "%f,%f,%f,%f", &cur[0], &cur[1], &cur[2], &cur[3]);
                if (samples.size() <= static_cast<std::size_t>(lineCount))
                    samples.resize(static_cast<std::size_t>(lineCount) + 1);
                samples[static_cast<std::size_t>(lineCount)] = cur;
                for (int c = 0; c < 4; ++c) {
                    max[c] = std::max(max[c], cur[c]);
                    min[c] = std::min(min[c], cur[c]);
                }
            }
        }
        std::fclose(f);
    }
};

std::uint32_t bits(float f)
{
    return std::bit_cast<std::uint32_t>(f);
}

std::string randomNumber(std::mt19937& random)
{
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    std::string s;
    if (pick(6) == 0) s += ' ';
    if (pick(4) == 0) s += "-+"[pick(2)];
    for (int d = pick(5) == 0 ? pick(22) : 1 + pick(4); d > 0; --d)
        s += static_cast<char>('0' + pick(10));
    if (pick(2)) {
        s += '.';
        for (int d = pick(5) == 0 ? pick(25) : pick(7); d > 0; --d)
            s += static_cast<char>('0' + pick(10));
    }
    if (pick(8) == 0) {
        s += "eE"[pick(2)];
        if (pick(2)) s += "+-"[pick(2)];
        if (pick(4) != 0) s += std::to_string(pick(45));
    }
    return s;
}

std::string randomLine(std::mt19937& random)
{
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    std::string line;
    switch (pick(12)) {
    case 0:
        break; // blank
    case 1: {  // noise from the characters that numbers and headers use
        static const char alphabet[] = "0123456789.,-+eE \t\rMHzT_";
        for (int n = pick(400); n > 0; --n)
            line += alphabet[pick(sizeof alphabet - 1)];
        if (pick(3) == 0)
            line.insert(static_cast<std::size_t>(pick(static_cast<int>(line.size()) + 1)), "Time_UT,");
        break;
    }
    case 2:
        line = "Time_UT," + randomNumber(random) + "MHz," + randomNumber(random) + (pick(3) ? "MHz," : " MHz,")
               + randomNumber(random) + "MHz";
        break;
    case 3: // padded to straddle the 179-character pieces
        line = std::string(static_cast<std::size_t>(150 + pick(60)), ' ') + randomNumber(random) + ","
               + randomNumber(random) + "," + randomNumber(random) + "," + randomNumber(random);
        break;
    default: {
        const int fields = pick(6) == 0 ? pick(4) : 4;
        for (int f = 0; f < fields; ++f) {
            if (f > 0) line += (pick(30) == 0) ? " ," : ",";
            line += randomNumber(random);
        }
        if (pick(10) == 0) line += " comment";
        break;
    }
    }
    if (pick(40) == 0)
        line.insert(static_cast<std::size_t>(pick(static_cast<int>(line.size()) + 1)), 1, '\0');
    return line;
}

TEST(ReaderReference, RandomFilesReadLikeFgetsAndSscanf)
{
    QTemporaryDir dir;
    const std::string crlfPath = dir.path().toStdString() + "/as_written.txt";
    const std::string lfPath = dir.path().toStdString() + "/text_mode.txt";
    std::mt19937 random(4242);
    quorva::LightCurve lc;
    Reference ref;
    for (int file = 0; file < 300; ++file) {
        // The reader sees the file as written (CRLF or LF); the reference
        // gets it as text-mode reading would hand it over (CRLF as LF).
        std::string written;
        const bool crlf = random() % 2;
        const int lines = static_cast<int>(random() % 120);
        for (int i = 0; i < lines; ++i) {
            const bool last = i + 1 == lines;
            written += randomLine(random);
            if (!last || random() % 2)
                written += crlf ? "\r\n" : "\n";
        }
        std::string textMode;
        for (std::size_t i = 0; i < written.size(); ++i) {
            if (!(written[i] == '\r' && i + 1 < written.size() && written[i + 1] == '\n'))
                textMode += written[i];
        }
        std::ofstream(crlfPath, std::ios::binary | std::ios::trunc) << written;
        std::ofstream(lfPath, std::ios::binary | std::ios::trunc) << textMode;

        lc.read(crlfPath);
        ref.read(lfPath);
        ASSERT_EQ(lc.sampleCount, ref.lineCount) << "file " << file;
        for (std::size_t i = 0; i < static_cast<std::size_t>(ref.lineCount); ++i) {
            const std::array<float, 4> e = i < ref.samples.size() ? ref.samples[i] : std::array<float, 4>{};
            const float got[4] = {lc.times[i], lc.values1[i], lc.values2[i], lc.values3[i]};
            for (int c = 0; c < 4; ++c)
                ASSERT_EQ(bits(got[c]), bits(e[c])) << "file " << file << " line " << i << " column " << c;
        }
        const float got[] = {lc.freq1, lc.freq2, lc.freq3, lc.timeMin, lc.timeMax, lc.min2, lc.max2, lc.min3, lc.max3};
        const float want[] = {ref.freq[0], ref.freq[1], ref.freq[2], ref.min[0], ref.max[0],
                              ref.min[2],  ref.max[2],  ref.min[3],  ref.max[3]};
        for (int k = 0; k < 9; ++k)
            ASSERT_EQ(bits(got[k]), bits(want[k])) << "file " << file << " derived value " << k;
    }
}

} // namespace
