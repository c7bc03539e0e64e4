// Generated from Debian package hershey-fonts-data by `python3 tools/gen_stroke_font.py`; do not edit.
#pragma once
// Stroke-font tables of the plot engine: the complex font (font 3) and the
// default font (font 1), six alphabets each.

#include <cstdint>

namespace zedozo {

// One alphabet of a stroke font.
//
// coords: packed points, low byte x and high byte y, each a signed 8-bit
// number of font units; x from the glyph's left edge, y upward from the
// baseline.
//
// index: the glyph records one after the other. A record is its length L in
// words (itself included), then stroke descriptors: point count n and the
// 1-based start s of the stroke in coords; when n read as a signed 16-bit
// number is negative the stroke has |n| points and a third word follows, a
// packed (dx, dy) that moves every point by (dx / 2, dy / 2). Record k
// describes glyph index k + 2; glyph index 1 is the blank and has no record.
struct StrokeAlphabet {
    const std::uint16_t* coords;
    std::int32_t coordCount;
    const std::uint16_t* index;
    std::int32_t indexCount;
    std::int32_t glyphCount;  // glyph indexes covered, the blank included
    std::int32_t unitsX;      // font units per (character height - 1)
    std::int32_t unitsY;
    float gapFactor;          // gap after a character, fraction of the height
    std::int32_t blankWidth;  // advance of the blank, x font units
};

inline constexpr int kStrokeAlphabets = 6;

// Font 3, installed by complx: alphabet 1 covers the codes 32 to 262.
extern const StrokeAlphabet kComplexFont[kStrokeAlphabets];
// Font 1, installed by disini: a fixed-pitch face 6 units wide in
// alphabets 1, 2 and 4; alphabets 3, 5 and 6 are the complex font's.
extern const StrokeAlphabet kDefaultFont[kStrokeAlphabets];

}  // namespace zedozo
