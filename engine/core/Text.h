#pragma once
// Text services of the engine core for the axis system, the titles and the
// page header: measuring and drawing strings at the current character
// height, angle, colour and font (Text.cpp). The public operations (height,
// angle, hwfont, complx, psfont, winfnt, messag) are declared in Engine.h.
//
// Positions are plot units; a text is placed by the upper left corner of
// the unrotated text, its baseline (height - 1) units below that corner.
// Angles are degrees counter-clockwise; 90 makes text read upward.

#include <cstdint>
#include <string_view>

namespace zedozo {

struct EngineState;


// drawText at this position continues where the previous text ended.
inline constexpr int kContinueText = 999;

// Longest text drawn or measured; the rest is ignored.
inline constexpr int kMaxTextChars = 256;

// Width in plot units of the text at the current height and angle: the
// distance from its start to the end of its last character (the gap after
// it does not count), rounded to the nearest integer. Nothing is drawn.
std::int32_t textWidth(std::string_view text);

// Draws the text with its upper left corner at (nx, ny). (999, 999)
// continues at the pen position where the previous text ended.
void drawText(std::string_view text, int nx, int ny);

// Draws the text at a temporary angle and height and switches back
// afterwards (axis names). Never continues a previous text: (999, 999) is
// drawn at (1000, 999).
void drawText(std::string_view text, int nx, int ny, int angle, int height);

// Draws (or, while a text is measured, only advances over) one character at
// the pen position and moves the pen by its advance.
void drawChar(int code);

} // namespace zedozo
