// Titles and page decoration, and the whole page of the plot sequence on
// EPS (rendered by Ghostscript) and on the PNG device code (stroke font).
#include "AxisTestSupport.h"

#include "engine/core/AxisInternal.h"
#include "engine/output/MemoryWindowBackend.h"
#include "engine/output/ScreenWriter.h"

#include <algorithm>
#include <cmath>
#include <regex>

namespace {

using namespace zedozo;
using namespace axistest;

// Date and time of SOURCE_DATE_EPOCH=1700000000 (UTC).
const char* const kHeader = "VAXO 14.11.2023, 22:13:20, ZEDOZO 9.1 Tervasol";

class PageTest : public EngineFixture {};

bool hasSegment(const std::vector<Segment>& segs, float x0, float y0, float x1, float y1)
{
    return std::any_of(segs.begin(), segs.end(), [&](const Segment& s) {
        return std::fabs(s.x0 - x0) < 0.01f && std::fabs(s.y0 - y0) < 0.01f && std::fabs(s.x1 - x1) < 0.01f &&
               std::fabs(s.y1 - y1) < 0.01f;
    });
}

// ---- titles -----------------------------------------------------------------------

TEST_F(PageTest, TitleLineFourAboveTheAxisSystem)
{
    openRecorded("EPS");
    programAxisSettings("Time", "Flux");
    const std::string line = "LC20231114_SFU.txt:r= 45.00MHz, g= 90.00MHz, b=180.00MHz";
    titlin(line, 4);
    graf(0, 24, 0, 2, 0, 100, 0, 20);
    const int w = textWidth(line);
    rec->clear();
    title();
    const std::vector<RecString> got = strings(rec->chars);
    ASSERT_EQ(got.size(), 1u);   // lines 1 to 3 are empty and take no room
    EXPECT_EQ(got[0].text, line);
    // Upper edge at 1800 - 1600 - 150 = 50, baseline 49 below it.
    EXPECT_EQ(got[0].y, 50 + 49);
    EXPECT_EQ(got[0].x, 350 + (2200 - w) / 2);
    // Centred over 350 to 2549.
    EXPECT_NEAR(got[0].x - 350, 2549 - got[0].endX, 1.5);
    for (const RecChar& c : rec->chars) EXPECT_EQ(c.p.height, 50.0f);
}

TEST_F(PageTest, TitleLinesSpacingUnderlineAndChecks)
{
    openRecorded("EPS");
    programAxisSettings("", "");
    axslen(2200, 1400);   // top of the axis system at 400
    std::string out = captureStdout([] {
        titlin("never", 5);
        titlin("never", 0);
        titlin("never", -5);
    });
    EXPECT_NE(out.find(" <<<< Warning   2: Incorrect parameter in titlin!   (   5)"), std::string::npos) << out;
    EXPECT_NE(out.find(" <<<< Warning   2: Incorrect parameter in titlin!   (   0)"), std::string::npos) << out;
    for (const std::string& l : st().title.lines) EXPECT_TRUE(l.empty());

    titlin("Line two", -2);
    titlin("Line four", 4);
    titlin(std::string(200, 't'), 1);
    EXPECT_EQ(st().title.lines[0].size(), 132u);
    titlin("", 1);
    EXPECT_EQ(st().title.underline[1], '1');
    EXPECT_EQ(st().title.underline[3], '0');
    graf(0, 24, 0, 2, 0, 100, 0, 20);
    const int w2 = textWidth("Line two");
    flushPolyline();   // the frame
    rec->clear();
    title();
    flushPolyline();
    const std::vector<RecString> got = strings(rec->chars);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].text, "Line two");
    EXPECT_EQ(got[1].text, "Line four");
    // Line 4 three heights above the axis system, line 2 two spacings of
    // 1.5 heights higher.
    EXPECT_EQ(got[1].y, 400 - 150 + 49);
    EXPECT_EQ(got[0].y, 400 - 150 - 150 + 49);
    // Underline 1.2 heights below the upper edge, half a height beyond the text.
    const float x2 = got[0].x;
    const std::vector<Segment> segs = segments(rec->vecs);
    ASSERT_EQ(segs.size(), 1u);
    EXPECT_EQ(segs[0].y0, 160);
    EXPECT_EQ(segs[0].y1, 160);
    EXPECT_EQ(segs[0].x0, x2 - 25);
    EXPECT_EQ(segs[0].x1, x2 + w2 + 25);
}

// ---- page decoration ---------------------------------------------------------------

