// The light-curve reader on arbitrary file content: bytes -> file -> read.
//
// Besides the sanitizers' checks, every read is compared with a reference
// built from the C library's own line and number reading (fgets with 180
// bytes, sscanf with the data and header patterns), which is how the format
// is defined. The reference sees the file as text-mode reading would hand
// it over (CR LF as LF). The one LightCurve lives across inputs, as in the
// program, so values that carry over from read to read are exercised too.

#include "FuzzSupport.h"

#include "lightcurve/LightCurve.h"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
        times.clear();
        values1.clear();
        values2.clear();
        values3.clear();
        timeMin = 24;
        timeMax = 0;
        max1 = max2 = max3 = -1000;
        min1 = min2 = min3 = 1000;
        std::FILE* f = std::fopen(path.c_str(), "r");
        fuzz::check(f != nullptr, "reference file opens");
        char line[180];
        float cur[4] = {0, 0, 0, 0};
        lineCount = 0;
        while (std::fgets(line, sizeof line, f)) {
            if (std::strstr(line, "Time_UT,")) {
                std::sscanf(line, "Time_UT,%fMHz,%fMHz,%fMHz", &freq1, &freq2, &freq3);
            } else if (lineCount >= 2) {
                std::sscanf(line, "%f,%f,%f,%f", &cur[0], &cur[1], &cur[2], &cur[3]);
                const std::size_t i = static_cast<std::size_t>(lineCount);
                times.resize(i + 1);
                values1.resize(i + 1);
                values2.resize(i + 1);
                values3.resize(i + 1);
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

bool same(float a, float b)
{
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

void report(const char* what, std::size_t line, float got, float want)
{
    char text[160];
    std::snprintf(text, sizeof text, "%s differs at line %zu: reader %.9g, fgets/sscanf %.9g", what, line,
                  static_cast<double>(got), static_cast<double>(want));
    fuzz::fail(text);
}

// scanf reads a number with one character of look-ahead and cannot give
// back what it consumed; strtof-style parsing can. The two part ways only
// on the exotic forms "inf"/"nan(" and hexadecimal numbers cut short
// ("infin", "nan(x", "0x,"), which no acquisition software writes; inputs
// holding them are checked for safety but not compared.
bool hasExoticNumbers(const std::uint8_t* data, std::size_t size)
{
    for (std::size_t i = 0; i + 1 < size; ++i) {
        const int a = data[i] | 0x20, b = data[i + 1] | 0x20;
        if ((a == 'i' && b == 'n') || (a == 'n' && b == 'a') || (data[i] == '0' && b == 'x'))
            return true;
    }
    return false;
}

quorva::LightCurve& lightCurve()
{
    static quorva::LightCurve* lc = new quorva::LightCurve;
    return *lc;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string asWritten = fuzz::scratchFolder() + "as_written.txt";
    static const std::string textMode = fuzz::scratchFolder() + "text_mode.txt";
    fuzz::writeFile(asWritten, data, size);

    quorva::LightCurve& lc = lightCurve();
    const std::int32_t countBefore = lc.sampleCount;
    // Frequencies carry over from the read before; the reference starts
    // from the same ones.
    const float freqBefore[3] = {lc.freq1, lc.freq2, lc.freq3};
    const quorva::ReadResult r = lc.read(asWritten);
    fuzz::check(r.opened && r.openError == 0 && r.readError == 0, "a regular file opens and reads");
    fuzz::check(lc.sampleCount == lc.lineCount && lc.sampleCount >= 0, "sampleCount is the line count");
    fuzz::check(lc.times.size() >= static_cast<std::size_t>(lc.sampleCount), "arrays hold every line");
    const std::size_t n = static_cast<std::size_t>(lc.sampleCount);
    for (std::size_t i = 0; i < 2 && i < lc.times.size(); ++i)
        fuzz::check(lc.times[i] == 0 && lc.values1[i] == 0 && lc.values2[i] == 0 && lc.values3[i] == 0,
                    "entries 0 and 1 are 0");
    for (std::size_t i = n; i < lc.times.size() && i < n + 64 + static_cast<std::size_t>(countBefore); ++i)
        fuzz::check(lc.times[i] == 0 && lc.values1[i] == 0 && lc.values2[i] == 0 && lc.values3[i] == 0,
                    "entries past the count are 0");
    fuzz::check(!(lc.max1 < -1000.0f) && !(lc.min1 > 1000.0f), "extremes include their start values");
    fuzz::check(!(lc.timeMin > 24.0f) && !(lc.timeMax < 0.0f), "time range includes its start values");
    if (n == 0)
        fuzz::check(lc.last1 == 0 && lc.last2 == 0 && lc.last3 == 0, "no lines, last values 0");
    else
        fuzz::check(same(lc.last1, lc.values1[n - 1]) && same(lc.last2, lc.values2[n - 1])
                        && same(lc.last3, lc.values3[n - 1]),
                    "last values are the last entries");

    if (hasExoticNumbers(data, size))
        return 0;

    std::string converted;
    converted.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
        if (!(data[i] == '\r' && i + 1 < size && data[i + 1] == '\n'))
            converted += static_cast<char>(data[i]);
    }
    fuzz::writeFile(textMode, reinterpret_cast<const std::uint8_t*>(converted.data()), converted.size());
    static Reference ref;
    ref.freq1 = freqBefore[0];
    ref.freq2 = freqBefore[1];
    ref.freq3 = freqBefore[2];
    ref.read(textMode);

    if (lc.sampleCount != ref.lineCount)
        fuzz::fail("reader counts " + std::to_string(lc.sampleCount) + " lines, fgets "
                   + std::to_string(ref.lineCount));
    for (std::size_t i = 0; i < n; ++i) {
        const bool stored = i < ref.times.size();
        const float t = stored ? ref.times[i] : 0.0f, v1 = stored ? ref.values1[i] : 0.0f,
                    v2 = stored ? ref.values2[i] : 0.0f, v3 = stored ? ref.values3[i] : 0.0f;
        if (!same(lc.times[i], t)) report("time", i, lc.times[i], t);
        if (!same(lc.values1[i], v1)) report("channel 1", i, lc.values1[i], v1);
        if (!same(lc.values2[i], v2)) report("channel 2", i, lc.values2[i], v2);
        if (!same(lc.values3[i], v3)) report("channel 3", i, lc.values3[i], v3);
    }
    if (!same(lc.freq1, ref.freq1)) report("freq1", 0, lc.freq1, ref.freq1);
    if (!same(lc.freq2, ref.freq2)) report("freq2", 0, lc.freq2, ref.freq2);
    if (!same(lc.freq3, ref.freq3)) report("freq3", 0, lc.freq3, ref.freq3);
    if (!same(lc.timeMin, ref.timeMin)) report("timeMin", 0, lc.timeMin, ref.timeMin);
    if (!same(lc.timeMax, ref.timeMax)) report("timeMax", 0, lc.timeMax, ref.timeMax);
    if (!same(lc.max2, ref.max2)) report("max2", 0, lc.max2, ref.max2);
    if (!same(lc.min3, ref.min3)) report("min3", 0, lc.min3, ref.min3);
    return 0;
}
