#pragma once
// printf-style formatting into a std::string of any length, always in the
// "C" locale: the program's texts ("%6.2f MHz", titles) must not pick up a
// decimal comma from the user's locale.

#include <string>

namespace quorva {

std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace quorva