TEST_F(PageTest, BorderAndFill)
{
    openRecorded("EPS");
    const int colourBefore = st().colour.current;
    pagera();
    pagfll(255);
    const std::vector<Segment> segs = segments(rec->vecs);
    ASSERT_EQ(segs.size(), 4u);
    EXPECT_TRUE(hasSegment(segs, 0, 0, 0, 2099));
    EXPECT_TRUE(hasSegment(segs, 0, 2099, 2969, 2099));
    EXPECT_TRUE(hasSegment(segs, 2969, 2099, 2969, 0));
    EXPECT_TRUE(hasSegment(segs, 2969, 0, 0, 0));
    ASSERT_EQ(rec->rects.size(), 1u);
    const RecRect& r = rec->rects[0];
    EXPECT_EQ(r.x1 + r.y1, 0);
    EXPECT_EQ(r.x2, 2969);
    EXPECT_EQ(r.y2, 2099);
    EXPECT_EQ(r.colour, 255);
    // The border reached the device before the fill that covers it.
    EXPECT_EQ(r.vecsBefore, rec->vecs.size());
    EXPECT_EQ(st().colour.current, colourBefore);
    ASSERT_FALSE(rec->colours.empty());
    EXPECT_EQ(rec->colours.back(), colourBefore);

    // An explicit colour is passed on as such; a negative one is refused.
    pagfll(0x010000FF);
    ASSERT_EQ(rec->rects.size(), 2u);
    EXPECT_EQ(rec->rects[1].colour, 0x010000FF);
    const std::string out = captureStdout([] { pagfll(-1); });
    EXPECT_NE(out.find(" <<<< Warning   2: Incorrect parameter in pagfll!   (  -1)"), std::string::npos) << out;
    EXPECT_EQ(rec->rects.size(), 2u);

    // Not before disini.
    captureStdout([] { disfin(); });
    const std::string late = captureStdout([] {
        pagera();
        paghdr("a", "b", 1, 1);
    });
    EXPECT_NE(late.find("Incorrect level in pagera!"), std::string::npos) << late;
    EXPECT_NE(late.find("Incorrect level in paghdr!"), std::string::npos) << late;
}

TEST_F(PageTest, HeaderTextAndPlacement)
{
    EXPECT_EQ(pageHeaderText("VAXO", "Tervasol"), kHeader);
    const std::string longer = pageHeaderText(std::string(150, 'a'), "after");
    EXPECT_EQ(longer.size(), 132u);
    EXPECT_EQ(longer.substr(0, 102), std::string(100, 'a') + " 1");
    EXPECT_EQ(pageHeaderText(std::string(95, 'b'), "after"),
              std::string(95, 'b') + " 14.11.2023, 22:13:20, ZEDOZO 9.1 aft");

    openRecorded("EPS");
    hwfont();
    height(50);
    rec->clear();
    // The program's call: upwards along the left edge, 100 above the bottom.
    paghdr("VAXO", "Tervasol", 1, 1);
    std::vector<RecString> got = strings(rec->chars);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].text, kHeader);
    EXPECT_EQ(got[0].angle, 90);
    EXPECT_EQ(got[0].x, 15 + 29);   // top of the text on x = 15, 30 high
    EXPECT_EQ(got[0].y, 2099 - 100);
    EXPECT_LT(got[0].endY, got[0].y);
    for (const RecChar& c : rec->chars) EXPECT_EQ(c.p.height, 30.0f);
    EXPECT_EQ(st().text.angle, 0);
    ASSERT_GE(rec->fonts.size(), 2u);
    EXPECT_EQ(rec->fonts.front().height, 30.0f);
    EXPECT_EQ(rec->fonts.back().height, 50.0f);

    // Upper right, horizontal; an empty text before leaves the blank.
    height(30);
    const int w = textWidth(pageHeaderText("", "x"));
    height(50);
    rec->clear();
    paghdr("", "x", 3, 0);
    got = strings(rec->chars);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].text[0], ' ');
    EXPECT_EQ(got[0].angle, 0);
    EXPECT_EQ(got[0].x, 2969 - 100 - w);
    EXPECT_EQ(got[0].y, 15 + 29);

    // Right edge from the bottom, reading downwards.
    height(30);
    const int wh = textWidth(kHeader);
    height(50);
    rec->clear();
    paghdr("VAXO", "Tervasol", 2, 1);
    got = strings(rec->chars);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].angle, 270);
    EXPECT_EQ(got[0].x, 2969 - 15 - 29);
    EXPECT_EQ(got[0].y, 2099 - wh - 100);
    EXPECT_GT(got[0].endY, got[0].y);

    // Bad position and direction: warnings, then position 1 upwards.
    rec->clear();
    const std::string out = captureStdout([] { paghdr("VAXO", "Tervasol", 5, 2); });
    EXPECT_EQ(out, " <<<< Warning   2: Incorrect parameter in paghdr!   (   5)\n"
                   " <<<< Warning   2: Incorrect parameter in paghdr!   (   2)\n");
    got = strings(rec->chars);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].angle, 90);
    EXPECT_EQ(got[0].y, 1999);
}

