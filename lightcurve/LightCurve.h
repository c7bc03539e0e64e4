#pragma once
// The light-curve arrays of the last file read and the values derived from
// them. One instance lives for the whole run; every plot reads the file
// again into it (readLightCurve).
//
// A light-curve file is a text file: a title line, a header line
// "Time_UT,45.0MHz,150.5MHz,410.0MHz" and data lines "time,v1,v2,v3" with
// the time in hours UT. Lines are read in pieces of at most 179 characters
// (a longer line gives several pieces, each counting as a line); the sample
// of line n is stored at index n, lines 0 and 1 and header lines store 0.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorva {

// Read-only view of one of the four sample arrays: contiguous 32-bit floats,
// at least `LightCurve::kMinimumCapacity` entries and never fewer than
// `sampleCount`. Entries at and above the count of the last read are 0.
// The storage grows (and may move) only inside a read that needs more room;
// take data() again after each read.
class SampleArray {
public:
    const float* data() const noexcept { return values_.data(); }
    std::size_t size() const noexcept { return values_.size(); }
    float operator[](std::size_t i) const noexcept { return values_[i]; }

private:
    friend class LightCurve;
    std::vector<float> values_;
};

// What the file system said about a read. The reader's results do not
// depend on it; callers that must tell a user use it for the message.
struct ReadResult {
    bool opened = false; // the file could be opened (only a regular file can)
    int openError = 0;   // errno of the failed open (EISDIR a folder, EINVAL another non-regular file), else 0
    int readError = 0;   // errno of a read that failed part-way, else 0
};

class LightCurve {
public:
    static constexpr std::size_t kMinimumCapacity = 40000;
    static constexpr std::size_t kPieceLength = 179; // longest line piece

    LightCurve();
    LightCurve(const LightCurve&) = delete;
    LightCurve& operator=(const LightCurve&) = delete;

    // Reads the file at `path` (any length; empty means none selected) and
    // derives every value below. Never throws for file problems: a file
    // that cannot be opened leaves cleared arrays and the start values.
    // Allocates only when a file has more lines (or header lines) than any
    // before it.
    ReadResult read(std::string_view path);

    // Keeps only the samples whose time lies in [from, to] (hours UT; the
    // title, header and garbled lines are no samples), moved to the front
    // in file order, and derives every value below from them by the rules
    // read() applies to the whole file. inputPath, lineCount and the
    // frequencies stay those of the file.
    void keepWindow(double from, double to) noexcept;

    std::string inputPath;
    SampleArray times;   // hours UT
    SampleArray values1; // channel 1 (red)
    SampleArray values2; // channel 2 (green)
    SampleArray values3; // channel 3 (blue)

    std::int32_t lineCount = 0;   // lines of the last file opened
    std::int32_t sampleCount = 0; // entries of the arrays from index 0 that belong to it
    // The samples proper: data lines whose time field parsed (after
    // keepWindow, those kept). sampleCount also counts lines 0 and 1, header
    // lines and lines without a time, which the plot draws all the same.
    std::int32_t timedSampleCount = 0;
    float freq1 = 0.0f, freq2 = 0.0f, freq3 = 0.0f; // MHz, from the last header parsed
    float timeMin = 24.0f, timeMax = 0.0f;
    float max1 = -1000.0f, max2 = -1000.0f, max3 = -1000.0f; // max1: over all channels
    float min1 = 1000.0f, min2 = 1000.0f, min3 = 1000.0f;    // min1: over all channels
    float last1 = 0.0f, last2 = 0.0f, last3 = 0.0f;
    float yTop = 0.0f, yBottom = 0.0f; // y-axis range, multiples of 5
    // The samples' own finite extremes over the three channels, without the
    // start values above: lowest > highest when there is none.
    float lowest = 0.0f, highest = 0.0f;
    float lowestPositive = 0.0f;    // the smallest value above 0; infinite when none
    std::int32_t atOrBelowZero = 0; // channel values at or below 0 (a logarithmic axis leaves them out)

private:
    struct Current {
        float time = 0.0f, v1 = 0.0f, v2 = 0.0f, v3 = 0.0f;
    };
    void clearSamples() noexcept;
    void ensureSize(std::size_t entries);
    void readLines(int fd, ReadResult& result);
    void takeLine(const char* line, std::size_t length, Current& current);
    // The derived values: start values, one sample after another, then the
    // folding of the channels and the y range.
    void startDerived() noexcept;
    void accumulate(const Current& sample) noexcept;
    void finish() noexcept;

    std::vector<char> buffer_;               // read buffer, kept between reads
    std::size_t written_ = 0;                // entries that may be non-zero
    std::vector<std::int32_t> headerLines_;  // indices (from 2) of header lines, which store no sample
    std::vector<std::int32_t> untimedLines_; // indices of data lines whose time did not parse
};

// Reads `path` into `lightCurve` (see LightCurve::read).
ReadResult readLightCurve(LightCurve& lightCurve, std::string_view path);

// Test seam: the n-th array allocation of the next growth of the arrays
// throws std::bad_alloc (1 the first of the four); 0 switches it off.
void failArrayGrowthAllocationForTests(int n);

} // namespace quorva
