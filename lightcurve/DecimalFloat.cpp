#include "lightcurve/DecimalFloat.h"

#include <bit>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>

namespace quorva {
namespace {

locale_t cLocale() noexcept
{
    // Created once; a process-wide "C" locale object that lives to the end.
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

inline bool isSpace(char c) noexcept
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

inline bool isDigit(char c) noexcept
{
    return static_cast<unsigned char>(c - '0') < 10;
}

// Powers of ten that a double holds exactly.
constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16,
    1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Hands the characters [p, limit) to the C library. Used for the rare
// inputs the quick path cannot convert with a guaranteed identical result.
const char* parseWithLibrary(const char* p, const char* limit, float& out) noexcept
{
    const std::size_t length = static_cast<std::size_t>(limit - p);
    char local[256];
    std::string large;
    char* text = local;
    if (length >= sizeof local) {
        try {
            large.assign(p, length);
        } catch (...) {
            return p;
        }
        text = large.data();
    } else {
        std::memcpy(local, p, length);
        local[length] = '\0';
    }
    char* stop = nullptr;
    const float value = strtof_l(text, &stop, cLocale());
    if (stop == text) return p;
    out = value;
    return p + (stop - text);
}

} // namespace

const char* parseFloat(const char* p, const char* end, float& out) noexcept
{
    const char* s = p;
    while (s < end && isSpace(*s)) ++s;
    bool negative = false;
    if (s < end && (*s == '+' || *s == '-')) {
        negative = *s == '-';
        ++s;
    }
    if (s < end) {
        const char c = static_cast<char>(*s | 0x20);
        const bool hex = *s == '0' && s + 1 < end && (s[1] | 0x20) == 'x';
        if (c == 'i' || c == 'n' || hex) {
            const void* nul = std::memchr(p, '\0', static_cast<std::size_t>(end - p));
            return parseWithLibrary(p, nul ? static_cast<const char*>(nul) : end, out);
        }
    }

    std::uint64_t mantissa = 0;
    int digits = 0;     // significant digits held in mantissa
    int exponent10 = 0; // correction for dropped and fractional digits
    bool anyDigit = false;
    bool inexact = false; // a non-zero digit did not fit into mantissa
    for (; s < end && isDigit(*s); ++s) {
        anyDigit = true;
        const unsigned d = static_cast<unsigned>(*s - '0');
        if (mantissa == 0 && d == 0) continue;
        if (digits < 19) {
            mantissa = mantissa * 10 + d;
            ++digits;
        } else {
            ++exponent10;
            inexact |= d != 0;
        }
    }
    if (s < end && *s == '.') {
        const char* fraction = s + 1;
        for (s = fraction; s < end && isDigit(*s); ++s) {
            anyDigit = true;
            const unsigned d = static_cast<unsigned>(*s - '0');
            if (mantissa == 0 && d == 0) {
                --exponent10;
            } else if (digits < 19) {
                mantissa = mantissa * 10 + d;
                ++digits;
                --exponent10;
            } else {
                inexact |= d != 0;
            }
        }
    }
    if (!anyDigit) return p;

    if (s < end && (*s | 0x20) == 'e') {
        const char* t = s + 1;
        bool negativeExponent = false;
        if (t < end && (*t == '+' || *t == '-')) {
            negativeExponent = *t == '-';
            ++t;
        }
        if (t < end && isDigit(*t)) {
            int value = 0;
            for (; t < end && isDigit(*t); ++t) {
                if (value < 100000) value = value * 10 + (*t - '0');
            }
            exponent10 += negativeExponent ? -value : value;
            s = t;
        }
    }

    if (mantissa == 0 && !inexact) {
        out = negative ? -0.0f : 0.0f;
        return s;
    }
    if (inexact || mantissa > (std::uint64_t {1} << 53) || exponent10 < -22 || exponent10 > 22)
        return parseWithLibrary(p, s, out);

    // Both operands are exact, so the product or quotient is the correctly
    // rounded double. Rounding it once more to float gives the correctly
    // rounded float unless it lies exactly halfway between two floats.
    // The range of mantissa and exponent keeps it a normal float.
    const double m = static_cast<double>(mantissa);
    const double value = exponent10 >= 0 ? m * kPow10[exponent10] : m / kPow10[-exponent10];
    if ((std::bit_cast<std::uint64_t>(value) & 0x1FFFFFFFu) == 0x10000000u) return parseWithLibrary(p, s, out);
    const float f = static_cast<float>(value);
    out = negative ? -f : f;
    return s;
}

} // namespace quorva
