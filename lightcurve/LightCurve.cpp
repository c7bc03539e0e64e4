#include "lightcurve/LightCurve.h"

#include "lightcurve/DecimalFloat.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorva {
namespace {

constexpr std::size_t kBufferSize = 256 * 1024;
constexpr char kHeaderMark[] = "Time_UT,";
constexpr std::size_t kHeaderMarkLength = sizeof kHeaderMark - 1;

// Position of "Time_UT," in the line as a C string would see it (up to a
// NUL character), or nullptr.
const char* findHeaderMark(const char* line, std::size_t length) noexcept
{
    const char* end = line + length;
    const char* t = static_cast<const char*>(std::memchr(line, 'T', length));
    while (t) {
        if (static_cast<std::size_t>(end - t) < kHeaderMarkLength) return nullptr;
        if (std::memcmp(t, kHeaderMark, kHeaderMarkLength) == 0)
            return std::memchr(line, '\0', static_cast<std::size_t>(t - line)) ? nullptr : t;
        t = static_cast<const char*>(std::memchr(t + 1, 'T', static_cast<std::size_t>(end - t - 1)));
    }
    return nullptr;
}

// Matches the literal `text` at p; returns the position after it or nullptr.
const char* literal(const char* p, const char* end, const char* text, std::size_t length) noexcept
{
    if (static_cast<std::size_t>(end - p) < length || std::memcmp(p, text, length) != 0) return nullptr;
    return p + length;
}

// One "%f" field; nullptr when no number starts at p. Like scanf, and
// unlike strtof, it also takes an exponent mark with no digits after it
// ("1e," or "1e+,") when the number has no exponent yet, so that the next
// field is still read.
const char* field(const char* p, const char* end, float& out) noexcept
{
    const char* next = parseFloat(p, end, out);
    if (next == p) return nullptr;
    if (next < end && (*next | 0x20) == 'e') {
        const char lastChar = next[-1];
        bool decimal = (lastChar >= '0' && lastChar <= '9') || lastChar == '.';
        for (const char* c = p; decimal && c < next; ++c) decimal = (*c | 0x20) != 'e' && (*c | 0x20) != 'x';
        if (decimal) {
            ++next;
            if (next < end && (*next == '+' || *next == '-')) ++next;
        }
    }
    return next;
}

// The header pattern "Time_UT,%fMHz,%fMHz,%fMHz": each frequency is taken
// as far as the line matches.
void parseHeader(const char* p, const char* end, float& f1, float& f2, float& f3) noexcept
{
    if (!(p = literal(p, end, kHeaderMark, kHeaderMarkLength))) return;
    if (!(p = field(p, end, f1)) || !(p = literal(p, end, "MHz,", 4))) return;
    if (!(p = field(p, end, f2)) || !(p = literal(p, end, "MHz,", 4))) return;
    field(p, end, f3);
}

// Cut toward zero; "+ 0.0" makes -0 a plain 0, as an integer would be.
double truncated(double v) noexcept
{
    return std::trunc(v) + 0.0;
}

} // namespace

LightCurve::LightCurve()
{
    times.values_.resize(kMinimumCapacity);
    values1.values_.resize(kMinimumCapacity);
    values2.values_.resize(kMinimumCapacity);
    values3.values_.resize(kMinimumCapacity);
    buffer_.resize(kBufferSize);
    finish();
}

void LightCurve::clearSamples() noexcept
{
    for (SampleArray* a : {&times, &values1, &values2, &values3}) std::fill_n(a->values_.begin(), written_, 0.0f);
    written_ = 0;
}

namespace {
int g_failGrowthAllocation = 0; // test seam: n-th array allocation of growth fails
} // namespace

void failArrayGrowthAllocationForTests(int n)
{
    g_failGrowthAllocation = n;
}

void LightCurve::ensureSize(std::size_t entries)
{
    const std::size_t size = times.values_.size();
    if (entries <= size) return;
    const std::size_t grown = std::max(entries, size * 2);
    // All four arrays grow or none: the larger copies are made first and
    // swapped in only when every one of them could be allocated, so that
    // the reader never indexes an array shorter than the others.
    SampleArray* const arrays[] = {&times, &values1, &values2, &values3};
    std::vector<float> larger[4];
    for (int i = 0; i < 4; ++i) {
        if (g_failGrowthAllocation > 0 && --g_failGrowthAllocation == 0) throw std::bad_alloc();
        larger[i].reserve(grown);
        larger[i] = arrays[i]->values_;
        larger[i].resize(grown, 0.0f);
    }
    for (int i = 0; i < 4; ++i) arrays[i]->values_.swap(larger[i]);
}

