#pragma once
// Locale-free text conversions of the program: printf-style formatting
// into a std::string of any length, always in the "C" locale (the program's
// texts, "%6.2f MHz" and titles, must not pick up a decimal comma from the
// user's locale); decimal numbers of the command line; UTF-8 sequences.

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorva {

std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The shortest decimal text that reads back to the same float or double.
// Not-a-number and the infinities get the caller's spellings: JSON and the
// Prometheus text format write them differently.
template <typename T> std::string shortestDecimal(T v, const char* nan, const char* infinity, const char* minusInfinity)
{
    if (std::isnan(v)) return nan;
    if (std::isinf(v)) return v > 0 ? infinity : minusInfinity;
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, v);
    return std::string(text, end);
}

// Digits with at most one '.' (no sign, no exponent, at most 32
// characters) read as a decimal number; nothing for any other text.
std::optional<double> parseDecimal(std::string_view text);

// The UTF-8 sequence at text[i]: its length, with its code point in
// `codePoint`; 0 when it is not a valid one (overlong, a surrogate, above
// U+10FFFF, cut short).
std::size_t utf8Sequence(std::string_view text, std::size_t i, std::uint32_t& codePoint) noexcept;

} // namespace quorva
