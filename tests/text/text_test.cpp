// Text and fonts: the generated glyph and metric tables, font choice by
// device, measuring and drawing at height and angle, warnings.
#include "support/EngineAreaSupport.h"

#include "engine/core/PsFontMetrics.h"
#include "engine/core/StrokeFontData.h"
#include "engine/core/Text.h"
#include "engine/output/MemoryWindowBackend.h"
#include "engine/output/ScreenWriter.h"

#include <algorithm>
#include <cmath>
#include <regex>

namespace {

using namespace zedozo;
using namespace zedozotest;

// ---- the tables -------------------------------------------------------------

struct Stroke {
    int n = 0, start = 0;
    float dx = 0, dy = 0;
    bool shifted = false;
    std::vector<std::pair<float, float>> points;
};

// Decodes glyph index i (>= 2) of an alphabet, checking every word it reads.
std::vector<Stroke> glyphStrokes(const StrokeAlphabet& a, int glyphIndex)
{
    int pos = 0;
    for (int k = 2; k < glyphIndex; ++k) pos += a.index[pos];
    std::vector<Stroke> out;
    const int end = pos + a.index[pos];
    for (int i = pos + 1; i < end;) {
        Stroke s;
        int n = static_cast<std::int16_t>(a.index[i]);
        s.start = a.index[i + 1];
        if (n < 0) {
            s.shifted = true;
            s.dx = static_cast<std::int8_t>(a.index[i + 2] & 0xFF) / 2.0f;
            s.dy = static_cast<std::int8_t>(a.index[i + 2] >> 8) / 2.0f;
            n = -n;
            i += 3;
        } else {
            i += 2;
        }
        s.n = n;
        for (int j = 0; j < n; ++j) {
            const std::uint16_t w = a.coords[s.start - 1 + j];
            s.points.emplace_back(static_cast<std::int8_t>(w & 0xFF) + s.dx,
                                  static_cast<std::int8_t>(w >> 8) + s.dy);
        }
        out.push_back(s);
    }
    return out;
}

void bounds(const std::vector<Stroke>& g, float& minX, float& minY, float& maxX, float& maxY)
{
    minX = minY = 1e9f;
    maxX = maxY = -1e9f;
    for (const Stroke& s : g)
        for (auto [x, y] : s.points) {
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }
}

TEST(StrokeFontTables, RecordsAndStrokesStayInsideTheirTables)
{
    const int counts[6] = {231, 95, 95, 102, 102, 95};
    for (const StrokeAlphabet* font : {kComplexFont, kDefaultFont}) {
        for (int a = 0; a < kStrokeAlphabets; ++a) {
            const StrokeAlphabet& alph = font[a];
            SCOPED_TRACE("font " + std::string(font == kComplexFont ? "3" : "1") + " alphabet " +
                         std::to_string(a + 1));
            EXPECT_EQ(alph.glyphCount, counts[a]);
            int pos = 0, records = 0;
            while (pos < alph.indexCount) {
                const int length = alph.index[pos];
                ASSERT_GE(length, 1);
                ASSERT_LE(pos + length, alph.indexCount);
                for (int i = pos + 1; i < pos + length;) {
                    int n = static_cast<std::int16_t>(alph.index[i]);
                    const int step = n < 0 ? 3 : 2;
                    ASSERT_LE(i + step, pos + length) << "stroke runs past record " << records;
                    n = std::abs(n);
                    const int start = alph.index[i + 1];
                    ASSERT_GE(n, 1);
                    ASSERT_GE(start, 1);
                    ASSERT_LE(start + n - 1, alph.coordCount);
                    i += step;
                }
                pos += length;
                ++records;
            }
            EXPECT_EQ(pos, alph.indexCount);
            EXPECT_EQ(records, alph.glyphCount - 1);  // glyph index 1, the blank, has no record
            // Every printable ASCII character has ink (the Greek and symbol
            // faces leave some positions empty).
            if (a == 0) {
                for (int code = 33; code <= 126; ++code)
                    EXPECT_FALSE(glyphStrokes(alph, code - 31).empty()) << "code " << code;
            }
        }
    }

    // Capitals stand on the baseline and reach the top line (y = 21), the
    // glyph's left edge at x = 0; every code up to 262 has ink.
    const StrokeAlphabet& latin = kComplexFont[0];
    for (char c : std::string("AHMTZ")) {
        float minX, minY, maxX, maxY;
        bounds(glyphStrokes(latin, c - 31), minX, minY, maxX, maxY);
        EXPECT_EQ(minX, 0) << c;
        EXPECT_EQ(minY, 0) << c;
        EXPECT_EQ(maxY, 21) << c;
    }
    for (int code = 127; code <= 262; ++code)
        EXPECT_FALSE(glyphStrokes(latin, code - 31).empty()) << "code " << code;
}

bool containsStroke(const std::vector<Stroke>& g, const Stroke& s)
{
    return std::any_of(g.begin(), g.end(), [&](const Stroke& t) { return t.points == s.points; });
}

TEST(StrokeFontTables, AccentedLettersAreBuiltFromTheirBaseLetters)
{
    const StrokeAlphabet& latin = kComplexFont[0];
    auto glyph = [&](int code) { return glyphStrokes(latin, code - 31); };
    struct Case { int code; char base; bool above; };
    // Ä, ñ, Ø (slash through), Ç (cedilla below), ÿ
    const Case cases[] = {{127, 'A', true}, {141, 'n', true}, {135, 'O', false}, {142, 'C', false}, {184, 'y', true}};
    for (const Case& c : cases) {
        const auto accented = glyph(c.code);
        const auto base = glyph(c.base);
        for (const Stroke& s : base) EXPECT_TRUE(containsStroke(accented, s)) << "code " << c.code;
        EXPECT_GT(accented.size(), base.size()) << "code " << c.code;
        float bx0, by0, bx1, by1, ax0, ay0, ax1, ay1;
        bounds(base, bx0, by0, bx1, by1);
        bounds(accented, ax0, ay0, ax1, ay1);
        if (c.above) {
            EXPECT_GT(ay1, by1) << "accent of code " << c.code << " not above the letter";
        }
    }
    // The cedilla hangs below the C.
    float x0, y0, x1, y1;
    bounds(glyph(142), x0, y0, x1, y1);
    EXPECT_LT(y0, 0);
    // The two dots of a dieresis are one stroke, the second moved.
    const auto umlaut = glyph(130);
    const auto plain = glyph('a');
    std::vector<Stroke> dots;
    for (const Stroke& s : umlaut)
        if (!containsStroke(plain, s)) dots.push_back(s);
    ASSERT_EQ(dots.size(), 2u);
    EXPECT_EQ(dots[0].start, dots[1].start);
    EXPECT_TRUE(dots[0].shifted || dots[1].shifted);
    // The accented i's lose the dot of the i: they share its stem, not its dot.
    const auto i = glyph('i');
    const auto iAcute = glyph(155);
    int shared = 0;
    for (const Stroke& s : i) shared += containsStroke(iAcute, s);
    EXPECT_EQ(shared, static_cast<int>(i.size()) - 1);
    // Inverted marks hang below the baseline.
    bounds(glyph(186), x0, y0, x1, y1);
    EXPECT_LT(y0, 0);
}

TEST(PsFontMetricsTables, NamesHeightsAndWidthBytes)
{
    // Positions matter: the PDF writer names its fonts by them (F5, F18).
    EXPECT_STREQ(kPsFonts[4].name, "Helvetica");
    EXPECT_STREQ(kPsFonts[17].name, "ZapfDingbats");
    EXPECT_STREQ(kPsFonts[34].name, "Symbol");
    int sets = 0;
    for (int i = 0; i < kPsFontCount; ++i) sets = std::max(sets, kPsFonts[i].metricSet + 1);
    EXPECT_EQ(sets, kPsMetricSetCount);
    EXPECT_EQ(kPsFonts[18].metricSet, -1);                      // Courier: fixed pitch
    EXPECT_EQ(kPsFonts[6].metricSet, kPsFonts[4].metricSet);    // Helvetica-Oblique
    const std::uint8_t* times = kPsMetricSets[kPsFonts[0].metricSet];
    EXPECT_EQ(times[127 - 32], 102);  // Adieresis is as wide as A
    EXPECT_EQ(times[133 - 32], 71);   // germandbls, 500 / 7.0866
}

// ---- measuring and drawing -------------------------------------------------

class TextTest : public EngineTest {};

void extent(const std::vector<RecVec>& v, float& minX, float& minY, float& maxX, float& maxY)
{
    minX = minY = 1e9f;
    maxX = maxY = -1e9f;
    for (const RecVec& d : v) {
        minX = std::min(minX, d.x);
        maxX = std::max(maxX, d.x);
        minY = std::min(minY, d.y);
        maxY = std::max(maxY, d.y);
    }
}

TEST_F(TextTest, StrokeFontOnPngReachesTheDeviceAsVectors)
{
    openRecorded("PNG", DeviceFamily::Raster);
    // After disini: font 1, 36 high, every glyph 6 units of 35/6 plot units.
    EXPECT_EQ(st().text.fontNumber, 1);
    EXPECT_EQ(textWidth("i"), 35);
    EXPECT_EQ(textWidth("iWi"), 105);
    hwfont();
    EXPECT_EQ(st().text.fontKind, kStrokeFontKind);
    EXPECT_EQ(st().text.fontNumber, 3);
    height(50);
    // Blank: 9 units of 49/20 = 22.05, the gap of 12.5 after it not counted.
    EXPECT_EQ(textWidth(" "), 22);
    EXPECT_EQ(textWidth(""), 0);
    drawText(" ", 100, 100);
    EXPECT_FLOAT_EQ(st().text.penX, 100 + 22.05f + 12.5f);
    EXPECT_TRUE(rec->vecs.empty());

    drawText("A", 100, 200);
    flushPolyline();
    ASSERT_GE(rec->vecs.size(), 2u);
    EXPECT_EQ(rec->vecs.front().pen, 3);
    EXPECT_TRUE(std::any_of(rec->vecs.begin(), rec->vecs.end(), [](const RecVec& v) { return v.pen == 2; }));
    float x0, y0, x1, y1;
    extent(rec->vecs, x0, y0, x1, y1);
    EXPECT_EQ(y0, 200);       // the capital's top on the text's upper edge
    EXPECT_EQ(y1, 249);       // its foot on the baseline, h - 1 below
    EXPECT_EQ(x0, 100);
    EXPECT_EQ(x1, textWidth("A") + 100);
    // A string is as wide as its characters with the gaps between them.
    EXPECT_NEAR(textWidth("AB"), textWidth("A") + 12.5 + textWidth("B"), 1.0);
    // Characters 1 to 31 are blanks; only 256 characters count.
    EXPECT_EQ(textWidth("\x01"), textWidth(" "));
    EXPECT_EQ(textWidth(std::string(300, 'x')), textWidth(std::string(256, 'x')));
}

TEST_F(TextTest, AngleNinetyTemporaryFormAndContinuation)
{
    openRecorded("PNG", DeviceFamily::Raster);
    complx();
    height(50);
    angle(90);
    drawText("AB", 500, 1000);
    flushPolyline();
    float x0, y0, x1, y1;
    extent(rec->vecs, x0, y0, x1, y1);
    EXPECT_EQ(x0, 500);           // the tops on the line x = nx
    EXPECT_EQ(x1, 549);           // the baseline h - 1 to its right
    EXPECT_LE(y1, 1000);
    EXPECT_FLOAT_EQ(st().text.penX, 549);
    EXPECT_LT(st().text.penY, 1000 - textWidth("AB"));  // the pen moved up
    const int upward = textWidth("AB");
    angle(0);
    EXPECT_EQ(upward, textWidth("AB"));

    // A temporary height and angle are forgotten after the text.
    drawText("Name", 100, 500, 90, 55);
    EXPECT_EQ(st().text.height, 50);
    EXPECT_EQ(st().text.angle, 0);
    EXPECT_FLOAT_EQ(st().text.sinA, 0.0f);
    // The temporary form never continues: (999, 999) is drawn at (1000, 999).
    drawText("x", 999, 999, 0, 50);
    const float expectedX = 1000 + textWidth("x") + 0.0f;
    EXPECT_NEAR(st().text.penX - st().text.lastGap, expectedX, 0.5);
    // The plain form at (999, 999) continues where the last text ended.
    drawText("A", 100, 100);
    drawText("B", 999, 999);
    const float continued = st().text.penX;
    drawText("AB", 100, 100);
    EXPECT_FLOAT_EQ(st().text.penX, continued);
}

TEST_F(TextTest, PostScriptFontWidthsAndCharacters)
{
    openRecorded("PDF", DeviceFamily::Pdf);
    hwfont();
    EXPECT_EQ(st().text.fontKind, kPostScriptFontKind);
    EXPECT_EQ(st().text.fontName, "Times-Roman");
    EXPECT_EQ(st().text.refHeight, 683);
    EXPECT_TRUE(rec->fonts.empty());  // PDF takes the font from each character
    height(50);
    // One width unit: 0.025 * 1000 / 683 * 50 * 0.28346458 = 0.518785 plot units.
    EXPECT_EQ(textWidth("AB"), 107);  // 102 + gap 5 + 94
    EXPECT_EQ(textWidth("\x88"), 71); // AE: half of A (51) plus E (86)
    EXPECT_EQ(textWidth("\xc8"), 18); // beyond the accented letters: a blank (35)

    drawText("A\xc8", 100, 200);
    ASSERT_EQ(rec->chars.size(), 2u);
    EXPECT_EQ(rec->chars[0].code, 'A');
    EXPECT_FLOAT_EQ(rec->chars[0].x, 100);
    EXPECT_FLOAT_EQ(rec->chars[0].y, 249);
    EXPECT_NEAR(rec->chars[0].w, 52.916, 0.01);
    EXPECT_EQ(rec->chars[0].p.fontIndex, 0);
    EXPECT_EQ(rec->chars[0].p.refHeight, 683);
    EXPECT_EQ(rec->chars[1].code, 32);
    EXPECT_NEAR(rec->chars[1].x, 100 + 52.916 + 5, 0.01);
    EXPECT_TRUE(rec->vecs.empty());
}

TEST_F(TextTest, PostScriptFontSelectionOnEpsAndUnknownNames)
{
    openRecorded("EPS");
    hwfont();
    ASSERT_EQ(rec->fonts.size(), 1u);
    EXPECT_EQ(rec->fonts[0].name, "Times-Roman");
    EXPECT_TRUE(rec->fonts[0].select);
    EXPECT_EQ(rec->fonts[0].refHeight, 683);
    height(50);
    ASSERT_EQ(rec->fonts.size(), 2u);  // the size follows the height at once
    EXPECT_FALSE(rec->fonts[1].select);
    EXPECT_EQ(rec->fonts[1].height, 50);

    const std::string out = captureStdout([] { psfont("Arial"); });
    EXPECT_EQ(out, " <<<< Warning: Arial is not a standard font!\n");
    EXPECT_EQ(st().text.fontName, "Times-Roman");
    psfont("Courier-Bold");
    EXPECT_EQ(st().text.refHeight, 626);
    EXPECT_EQ(st().text.widths['A' - 31], 84);
    EXPECT_EQ(st().text.widths[136 - 31], 84);
}

TEST_F(TextTest, HeightRangeLevelAndWarnings)
{
    const std::string early = captureStdout([] { messag("text", 10, 10); });
    EXPECT_NE(early.find("Warning   3: Incorrect level in messag!"), std::string::npos) << early;
    openRecorded("PNG", DeviceFamily::Raster);
    height(50);
    const int before = st().warn.warningCount;
    const std::string out = captureStdout([] { height(0); height(10001); });
    EXPECT_EQ(st().text.height, 50);
    EXPECT_EQ(st().warn.warningCount, before + 2);
    EXPECT_NE(out.find("Warning   2: Incorrect parameter in height!"), std::string::npos) << out;
    height(10000);
    EXPECT_EQ(st().text.height, 10000);

    // Window fonts are refused off the screen.
    const std::string refused = captureStdout([] { winfnt("Arial"); });
    EXPECT_EQ(refused, " <<<< Warning 101: Window fonts cannot be used in winfnt!\n");
    EXPECT_EQ(st().text.fontKind, kStrokeFontKind);
    EXPECT_EQ(st().text.fontNumber, 1);
}

TEST_F(TextTest, OutOfPageWarningsOnlyWhenWarningsAreOn)
{
    openRecorded("PNG", DeviceFamily::Raster);
    complx();
    height(50);
    const std::string start = captureStdout([] { drawText("Hello world", -5, 100); });
    EXPECT_EQ(start, " <<<< Warning: Startpoint (   -5/  100) in MESSAG out of page - (Hello wo).\n");
    EXPECT_FALSE(rec->vecs.empty());  // drawn all the same
    const std::string end = captureStdout([] { drawText("ABCDEF", 2900, 100); });
    EXPECT_EQ(end.rfind(" <<<< Warning: Endpoint   (", 0), 0u) << end;
    EXPECT_NE(end.find("in MESSAG out of page - (ABCDEF).\n"), std::string::npos) << end;
    EXPECT_EQ(st().text.outOfPage, 2);

    errmod("ALL", "OFF");
    const std::string silent = captureStdout([] { drawText("Hello", -5, 100); });
    EXPECT_EQ(silent, "");
    EXPECT_EQ(st().text.outOfPage, 3);
}

TEST_F(TextTest, CharacterMappingOfLatin1Input)
{
    openRecorded("PNG", DeviceFamily::Raster);
    complx();
    const int direct = textWidth("\x82");  // engine code of a with dieresis
    st().text.charMapping = 1;
    EXPECT_EQ(textWidth("\xe4"), direct);  // ISO 8859-1 a with dieresis
    EXPECT_EQ(textWidth("\x80"), textWidth(" "));  // no letter there
    EXPECT_EQ(winAnsiCode(127), 196);
    EXPECT_EQ(winAnsiCode(186), 191);
    EXPECT_EQ(winAnsiCode(187), 32);
}

TEST_F(TextTest, ScreenFontThroughTheWindowBackend)
{
    MemoryWindowBackend backend;
    WindowBackendScope scope(&backend);
    metafl("XWIN");
    window(10, 10, 961, 681);
    disini();
    hwfont();
    ASSERT_EQ(st().text.fontKind, kScreenFontKind);
    EXPECT_EQ(st().text.fontName, "Times New Roman");
    MemoryWindow* w = backend.window();
    ASSERT_NE(w, nullptr);
    const float s = st().cycle.devscl;
    ASSERT_GT(s, 0.25f);
    EXPECT_EQ(w->font().face, "Times New Roman");
    EXPECT_EQ(w->font().cellHeight, static_cast<int>(13 * 36 * s * 0.125 + 0.5));
    height(50);
    const int cell = static_cast<int>(13 * 50 * s * 0.125 + 0.5);
    EXPECT_EQ(w->font().cellHeight, cell);
    // The memory window makes capitals 0.7 of the cell wide.
    const int units = static_cast<int>(cell * 0.7 * 10);
    EXPECT_EQ(st().text.widths['A' - 31], units);
    EXPECT_EQ(textWidth("A"), std::lround(units / (s * 10)));
    // Accented engine codes are measured and set as their window letters.
    EXPECT_EQ(st().text.widths[127 - 31], static_cast<int>(w->advanceWidth(U'\u00c4') * 10));
    drawText("\x7f", 100, 100);
    ASSERT_EQ(w->chars().size(), 1u);
    EXPECT_EQ(w->chars()[0].ch, U'\u00c4');
    angle(90);
    EXPECT_EQ(w->font().escapement, 900);
    winmod("NONE");
    disfin();
}

TEST_F(TextTest, EpsTextIsSetInTimesRomanAndReadsBack)
{
    const std::string file = dir.file("text.eps");
    open("EPS", file);
    errmod("ALL", "OFF");
    hwfont();
    height(50);
    messag("Quorva 12:34, r=1.5MHz", 300, 300);
    messag("\x7f\x82\x85 Tr", 300, 600);  // A and a with dieresis, sharp s
    disfin();
    const std::string ps = readFile(file);
    EXPECT_NE(ps.find("(Times-Roman) (Times-Roman-German) GermanVec ReEncodeSmall"), std::string::npos);
    // Landscape page: each character at angle 0 + 90.
    EXPECT_TRUE(std::regex_search(ps, std::regex(R"(81\s+\d+\s+\d+\s+90\s+c\s+117\s+\d+\s+\d+\s+90\s+c)")));

    const std::string text = ghostscriptText(file);
    EXPECT_NE(text.find("Quorva 12:34, r=1.5MHz"), std::string::npos) << text;
    EXPECT_NE(text.find("\u00c4\u00e4\u00df Tr"), std::string::npos) << text;
    EXPECT_EQ(text.find("gs failed"), std::string::npos) << text;
}

} // namespace