ReadResult LightCurve::read(std::string_view path)
{
    ReadResult result;
    clearSamples();
    inputPath.assign(path);
    headerLines_.clear();
    untimedLines_.clear();
    timedSampleCount = 0;
    startDerived();

    int fd = -1;
    if (path.empty()) {
        result.openError = ENOENT;
    } else if (path.find('\0') != std::string_view::npos) {
        result.openError = EINVAL; // no such name can exist; never cut it
    } else {
        // O_NONBLOCK: opening a FIFO must not wait for a writer. Only a
        // regular file is read; a FIFO or a device could block or never end.
        do {
            fd = ::open(inputPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) {
            // ENXIO: a socket, or a device without its driver.
            result.openError = errno == ENXIO ? EINVAL : errno;
        } else {
            struct stat info { };
            const int statError = ::fstat(fd, &info) == 0 ? 0 : errno;
            if (statError != 0 || !S_ISREG(info.st_mode)) {
                ::close(fd);
                fd = -1;
                result.openError = statError != 0 ? statError : S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
            }
        }
    }

    if (fd >= 0) {
        result.opened = true;
        lineCount = 0;
        readLines(fd, result);
        sampleCount = lineCount;
        ::close(fd);
    }
    finish();
    return result;
}

void LightCurve::readLines(int fd, ReadResult& result)
{
    Current current; // starts at 0 for every read
    char* const buffer = buffer_.data();
    std::size_t have = 0;
    bool atEnd = false;
    try {
        while (!atEnd) {
            const ssize_t n = ::read(fd, buffer + have, buffer_.size() - have);
            if (n < 0) {
                if (errno == EINTR) continue;
                result.readError = errno;
                atEnd = true;
            } else if (n == 0) {
                atEnd = true;
            } else {
                have += static_cast<std::size_t>(n);
            }

            const char* p = buffer;
            const char* const end = buffer + have;
            while (p < end) {
                const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
                if (lf) {
                    // A carriage return right before the line feed belongs to
                    // the line end, as text-mode reading has it.
                    std::size_t content = static_cast<std::size_t>(lf - p);
                    if (content > 0 && lf[-1] == '\r') --content;
                    while (content >= kPieceLength) {
                        takeLine(p, kPieceLength, current);
                        p += kPieceLength;
                        content -= kPieceLength;
                    }
                    takeLine(p, content, current);
                    p = lf + 1;
                    continue;
                }
                std::size_t rest = static_cast<std::size_t>(end - p);
                if (!atEnd) {
                    // Without a line feed in sight a piece is certain only
                    // when one more character shows it is not "\r\n".
                    while (rest > kPieceLength) {
                        takeLine(p, kPieceLength, current);
                        p += kPieceLength;
                        rest -= kPieceLength;
                    }
                    break;
                }
                while (rest > 0) {
                    const std::size_t piece = std::min(rest, kPieceLength);
                    takeLine(p, piece, current);
                    p += piece;
                    rest -= piece;
                }
            }
            have = static_cast<std::size_t>(end - p);
            if (have > 0 && p != buffer) std::memmove(buffer, p, have);
        }
        ensureSize(static_cast<std::size_t>(lineCount));
    } catch (const std::bad_alloc&) {
        // Keep what fits; the lines read so far stay whole and consistent.
        result.readError = ENOMEM;
        // The four arrays grow together (ensureSize), so one size holds for all.
        lineCount = static_cast<std::int32_t>(std::min<std::size_t>(static_cast<std::size_t>(lineCount), times.size()));
    }
}

void LightCurve::takeLine(const char* line, std::size_t length, Current& current)
{
    const char* const end = line + length;
    if (findHeaderMark(line, length)) {
        parseHeader(line, end, freq1, freq2, freq3);
        if (lineCount >= 2) headerLines_.push_back(lineCount);
    } else if (lineCount >= 2) {
        // "%f,%f,%f,%f": fields after the first that does not match keep
        // the values of the preceding data line.
        const char* p = field(line, end, current.time);
        const bool timed = p != nullptr;
        if (p && (p = literal(p, end, ",", 1)) && (p = field(p, end, current.v1)) && (p = literal(p, end, ",", 1))
            && (p = field(p, end, current.v2)) && (p = literal(p, end, ",", 1))) {
            field(p, end, current.v3);
        }
        const std::size_t index = static_cast<std::size_t>(lineCount);
        ensureSize(index + 1);
        times.values_[index] = current.time;
        values1.values_[index] = current.v1;
        values2.values_[index] = current.v2;
        values3.values_[index] = current.v3;
        written_ = index + 1;
        accumulate(current);
        if (timed)
            ++timedSampleCount;
        else
            untimedLines_.push_back(lineCount);
    }
    ++lineCount;
}

void LightCurve::startDerived() noexcept
{
    timeMin = 24.0f;
    timeMax = 0.0f;
    max1 = max2 = max3 = -1000.0f;
    min1 = min2 = min3 = 1000.0f;
    lowest = lowestPositive = std::numeric_limits<float>::infinity();
    highest = -std::numeric_limits<float>::infinity();
    atOrBelowZero = 0;
}

void LightCurve::accumulate(const Current& c) noexcept
{
    if (c.v1 > max1) max1 = c.v1;
    if (c.v1 < min1) min1 = c.v1;
    if (c.v2 > max2) max2 = c.v2;
    if (c.v2 < min2) min2 = c.v2;
    if (c.v3 > max3) max3 = c.v3;
    if (c.v3 < min3) min3 = c.v3;
    if (c.time > timeMax) timeMax = c.time;
    if (c.time < timeMin) timeMin = c.time;
    for (const float v : {c.v1, c.v2, c.v3}) {
        if (v <= 0.0f) ++atOrBelowZero;
        if (!std::isfinite(v)) continue; // no axis shows it
        if (v < lowest) lowest = v;
        if (v > highest) highest = v;
        if (v > 0.0f && v < lowestPositive) lowestPositive = v;
    }
}

void LightCurve::keepWindow(double from, double to) noexcept
{
    startDerived();
    std::size_t kept = 0;
    std::int32_t timedKept = 0;
    auto header = headerLines_.cbegin();
    auto untimed = untimedLines_.cbegin();
    for (std::size_t i = 2; i < static_cast<std::size_t>(sampleCount); ++i) {
        if (header != headerLines_.cend() && static_cast<std::size_t>(*header) == i) {
            ++header;
            continue;
        }
        const Current c {times[i], values1[i], values2[i], values3[i]};
        const bool timed = untimed == untimedLines_.cend() || static_cast<std::size_t>(*untimed) != i;
        if (!timed) ++untimed;
        if (!(static_cast<double>(c.time) >= from && static_cast<double>(c.time) <= to)) continue;
        if (timed) ++timedKept;
        // kept <= i: moving to the front never overwrites a sample still to come.
        times.values_[kept] = c.time;
        values1.values_[kept] = c.v1;
        values2.values_[kept] = c.v2;
        values3.values_[kept] = c.v3;
        ++kept;
        accumulate(c);
    }
    for (SampleArray* a : {&times, &values1, &values2, &values3})
        std::fill(a->values_.begin() + static_cast<std::ptrdiff_t>(kept),
            a->values_.begin() + static_cast<std::ptrdiff_t>(std::max(kept, written_)), 0.0f);
    written_ = kept;
    sampleCount = static_cast<std::int32_t>(kept);
    timedSampleCount = timedKept;
    untimedLines_.clear(); // the kept entries moved; a second window sees them all as timed
    finish();
}

void LightCurve::finish() noexcept
{
    if (max2 > max1) max1 = max2;
    if (max3 > max1) max1 = max3;
    if (min2 < min1) min1 = min2;
    if (min3 < min1) min1 = min3;

    // Whole multiples of 5; worked in double so that no value (however
    // large) needs an integer conversion.
    yTop = static_cast<float>(5.0 * (truncated(static_cast<double>(max1) * 0.2) + 1.0) + 0.0);
    yBottom = static_cast<float>(5.0 * truncated(static_cast<double>(min1) * 0.2) + 0.0);

    if (sampleCount > 0) {
        const std::size_t last = static_cast<std::size_t>(sampleCount) - 1;
        last1 = values1[last];
        last2 = values2[last];
        last3 = values3[last];
    } else {
        last1 = last2 = last3 = 0.0f;
    }
}

ReadResult readLightCurve(LightCurve& lightCurve, std::string_view path)
{
    return lightCurve.read(path);
}

} // namespace quorva