// ---- the plot sequence ---------------------------------------------------------------

struct PageData {
    std::vector<float> t, c1, c2, c3;
    PageData()
    {
        for (int i = 0; i <= 240; ++i) {
            const float x = i * 0.1f;
            t.push_back(x);
            c1.push_back(50 + 40 * std::sin(x / 3));
            c2.push_back(50 + 30 * std::cos(x / 2));
            c3.push_back(10 + 3.5f * x);
        }
    }
};

const char* const kTitle = "LC20231114_SFU.txt:r= 45.00MHz, g= 90.00MHz, b=180.00MHz";

// The 34 calls of the plot sequence with the program's fixed arguments.
void plotSequence(const char* device, const std::string& file, const PageData& d, float yStep)
{
    const bool pixels = std::string("XWIN").find(device) != std::string::npos ||
                        std::string("PNG").find(device) != std::string::npos;
    metafl(device);
    window(10, 10, 853, 603);
    setfil(file);
    filmod("DELETE");
    disini();
    winmod("NONE");
    errmod("ALL", "OFF");
    pagera();
    pagfll(pixels ? 255 : 0);
    hwfont();
    height(50);
    paghdr("VAXO", "Tervasol", 1, 1);
    axspos(350, 1800);
    axslen(2200, 1600);
    name("Time [UT]", "x");
    name("Flux [SFU]", "y");
    titlin(kTitle, 4);
    color(pixels ? "black" : "white");
    labdig(1, "x");
    axsscl("LIN", "y");
    labdig(1, "y");
    hname(55);
    labels("FLOAT", "y");
    thkcrv(2);
    graf(0, 24, 0, 2, 0, 100, 0, yStep);
    title();
    const int n = int(d.t.size());
    color("red");
    curve(d.t.data(), d.c1.data(), n);
    color("green");
    curve(d.t.data(), d.c2.data(), n);
    color("blue");
    curve(d.t.data(), d.c3.data(), n);
    endgrf();
    disfin();
}

// The characters of the "c" tokens of a PostScript body, in file order.
std::string characterTokens(const std::string& ps)
{
    std::istringstream in(ps);
    std::vector<std::string> tok;
    std::string t, text;
    while (in >> t) {
        tok.push_back(t);
        if (t == "c" && tok.size() >= 5) text += static_cast<char>(std::stoi(tok[tok.size() - 5]));
    }
    return text;
}

TEST_F(PageTest, EpsPageOfThePlotSequenceRendersWithItsText)
{
    const std::string file = dir.file("LCPlot_test.eps");
    PageData d;
    plotSequence("EPS", file, d, 20);
    ASSERT_FALSE(lastFailure().failed()) << lastFailure().text;
    const std::string ps = readFile(file);
    ASSERT_FALSE(ps.empty());

    expectGhostscriptAccepts(file);

    // Every character in drawing order: header, x labels, x name, y labels,
    // y name, title.
    std::string want = kHeader;
    for (int v = 0; v <= 24; v += 2) want += std::to_string(v) + ".0";
    want += "Time [UT]";
    for (int v = 0; v <= 100; v += 20) want += std::to_string(v) + ".0";
    want += "Flux [SFU]";
    want += kTitle;
    EXPECT_EQ(characterTokens(ps), want);

    // Times-Roman, the white fill before everything, the curves in red,
    // green and blue after the text, and the page closed.
    EXPECT_NE(ps.find("(Times-Roman) (Times-Roman-German) GermanVec ReEncodeSmall"), std::string::npos);
    const std::size_t fill = ps.find(" 255 255 255 e ");
    const std::size_t red = ps.find("255 0 0 f");
    const std::size_t green = ps.find("0 255 0 f");
    const std::size_t blue = ps.find("0 0 255 f");
    const std::size_t lastChar = ps.rfind(" c ");
    ASSERT_NE(fill, std::string::npos);
    ASSERT_NE(red, std::string::npos);
    EXPECT_LT(fill, ps.find(" c "));
    EXPECT_LT(lastChar, red);
    EXPECT_LT(red, green);
    EXPECT_LT(green, blue);
    EXPECT_NE(ps.find("showpage"), std::string::npos);

    // Ghostscript reads the upright text back as lines once the landscape
    // page is turned back.
    const std::string txt = ghostscriptText(file);
    EXPECT_NE(txt.find(kTitle), std::string::npos) << txt;
    EXPECT_NE(txt.find("Time [UT]"), std::string::npos) << txt;
    EXPECT_TRUE(std::regex_search(txt, std::regex(R"(0\.0\s+2\.0\s+4\.0\s+6\.0)"))) << txt;
    EXPECT_NE(txt.find("100.0"), std::string::npos) << txt;

    // A refused axis system (zero step) leaves border, fill and header: no
    // labels, names or title.
    plotSequence("EPS", file, d, 0);
    ASSERT_FALSE(lastFailure().failed()) << lastFailure().text;
    const std::string flat = readFile(file);
    EXPECT_EQ(characterTokens(flat), kHeader);
    EXPECT_NE(flat.find(" 255 255 255 e "), std::string::npos);
    expectGhostscriptAccepts(file);
}

