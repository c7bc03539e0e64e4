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

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// fgets in 180-byte pieces, sscanf on each (a text-mode file).
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

bool same(float a, float b)
{
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

void expectSame(const char* what, std::size_t line, float got, float want)
{
    char text[160];
    std::snprintf(text, sizeof text, "%s differs at line %zu: reader %.9g, fgets/sscanf %.9g", what, line, double(got),
        double(want));
    if (!same(got, want)) fuzz::fail(text);
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
        if ((a == 'i' && b == 'n') || (a == 'n' && b == 'a') || (data[i] == '0' && b == 'x')) return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string asWritten = fuzz::scratchFolder() + "as_written.txt";
    static const std::string textMode = fuzz::scratchFolder() + "text_mode.txt";
    fuzz::writeFile(asWritten, data, size);

    static quorva::LightCurve& lc = *new quorva::LightCurve;
    const std::int32_t countBefore = lc.sampleCount;
    // Frequencies carry over from the read before; the reference starts
    // from the same ones.
    const float freqBefore[3] = {lc.freq1, lc.freq2, lc.freq3};
    const quorva::ReadResult r = lc.read(asWritten);
    fuzz::check(r.opened && r.openError == 0 && r.readError == 0, "a regular file opens and reads");
    fuzz::check(lc.sampleCount == lc.lineCount && lc.sampleCount >= 0, "sampleCount is the line count");
    fuzz::check(lc.times.size() >= std::size_t(lc.sampleCount), "arrays hold every line");
    const std::size_t n = std::size_t(lc.sampleCount);
    for (std::size_t i = 0; i < lc.times.size() && i < n + 64 + std::size_t(countBefore);
         i = i == 1 ? std::max(n, i + 1) : i + 1)
        fuzz::check(lc.times[i] == 0 && lc.values1[i] == 0 && lc.values2[i] == 0 && lc.values3[i] == 0,
            "entries 0 and 1 and those past the count are 0");
    fuzz::check(!(lc.max1 < -1000.0f) && !(lc.min1 > 1000.0f), "extremes include their start values");
    fuzz::check(!(lc.timeMin > 24.0f) && !(lc.timeMax < 0.0f), "time range includes its start values");
    if (n == 0)
        fuzz::check(lc.last1 == 0 && lc.last2 == 0 && lc.last3 == 0, "no lines, last values 0");
    else
        fuzz::check(
            same(lc.last1, lc.values1[n - 1]) && same(lc.last2, lc.values2[n - 1]) && same(lc.last3, lc.values3[n - 1]),
            "last values are the last entries");

    if (hasExoticNumbers(data, size)) return 0;

    std::string converted;
    for (std::size_t i = 0; i < size; ++i)
        if (!(data[i] == '\r' && i + 1 < size && data[i + 1] == '\n')) converted += char(data[i]);
    fuzz::writeFile(textMode, reinterpret_cast<const std::uint8_t*>(converted.data()), converted.size());
    static ReferenceReader ref;
    std::copy(freqBefore, freqBefore + 3, ref.freq);
    fuzz::check(ref.read(textMode), "reference file opens");

    if (lc.sampleCount != ref.lineCount || lc.timedSampleCount != ref.timedCount)
        fuzz::fail("reader counts " + std::to_string(lc.sampleCount) + " lines and "
            + std::to_string(lc.timedSampleCount) + " samples, fgets/sscanf " + std::to_string(ref.lineCount) + " and "
            + std::to_string(ref.timedCount));
    for (std::size_t i = 0; i < n; ++i) {
        const float got[4] = {lc.times[i], lc.values1[i], lc.values2[i], lc.values3[i]};
        for (std::size_t c = 0; c < 4; ++c) expectSame(c == 0 ? "time" : "a channel", i, got[c], ref.samples[i][c]);
    }
    const float got[] = {lc.freq1, lc.freq2, lc.freq3, lc.timeMin, lc.timeMax, lc.min2, lc.max2, lc.min3, lc.max3};
    const float want[] = {
        ref.freq[0], ref.freq[1], ref.freq[2], ref.min[0], ref.max[0], ref.min[2], ref.max[2], ref.min[3], ref.max[3]};
    for (std::size_t k = 0; k < 9; ++k) expectSame("derived value", k, got[k], want[k]);
    return 0;
}
