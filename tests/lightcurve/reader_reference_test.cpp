// Compares the reader with a plain reference made of the C library's own
// line and number reading (fgets with 180 bytes, sscanf with the data and
// header patterns) on random files full of the faults files have: long,
// blank and cut lines, carriage returns, NUL bytes, headers anywhere,
// numbers with and without exponents.

#include "lightcurve/LightCurve.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

struct Reference {
    std::vector<float> times, values1, values2, values3;
    int lineCount = 0;
    float freq1 = 0, freq2 = 0, freq3 = 0;
    float timeMin = 24, timeMax = 0;
    float max1 = -1000, max2 = -1000, max3 = -1000, min1 = 1000, min2 = 1000, min3 = 1000;

    void read(const std::string& path)
    {
        times.assign(times.size(), 0);
        values1.assign(values1.size(), 0);
        values2.assign(values2.size(), 0);
        values3.assign(values3.size(), 0);
        timeMin = 24;
        timeMax = 0;
        max1 = max2 = max3 = -1000;
        min1 = min2 = min3 = 1000;
        std::FILE* f = std::fopen(path.c_str(), "r");
        ASSERT_NE(f, nullptr);
        char line[180];
        float cur[4] = {0, 0, 0, 0};
        lineCount = 0;
        while (std::fgets(line, sizeof line, f)) {
            if (std::strstr(line, "Time_UT,")) {
                std::sscanf(line, "Time_UT,%fMHz,%fMHz,%fMHz", &freq1, &freq2, &freq3);
            } else if (lineCount >= 2) {
                std::sscanf(line, "%f,%f,%f,%f", &cur[0], &cur[1], &cur[2], &cur[3]);
                const std::size_t i = static_cast<std::size_t>(lineCount);
                if (times.size() <= i) {
                    times.resize(i + 1);
                    values1.resize(i + 1);
                    values2.resize(i + 1);
                    values3.resize(i + 1);
                }
                times[i] = cur[0];
                values1[i] = cur[1];
                values2[i] = cur[2];
                values3[i] = cur[3];
                if (cur[1] > max1) max1 = cur[1];
                if (cur[1] < min1) min1 = cur[1];
                if (cur[2] > max2) max2 = cur[2];
                if (cur[2] < min2) min2 = cur[2];
                if (cur[3] > max3) max3 = cur[3];
                if (cur[3] < min3) min3 = cur[3];
                if (cur[0] > timeMax) timeMax = cur[0];
                if (cur[0] < timeMin) timeMin = cur[0];
            }
            ++lineCount;
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
        const std::size_t n = static_cast<std::size_t>(ref.lineCount);
        for (std::size_t i = 0; i < n; ++i) {
            const bool stored = i < ref.times.size();
            ASSERT_EQ(bits(lc.times[i]), bits(stored ? ref.times[i] : 0.0f)) << "file " << file << " line " << i;
            ASSERT_EQ(bits(lc.values1[i]), bits(stored ? ref.values1[i] : 0.0f)) << "file " << file << " line " << i;
            ASSERT_EQ(bits(lc.values2[i]), bits(stored ? ref.values2[i] : 0.0f)) << "file " << file << " line " << i;
            ASSERT_EQ(bits(lc.values3[i]), bits(stored ? ref.values3[i] : 0.0f)) << "file " << file << " line " << i;
        }
        ASSERT_EQ(bits(lc.freq1), bits(ref.freq1)) << "file " << file;
        ASSERT_EQ(bits(lc.freq2), bits(ref.freq2)) << "file " << file;
        ASSERT_EQ(bits(lc.freq3), bits(ref.freq3)) << "file " << file;
        ASSERT_EQ(bits(lc.timeMin), bits(ref.timeMin)) << "file " << file;
        ASSERT_EQ(bits(lc.timeMax), bits(ref.timeMax)) << "file " << file;
        ASSERT_EQ(bits(lc.max2), bits(ref.max2)) << "file " << file;
        ASSERT_EQ(bits(lc.max3), bits(ref.max3)) << "file " << file;
        ASSERT_EQ(bits(lc.min2), bits(ref.min2)) << "file " << file;
        ASSERT_EQ(bits(lc.min3), bits(ref.min3)) << "file " << file;
    }
}

} // namespace
