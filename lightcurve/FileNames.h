#pragma once
// Light-curve file naming: the paths' name and folder parts, the masks the
// file lists select with, and the one rule that gives a file's unit.

#include <string>
#include <string_view>

namespace quorva {

inline constexpr char kSfuMask[] = "LC*SFU*.txt";
inline constexpr char kAduMask[] = "LC*ADU*.txt";

// The file name part of a path (after its last '/') and the folder part
// (up to and including its last '/'; empty when it has none).
std::string_view fileNamePart(std::string_view path) noexcept;
std::string_view folderPart(std::string_view path) noexcept;

// '*' matches any run of characters; letters compare without case, as the
// desktop's file lists do.
bool matchesMask(std::string_view name, std::string_view mask) noexcept;

// A name that one of the two masks selects.
bool isLightCurveName(std::string_view fileName) noexcept;

// The unit of a file by its name, for stats, plot and watch: "SFU" when
// the file name part contains SFU (any case) before any ADU, else "ADU".
std::string unitFromFileName(std::string_view path);

} // namespace quorva