TEST_F(PageTest, PngDeviceDrawsTextWithTheStrokeFont)
{
    openRecorded("PNG", DeviceFamily::Raster);
    programAxisSettings("Time [UT]", "Flux [SFU]");
    EXPECT_EQ(st().text.fontKind, kStrokeFontKind);
    EXPECT_EQ(st().text.fontNumber, 3);
    titlin(kTitle, 4);
    rec->clear();
    graf(0, 24, 0, 2, 0, 100, 0, 20);
    flushPolyline();
    const std::size_t axisVectors = rec->vecs.size();
    title();
    flushPolyline();
    EXPECT_TRUE(rec->chars.empty());

    // Label strokes in the band under the x axis, name strokes below them,
    // y labels and the upward y name left of the axis, the title on top.
    auto count = [&](std::size_t from, std::size_t to, float x0, float x1, float y0, float y1) {
        int n = 0;
        for (std::size_t i = from; i < to; ++i) {
            const RecVec& v = rec->vecs[i];
            if (v.x >= x0 && v.x <= x1 && v.y >= y0 && v.y <= y1) ++n;
        }
        return n;
    };
    EXPECT_GT(count(0, axisVectors, 300, 2600, 1848, 1897), 100);
    EXPECT_GT(count(0, axisVectors, 1000, 1900, 1928, 1982 + 20), 30);
    EXPECT_GT(count(0, axisVectors, 200, 302, 201, 1830), 50);
    EXPECT_GT(count(0, axisVectors, 0, 200, 500, 1500), 30);
    const std::size_t all = rec->vecs.size();
    EXPECT_GT(count(axisVectors, all, 350, 2549, 50, 99 + 15), 200);
    // Nothing of the title above its upper edge.
    for (std::size_t i = axisVectors; i < all; ++i) EXPECT_GE(rec->vecs[i].y, 50) << i;
}

TEST_F(PageTest, ScreenPageSetsNamesAndHeaderInTurnedWindowFonts)
{
    MemoryWindowBackend backend;
    WindowBackendScope scope(&backend);
    PageData d;
    plotSequence("XWIN", "", d, 20);
    MemoryWindow* w = backend.window();
    ASSERT_NE(w, nullptr);
    std::u32string upward, level;
    int levelCell = 0, nameCell = 0;
    for (const MemoryChar& c : w->chars()) {
        if (c.escapement == 900) upward += c.ch;
        else if (c.escapement == 0) level += c.ch;
        if (c.ch == U'2' && c.escapement == 0) levelCell = std::max(levelCell, c.cellHeight);
        if (c.ch == U'F' && c.escapement == 900) nameCell = std::max(nameCell, c.cellHeight);
    }
    // Header and y name read upwards; labels, x name and title are level.
    std::u32string header;
    for (const char* p = kHeader; *p; ++p) header += char32_t(*p);
    EXPECT_EQ(upward, header + U"Flux [SFU]");
    EXPECT_NE(level.find(U"Time [UT]"), std::u32string::npos);
    EXPECT_NE(level.find(U"0.02.04.0"), std::u32string::npos);
    std::u32string title;
    for (const char* p = kTitle; *p; ++p) title += char32_t(*p);
    EXPECT_NE(level.find(title), std::u32string::npos);
    // The name is set 55 high, the rest 50: a larger cell for the name.
    EXPECT_GT(levelCell, 0);
    EXPECT_GT(nameCell, levelCell);
    EXPECT_EQ(st().text.angle, 0);
    EXPECT_EQ(st().text.height, 50);
    // endgrf showed the page.
    EXPECT_GE(w->presents(), 1);
}

} // namespace
