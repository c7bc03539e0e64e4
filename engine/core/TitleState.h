#pragma once
// Title settings of the engine state: the four title lines with their
// underline flags and the layout of the title block. Set to the defaults
// by titleDefaults() at disini (Title.cpp).

#include <cstddef>
#include <string>

namespace zedozo {

inline constexpr int kTitleLines = 4;
// Longest title line kept; the rest of a longer line is ignored.
inline constexpr std::size_t kTitleChars = 132;

struct TitleState {
    std::string lines[kTitleLines];                     // titlin, lines 1 to 4
    char underline[kTitleLines] = {'0', '0', '0', '0'}; // '1': underlined
    int height = 0;                                     // 0: the current character height
    int justification = 0;                              // 0 centred over the axis system, 1 left end, 2 right end
    int position = 0;                                   // 0 above the axis system, 1 below
    int distance = 0;                                   // extra distance from the axis system, plot units
    float spacing = 1.5f;                               // distance between lines, in character heights
};

} // namespace zedozo
