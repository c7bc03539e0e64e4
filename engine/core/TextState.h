#pragma once
// Text settings of the engine state: character height, angle, the font in
// use with its width table, and the pen of the text being drawn. Set to the
// defaults by textDefaults() at disini (Text.cpp).

#include <cstdint>
#include <string>

namespace zedozo {

struct StrokeAlphabet;

// The font text is drawn in: the stroke font, the PostScript fonts of a
// paper device, or a screen window's font.
enum class FontKind { Stroke, PostScript, Screen };

struct TextState {
    // Width-table entries: index 1 .. 231 for the codes 32 .. 262 (index 0
    // unused), as the glyph indexes of alphabet 1.
    static constexpr int kGlyphIndexes = 231;

    int height = 36;   // character height, plot units, 1..10000
    int angle = 0;     // degrees counter-clockwise
    float sinA = 0.0f; // of the angle
    float cosA = 1.0f;
    FontKind fontKind = FontKind::Stroke;
    int fontNumber = 1;                           // stroke font: 1 after disini, 3 after complx
    const StrokeAlphabet* font = nullptr;         // the six alphabets of that stroke font
    std::string fontName;                         // hardware font in use (up to 79 characters)
    int psFontIndex = 0;                          // position in the standard PostScript font list
    int refHeight = 683;                          // of that PostScript font, 1/1000 em
    std::uint16_t widths[kGlyphIndexes + 1] = {}; // hardware-font advances
    float widthFactor = 1.0f;                     // horizontal stretch of stroke glyphs
    float spacing = 0.0f;                         // added to the gap factor between characters
    float slant = 0.0f;                           // x += slant * y for stroke glyphs
    float penX = 0.0f;                            // baseline point of the text being drawn
    float penY = 0.0f;
    float vOffset = 0.0f; // raise of the current character's baseline
    int alphabet = 1;     // alphabet of the font in use, 1..6
    int charMapping = 0;  // 0 none; 1 ISO 8859-1 / WinAnsi input codes
    int outOfPage = 0;    // texts that started or ended off the page

    // Derived by the alphabet selection for the character being drawn.
    int selectedAlphabet = 0; // 0: nothing selected yet
    float xScale = 0.0f;      // plot units per x font unit
    float yScale = 0.0f;      // plot units per y font unit
    float gap = 0.0f;         // plot units after each stroke character
    float lastGap = 0.0f;     // gap after the character drawn last
    bool measuring = false;   // textWidth: advance only, draw nothing
};

} // namespace zedozo
