#pragma once
// Locale-free text conversions of the program: printf-style formatting
// into a std::string of any length, always in the "C" locale (the program's
// texts, "%6.2f MHz" and titles, must not pick up a decimal comma from the
// user's locale); decimal numbers of the command line; UTF-8 sequences.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorva {

std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Digits with at most one '.' (no sign, no exponent, at most 32
// characters) read as a decimal number; nothing for any other text.
std::optional<double> parseDecimal(std::string_view text);

// The UTF-8 sequence at text[i]: its length, with its code point in
// `codePoint`; 0 when it is not a valid one (overlong, a surrogate, above
// U+10FFFF, cut short).
std::size_t utf8Sequence(std::string_view text, std::size_t i, std::uint32_t& codePoint) noexcept;

} // namespace quorva
