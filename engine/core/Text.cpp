// Text and fonts: character height and angle, the font for the device
// (stroke, PostScript or screen font), measuring and drawing strings.
#include "engine/core/Text.h"

#include "engine/Engine.h"
#include "engine/core/EngineInternal.h"
#include "engine/core/PsFontMetrics.h"
#include "engine/core/StrokeFontData.h"

#include <cmath>
#include <cstring>

namespace zedozo {

namespace {

constexpr int kLastAccentedCode = 186; // codes 127..186: accented letters
constexpr int kWmfDevcode = 221;
constexpr int kFixedPitchUnits = 6; // every glyph of font 1, alphabet 1
constexpr std::size_t kFontNameChars = 79;
constexpr std::size_t kPsFontNameChars = 60;
constexpr float kPointsPerPlotUnit = 0.28346458f;

// WinAnsi codes of the engine's accented letters 127..186 (the letters of
// the PostScript writer's German vector, in its order).
constexpr unsigned char kWinAnsi[kLastAccentedCode - 126]
    = {196, 214, 220, 228, 246, 252, 223, 197, 216, 198, 229, 248, 230, 209, 241, 199, 231, 203, 207, 235, 239, 193,
        201, 205, 211, 218, 225, 233, 237, 243, 250, 192, 200, 204, 210, 217, 224, 232, 236, 242, 249, 194, 202, 206,
        212, 219, 226, 234, 238, 244, 251, 195, 227, 213, 245, 221, 253, 255, 161, 191};

// Base letters whose PostScript widths the accented codes 134..186 take.
constexpr char kAccentBases[] = "AOAaoaNnCcEIeiAEIOUaeiouAEIOUaeiouAEIOUaeiouAaOoYyy!?";
static_assert(sizeof(kAccentBases) - 1 == kLastAccentedCode - 133);

int pageScaled(const EngineState& st, int value)
{
    return static_cast<int>(value / st.page.pageScale + 0.5f);
}

// Engine code for an input code 127..255 under character mapping 1 (ISO
// 8859-1 / WinAnsi): the inverse of kWinAnsi; 32 where there is none.
int mapLatin1(int code)
{
    for (int i = 0; i < kLastAccentedCode - 126; ++i)
        if (kWinAnsi[i] == code) return 127 + i;
    return 32;
}

const StrokeAlphabet* fontTables(const TextState& t)
{
    return t.font ? t.font : kDefaultFont;
}

// Scales, gap and tables of alphabet a at the current height.
const StrokeAlphabet& selectAlphabet(TextState& t, int a)
{
    const StrokeAlphabet& alph = fontTables(t)[a - 1];
    const float h = static_cast<float>(t.height);
    t.xScale = (h - 1.0f) * t.widthFactor / static_cast<float>(alph.unitsX);
    t.yScale = (h - 1.0f) / static_cast<float>(alph.unitsY);
    t.gap = (alph.gapFactor + t.spacing) * h;
    t.selectedAlphabet = a;
    return alph;
}

void installComplex(TextState& t)
{
    t.fontKind = FontKind::Stroke;
    t.fontNumber = 3;
    t.font = kComplexFont;
    t.alphabet = 1;
    t.selectedAlphabet = 0;
}

bool onPostScriptOutput(const EngineState& st)
{
    return deviceKind(st.cycle.devcode).caps.hardwareFonts;
}

// Makes the window font for the current height and angle on the current
// device and loads its widths. False when the device cannot make it.
bool makeScreenFont(EngineState& st, std::string_view name)
{
    TextState& t = st.text;
    const double h = t.height;
    const double s = st.cycle.devscl;
    const double perEighth = (h >= 30 && s >= 0.25) ? 13.0 : 16.0;
    const int pixels = static_cast<int>(perEighth * h * s * 0.125 + 0.5);
    std::uint16_t measured[Device::kWindowFontCodes];
    if (!st.device || !st.device->windowFont(name, pixels, t.angle, measured)) return false;
    // The window measures its own character set; the engine's accented
    // codes take the width of their WinAnsi letter.
    for (int code = 32; code <= 262; ++code) t.widths[code - 31] = measured[winAnsiCode(code) - 32];
    return true;
}

// After a failed screen font the text stays readable in the stroke font.
void screenFontFailed(EngineState& st)
{
    installComplex(st.text);
    customText("Window font cannot be created");
    warnPlain(101);
}

void reapplyHardwareFont(EngineState& st)
{
    TextState& t = st.text;
    if (t.fontKind == FontKind::PostScript && onPostScriptOutput(st)) {
        devfnt(t.fontName.c_str(), static_cast<float>(t.height), t.refHeight, false);
    } else if (t.fontKind == FontKind::Screen) {
        const std::string name = t.fontName;
        if (!makeScreenFont(st, name)) screenFontFailed(st);
    }
}

void applyHeight(EngineState& st, int h)
{
    st.text.height = h;
    st.text.selectedAlphabet = 0;
    reapplyHardwareFont(st);
}

void applyAngle(EngineState& st, int degrees)
{
    TextState& t = st.text;
    t.angle = degrees;
    // Exact values at the quarter turns keep upright and vertical text on
    // whole plot units.
    const int quarter = ((degrees % 360) + 360) % 360;
    if (quarter == 0) {
        t.sinA = 0.0f;
        t.cosA = 1.0f;
    } else if (quarter == 90) {
        t.sinA = 1.0f;
        t.cosA = 0.0f;
    } else if (quarter == 180) {
        t.sinA = 0.0f;
        t.cosA = -1.0f;
    } else if (quarter == 270) {
        t.sinA = -1.0f;
        t.cosA = 0.0f;
    } else {
        const double r = degrees * M_PI / 180.0;
        t.sinA = static_cast<float>(std::sin(r));
        t.cosA = static_cast<float>(std::cos(r));
    }
    if (t.fontKind == FontKind::Screen) {
        const std::string name = t.fontName;
        if (!makeScreenFont(st, name)) screenFontFailed(st);
    }
}

bool offPage(const EngineState& st, int x, int y)
{
    return x < 0 || x > st.page.npagx || y < 0 || y > st.page.npagy;
}

void reportOffPage(EngineState& st, const char* which, int x, int y, std::string_view text)
{
    ++st.text.outOfPage;
    if (!st.warn.warnOn) return;
    const std::string head(text.substr(0, 8));
    errorPrintf(" <<<< Warning: %s (%5d/%5d) ", which, x, y);
    errorPrintf("in MESSAG out of page - (%s).\n", head.c_str());
}

// Where the last character ended: the pen taken back by its gap.
void textEnd(const TextState& t, float& x, float& y)
{
    x = t.penX - t.lastGap * t.cosA;
    y = t.penY + t.lastGap * t.sinA;
}

// Draws or measures one stroke glyph record at the pen; returns its width
// in x font units (the largest x of its points).
float strokeGlyph(const TextState& t, const StrokeAlphabet& a, int glyphIndex)
{
    int pos = 0;
    for (int k = 2; k < glyphIndex; ++k) {
        const int length = a.index[pos];
        if (length < 1 || pos + length >= a.indexCount) return 0.0f;
        pos += length;
    }
    const int end = pos + a.index[pos];
    if (end > a.indexCount) return 0.0f;
    const float x0 = t.penX - t.vOffset * t.sinA;
    const float y0 = t.penY - t.vOffset * t.cosA;
    bool any = false;
    float widest = 0.0f;
    for (int i = pos + 1; i + 1 < end;) {
        int n = static_cast<std::int16_t>(a.index[i]);
        const int start = a.index[i + 1];
        float dx = 0.0f, dy = 0.0f;
        if (n < 0) {
            if (i + 2 >= end) break;
            const std::uint16_t shift = a.index[i + 2];
            dx = static_cast<std::int8_t>(shift & 0xFF) * 0.5f;
            dy = static_cast<std::int8_t>(shift >> 8) * 0.5f;
            n = -n;
            i += 3;
        } else {
            i += 2;
        }
        if (start < 1 || start - 1 + n > a.coordCount) break;
        const std::uint16_t* p = a.coords + (start - 1);
        for (int j = 0; j < n; ++j) {
            const float x = static_cast<std::int8_t>(p[j] & 0xFF) + dx;
            const float y = static_cast<std::int8_t>(p[j] >> 8) + dy;
            if (!any || x > widest) widest = x;
            any = true;
            if (t.measuring) continue;
            const float v = y * t.yScale;
            const float u = x * t.xScale + t.slant * v;
            const float X = x0 + u * t.cosA - v * t.sinA;
            const float Y = y0 - v * t.cosA - u * t.sinA;
            if (j == 0)
                penMove(X, Y);
            else
                penDraw(X, Y);
        }
    }
    return widest;
}

CharParams charParams(const TextState& t)
{
    CharParams p;
    p.angle = static_cast<float>(t.angle);
    p.sinA = t.sinA;
    p.cosA = t.cosA;
    p.vOffset = t.vOffset;
    p.height = static_cast<float>(t.height);
    p.fontIndex = t.psFontIndex;
    p.refHeight = t.refHeight;
    return p;
}

std::string_view clipText(std::string_view text)
{
    return text.substr(0, kMaxTextChars);
}

} // namespace

int winAnsiCode(int engineCode)
{
    if (engineCode >= 32 && engineCode < 127) return engineCode;
    if (engineCode >= 127 && engineCode <= kLastAccentedCode) return kWinAnsi[engineCode - 127];
    return 32;
}

void drawChar(int code)
{
    EngineState& st = engineState();
    TextState& t = st.text;
    if (code < 32) code = 32;
    if (t.charMapping == 1 && code >= 127 && code <= 255) code = mapLatin1(code);

    const StrokeAlphabet& alph = selectAlphabet(t, t.alphabet);
    int glyph = code - 31;
    if (glyph > alph.glyphCount) glyph = 1;

    const float h = static_cast<float>(t.height);
    float w = 0.0f;
    float g = t.gap;
    if (t.fontKind != FontKind::Stroke && t.alphabet == 1) {
        if (code > kLastAccentedCode) {
            code = 32;
            glyph = 1;
        }
        g = (0.1f + t.spacing) * h;
        if (t.fontKind == FontKind::PostScript) {
            w = t.widths[glyph] * 0.025f * (1000.0f / static_cast<float>(t.refHeight)) * h * kPointsPerPlotUnit;
            if (!t.measuring) devchr(code, t.penX, t.penY, w, charParams(t));
        } else {
            w = t.widths[glyph] / (st.cycle.devscl * 10.0f);
            // The screen writer sets characters of the window character set.
            if (!t.measuring) devchr(winAnsiCode(code), t.penX, t.penY, w, charParams(t));
        }
    } else if (glyph == 1) {
        w = static_cast<float>(alph.blankWidth) * t.xScale;
    } else {
        const float widest = strokeGlyph(t, alph, glyph);
        w = (t.fontNumber == 1 && t.alphabet == 1) ? kFixedPitchUnits * t.xScale : widest * t.xScale;
    }
    t.lastGap = g;
    t.penX += (w + g) * t.cosA;
    t.penY -= (w + g) * t.sinA;
}

void drawText(std::string_view text, int nx, int ny)
{
    text = clipText(text);
    if (text.empty()) return;
    EngineState& st = engineState();
    TextState& t = st.text;
    const int savedHeight = t.height;
    const int savedColour = st.colour.current;
    t.alphabet = 1;
    t.vOffset = 0.0f;
    selectAlphabet(t, 1);

    const bool continued = nx == kContinueText && ny == kContinueText;
    if (!continued) {
        const float h1 = static_cast<float>(t.height - 1);
        t.penX = static_cast<float>(nx + st.page.originX) + h1 * t.sinA;
        t.penY = static_cast<float>(ny + st.page.originY) + h1 * t.cosA;
    }
    if (offPage(st, nx, ny)) reportOffPage(st, "Startpoint", nx, ny, text);

    // Hardware characters go straight to the output: what the polyline
    // buffer still holds was drawn before them.
    if (t.fontKind != FontKind::Stroke) flushPolyline();
    for (unsigned char c : text) drawChar(c);

    float ex, ey;
    textEnd(t, ex, ey);
    const int endX = static_cast<int>(std::lround(ex));
    const int endY = static_cast<int>(std::lround(ey));
    if (offPage(st, endX, endY)) reportOffPage(st, "Endpoint  ", endX, endY, text);

    if (t.height != savedHeight) applyHeight(st, savedHeight);
    if (st.colour.current != savedColour) devcol(savedColour);
}

void drawText(std::string_view text, int nx, int ny, int angle, int height)
{
    if (nx == kContinueText && ny == kContinueText) nx = kContinueText + 1;
    EngineState& st = engineState();
    TextState& t = st.text;
    const int savedAngle = t.angle;
    const int savedHeight = t.height;
    const bool newHeight = height != savedHeight && height >= 1 && height <= 10000;
    if (newHeight) applyHeight(st, height);
    if (angle != savedAngle) applyAngle(st, angle);
    drawText(text, nx, ny);
    if (angle != savedAngle) applyAngle(st, savedAngle);
    if (newHeight) applyHeight(st, savedHeight);
}

std::int32_t textWidth(std::string_view text)
{
    text = clipText(text);
    if (text.empty()) return 0;
    EngineState& st = engineState();
    TextState& t = st.text;
    const float savedX = t.penX, savedY = t.penY;
    const int savedHeight = t.height;
    const int savedColour = st.colour.current;
    const int savedAlphabet = t.alphabet;
    const float savedOffset = t.vOffset;
    t.alphabet = 1;
    t.vOffset = 0.0f;
    t.penX = 0.0f;
    t.penY = 0.0f;
    t.measuring = true;
    long widest = 0;
    for (unsigned char c : text) {
        drawChar(c);
        float ex, ey;
        textEnd(t, ex, ey);
        const long d = std::lround(std::sqrt(static_cast<double>(ex) * ex + static_cast<double>(ey) * ey));
        if (d > widest) widest = d;
    }
    t.measuring = false;
    t.penX = savedX;
    t.penY = savedY;
    t.alphabet = savedAlphabet;
    t.vOffset = savedOffset;
    if (t.height != savedHeight) applyHeight(st, savedHeight);
    if (st.colour.current != savedColour) devcol(savedColour);
    return static_cast<std::int32_t>(widest);
}

void textDefaults(EngineState& st)
{
    TextState& t = st.text;
    t = TextState {};
    t.height = pageScaled(st, 36);
    t.font = kDefaultFont;
    t.fontNumber = 1;
    t.fontKind = FontKind::Stroke;
}

void height(int h)
{
    EngineState* st = levelCheck(1, 3, "height");
    if (!st || !rangeCheck(h, 1, 10000)) return;
    applyHeight(*st, h);
}

void angle(int degrees)
{
    applyAngle(settingsCheck("angle"), degrees);
}

void complx()
{
    EngineState* st = levelCheck(1, 3, "complx");
    if (st) installComplex(st->text);
}

void psfont(std::string_view name)
{
    EngineState* st = levelCheck(1, 3, "psfont");
    if (!st) return;
    TextState& t = st->text;
    int index = -1;
    for (int i = 0; i < kPsFontCount; ++i)
        if (name == kPsFonts[i].name) index = i;
    if (index < 0) {
        if (st->warn.warnOn) {
            const std::string given(name);
            errorPrintf(" <<<< Warning: %s is not a standard font!\n", given.c_str());
        }
        index = 0;
    }
    const PsFontInfo& info = kPsFonts[index];
    installComplex(t);
    t.fontName = std::string(info.name).substr(0, kPsFontNameChars);
    t.psFontIndex = index;
    t.refHeight = info.refHeight;

    std::uint16_t* w = t.widths;
    if (info.metricSet < 0) {
        for (int i = 1; i <= TextState::kGlyphIndexes; ++i) w[i] = kPsFixedWidthByte;
    } else {
        const std::uint8_t* set = kPsMetricSets[info.metricSet];
        for (int i = 1; i <= kPsMetricCodes; ++i) w[i] = set[i - 1];
        for (int code = 134; code <= kLastAccentedCode; ++code)
            w[code - 31] = w[static_cast<unsigned char>(kAccentBases[code - 134]) - 31];
        w[136 - 31] = static_cast<std::uint16_t>(w['A' - 31] / 2 + w['E' - 31]);
        w[139 - 31] = static_cast<std::uint16_t>(2 * w['a' - 31] / 3 + w['e' - 31]);
        // Codes above the accented letters are set as blanks.
        for (int i = kLastAccentedCode - 30; i <= TextState::kGlyphIndexes; ++i) w[i] = w[1];
    }
    if (onPostScriptOutput(*st)) devfnt(t.fontName.c_str(), static_cast<float>(t.height), t.refHeight, true);
    t.fontKind = FontKind::PostScript;
}

void winfnt(std::string_view name)
{
    EngineState& st = settingsCheck("winfnt");
    if (!deviceKind(st.cycle.devcode).caps.windowFonts) {
        customText("Window fonts cannot be used");
        warnPlain(101);
        return;
    }
    installComplex(st.text);
    if (!makeScreenFont(st, name)) {
        screenFontFailed(st);
        return;
    }
    st.text.fontName = std::string(name.substr(0, kFontNameChars));
    st.text.fontKind = FontKind::Screen;
}

void hwfont()
{
    EngineState* st = levelCheck(1, 3, "hwfont");
    if (!st) return;
    const int code = st->cycle.devcode;
    if (code < 100 || code == kWmfDevcode)
        winfnt("Times New Roman");
    else if ((code >= 501 && code <= 600) || code == 801)
        psfont("Times-Roman");
    else
        complx();
}

void messag(std::string_view text, int nx, int ny)
{
    if (levelCheck(1, 3, "messag")) drawText(text, nx, ny);
}

} // namespace zedozo
