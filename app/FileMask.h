#pragma once
// File masks of the light-curve lists ("LC*SFU*.txt", "LC*ADU*.txt").

#include <string_view>

namespace quorva {

inline constexpr char kSfuMask[] = "LC*SFU*.txt";
inline constexpr char kAduMask[] = "LC*ADU*.txt";

// '*' matches any run of characters; letters compare without case, as the
// file lists of the desktop do.
bool matchesMask(std::string_view name, std::string_view mask) noexcept;

} // namespace quorva
