// The axis system: settings and their checks, graf's checks and mapping,
// ticks, FLOAT labels, axis names, frame, clip rectangle, endgrf.
#include "AxisTestSupport.h"

#include "engine/core/AxisInternal.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace zedozo;
using namespace axistest;

// Tick segments of one side: axis-parallel segments of tick length that
// touch the axis line at `base` (a y for X axes, an x for Y axes).
struct Tick {
    int pos;          // x of an X-axis tick, y of a Y-axis tick
    int length;       // 16 minor, 24 major
    bool fromBase;    // drawn from the axis line outwards
};

std::vector<Tick> ticksOf(const std::vector<Segment>& segs, bool xAxis, float base)
{
    std::vector<Tick> out;
    for (const Segment& s : segs) {
        if (xAxis && s.x0 == s.x1 && (s.y0 == base || s.y1 == base)) {
            const int len = int(std::lround(std::fabs(s.y1 - s.y0)));
            if (len == 16 || len == 24) out.push_back({int(s.x0), len, s.y0 == base});
        } else if (!xAxis && s.y0 == s.y1 && (s.x0 == base || s.x1 == base)) {
            const int len = int(std::lround(std::fabs(s.x1 - s.x0)));
            if (len == 16 || len == 24) out.push_back({int(s.y0), len, s.x0 == base});
        }
    }
    return out;
}

// Strings set with angle 0 on the given baseline.
std::vector<RecString> stringsOnBaseline(const std::vector<RecChar>& chars, float y)
{
    std::vector<RecString> out;
    for (const RecString& s : strings(chars))
        if (s.angle == 0 && std::fabs(s.y - y) < 0.01f) out.push_back(s);
    return out;
}

std::vector<std::string> texts(const std::vector<RecString>& v)
{
    std::vector<std::string> out;
    for (const RecString& s : v) out.push_back(s.text);
    return out;
}

class AxisTest : public EngineFixture {};

// ---- label texts and settings ---------------------------------------------------

TEST(FloatLabel, DigitsWidthsAndRounding)
{
    char buf[512];
    auto fmt = [&](float v, int ndig) {
        formatFloatLabel(buf, sizeof buf, v, ndig);
        return std::string(buf);
    };
    EXPECT_EQ(fmt(12.5f, 1), "12.5");
    EXPECT_EQ(fmt(9.96f, 1), "10.0");
    // labdig -1: rounded half away from zero, no point
    EXPECT_EQ(fmt(12.5f, -1), "13");
    EXPECT_EQ(fmt(-12.5f, -1), "-13");
    EXPECT_EQ(fmt(-0.4f, -1), "0");
    // labdig 0 reserves one place more than it prints
    EXPECT_EQ(fmt(-8.0f, 0), " -8");
    EXPECT_EQ(fmt(3.14159f, 3), "3.142");
    // A negative value that shows as zero is shown as zero.
    EXPECT_EQ(fmt(-0.04f, 1), "0.0");
    EXPECT_EQ(fmt(-0.05f, 1), "-0.1");
    // Extremes neither crash nor overflow the buffer.
    EXPECT_EQ(fmt(3.0e38f, -1).size(), 39u);
    EXPECT_EQ(fmt(1.5f, 100).substr(0, 4), "1.50");
    EXPECT_EQ(fmt(1.5f, 100).size(), 102u);
    char small[4];
    EXPECT_EQ(formatFloatLabel(small, sizeof small, 1234.5f, 1), 3);
    EXPECT_STREQ(small, "123");
}

TEST_F(AxisTest, SettingsChecksAndLevels)
{
    std::string out = captureStdout([] { labdig(3, "x"); });
    EXPECT_NE(out.find(" <<<< Warning   3: Incorrect level in labdig!   (   0)"), std::string::npos) << out;
    openRecorded("EPS");
    const AxisState& a = st().axis;
    EXPECT_EQ(a.axis[0].digits, 1);   // disini resets what was set before
    EXPECT_EQ(a.posX, 494);
    EXPECT_EQ(a.lenY, 1400);

    out = captureStdout([] {
        axspos(100, 2100);
        axslen(1, 1600);
        hname(10001);
        labdig(-2, "x");
        labels("XYZ", "x");
        axsscl("LI", "y");
    });
    EXPECT_EQ(out, " <<<< Warning   2: Incorrect parameter in axspos!   (2100)\n"
                   " <<<< Warning   2: Incorrect parameter in axslen!   (   1)\n"
                   " <<<< Warning   2: Incorrect parameter in hname!   (10001)\n"
                   " <<<< Warning   2: Incorrect parameter in labdig!   (  -2)\n"
                   " <<<< Warning   2: Incorrect parameter in labels!   (XYZ)\n"
                   " <<<< Warning   2: Incorrect parameter in axsscl!   (LI)\n");
    EXPECT_EQ(a.posY, 1799);
    EXPECT_EQ(a.lenX, 1980);
    EXPECT_EQ(a.nameHeight, 36);
    EXPECT_EQ(a.axis[0].digits, 1);
    EXPECT_EQ(a.axis[0].labelType, kLabelFloat);
    EXPECT_EQ(a.axis[1].scaling, 0);

    // Accepted values, the bounds included.
    axspos(2969, 2099);
    EXPECT_EQ(a.posX, 2969);
    labdig(-1, "xy");
    EXPECT_EQ(a.axis[1].digits, -1);
    EXPECT_EQ(a.axis[2].digits, 1);
    labdig(3, "BARS");   // digits of bar plots, not of an axis
    EXPECT_EQ(a.axis[0].digits, -1);
    EXPECT_EQ(a.otherDigits[0], 3);
    name(std::string(200, 'n'), "XZ");
    EXPECT_EQ(a.axis[0].name, std::string(132, 'n'));
    EXPECT_EQ(a.axis[2].name.size(), 132u);
    EXPECT_TRUE(a.axis[1].name.empty());

    // Position and lengths only before graf.
    graf(0, 1, 0, 1, 0, 1, 0, 1);
    ASSERT_EQ(st().level, 2);
    out = captureStdout([] { axslen(100, 100); });
    EXPECT_EQ(out, " <<<< Warning   3: Incorrect level in axslen!   (   2)\n");
    EXPECT_EQ(a.lenX, 1980);
}

// ---- graf: checks ---------------------------------------------------------------------

TEST_F(AxisTest, GrafRefusesZeroStepAndEqualLimitsAndCurveAndTitleFollow)
{
    openRecorded("EPS");
    programAxisSettings("Time", "Flux");
    titlin("A title", 4);
    rec->clear();
    const long long vectorsBefore = st().cycle.vectorCount;

    std::string out = captureStdout([] { graf(0, 24, 0, 0, 5, 5, 5, 1); });
    EXPECT_NE(out.find(" <<<< Warning   9: Step equal zero in graf!\n"), std::string::npos) << out;
    EXPECT_NE(out.find(" <<<< Warning  10: Begin and end of scaling are equal in graf!\n"), std::string::npos) << out;
    EXPECT_EQ(st().level, 1);

    const float x[3] = {0, 1, 2}, y[3] = {5, 6, 7};
    out = captureStdout([&] {
        curve(x, y, 3);
        title();
    });
    EXPECT_NE(out.find(" <<<< Warning   3: Incorrect level in curve!   (   1)"), std::string::npos) << out;
    EXPECT_NE(out.find(" <<<< Warning   3: Incorrect level in title!   (   1)"), std::string::npos) << out;
    flushPolyline();
    EXPECT_EQ(st().cycle.vectorCount, vectorsBefore);
    EXPECT_TRUE(rec->vecs.empty());
    EXPECT_TRUE(rec->chars.empty());

    // A zero step alone, and equal limits alone, are refused as well; with
    // warnings off nothing is written but the warnings are counted.
    errmod("ALL", "OFF");
    const int counted = st().warn.warningCount;
    out = captureStdout([] {
        graf(0, 24, 0, 2, 0, 100, 0, 0);
        graf(3, 3, 3, 1, 0, 100, 0, 20);
    });
    EXPECT_EQ(out, "");
    // 9; then 10, and 50 because equal limits count as descending.
    EXPECT_EQ(st().warn.warningCount, counted + 3);
    EXPECT_EQ(st().level, 1);
    flushPolyline();
    EXPECT_TRUE(rec->vecs.empty());

    // Limits and steps that are not numbers are refused too.
    graf(0, std::numeric_limits<float>::quiet_NaN(), 0, 2, 0, 100, 0, 20);
    graf(0, 24, 0, std::numeric_limits<float>::infinity(), 0, 100, 0, 20);
    EXPECT_EQ(st().level, 1);
    flushPolyline();
    EXPECT_TRUE(rec->vecs.empty());
}

TEST_F(AxisTest, GrafWarnsAboutFirstLabelAndStepSignButDraws)
{
    openRecorded("EPS");
    programAxisSettings("Time", "Flux");
    std::string out = captureStdout([] { graf(0, 24, 30, 2, 0, 100, 0, -20); });
    EXPECT_NE(out.find(" <<<< Warning  12: Startlabel out of scaling in graf!\n"), std::string::npos) << out;
    EXPECT_NE(out.find(" <<<< Warning  50: Incorrect sign for step in graf!\n"), std::string::npos) << out;
    EXPECT_EQ(st().level, 2);
    flushPolyline();
    // The frame is there; the y axis with its step pointing away from the
    // range has no labels and no ticks.
    const std::vector<Segment> segs = segments(rec->vecs);
    EXPECT_TRUE(std::any_of(segs.begin(), segs.end(), [](const Segment& s) {
        return s.x0 == 350 && s.y0 == 201 && s.x1 == 2549 && s.y1 == 201;
    }));
    EXPECT_TRUE(ticksOf(segs, false, 350).empty());
    for (const RecString& s : strings(rec->chars)) EXPECT_NE(s.text.back(), '0') << s.text;   // no number

    // A second graf without endgrf is refused.
    out = captureStdout([] { graf(0, 1, 0, 1, 0, 1, 0, 1); });
    EXPECT_NE(out.find(" <<<< Warning   3: Incorrect level in graf!   (   2)"), std::string::npos) << out;
    EXPECT_EQ(st().map.xe, 24.0f);
}

// ---- graf: mapping and clip rectangle ---------------------------------------------------

TEST_F(AxisTest, MappingAndClipRectangle)
{
    openRecorded("EPS");
    programAxisSettings("", "");
    graf(0, 24, 0, 2, -50, 150, -50, 50);
    const UserMapping& m = st().map;
    float px, py;
    mapPoint(st(), 12, 50, px, py);
    EXPECT_FLOAT_EQ(px, 350 + 12 * 2199.0f / 24.0f);
    EXPECT_FLOAT_EQ(py, 1800 - 100 * 1599.0f / 200.0f);
    // One plot unit inside the axis lines.
    EXPECT_EQ(m.clipRect[0], 351);
    EXPECT_EQ(m.clipRect[1], 202);
    EXPECT_EQ(m.clipRect[2], 2548);
    EXPECT_EQ(m.clipRect[3], 1799);

    // A curve through the whole range stays inside that rectangle.
    const float x[3] = {-5, 12, 30}, y[3] = {-100, 50, 400};
    rec->clear();
    curve(x, y, 3);
    ASSERT_FALSE(rec->vecs.empty());
    for (const RecVec& v : rec->vecs) {
        EXPECT_GE(v.x, 351 - 0.01f);
        EXPECT_LE(v.x, 2548 + 0.01f);
        EXPECT_GE(v.y, 202 - 0.01f);
        EXPECT_LE(v.y, 1799 + 0.01f);
    }
    endgrf();
    EXPECT_EQ(st().level, 1);
    EXPECT_EQ(st().curve.curveNumber, 1);
    std::string out = captureStdout([&] { curve(x, y, 3); });
    EXPECT_NE(out.find("Incorrect level in curve!"), std::string::npos);
    captureStdout([] { disfin(); });

    // Pixel devices keep curves a pixel further in.
    openRecorded("PNG", DeviceFamily::Raster);
    programAxisSettings("", "");
    graf(0, 24, 0, 2, 0, 100, 0, 20);
    EXPECT_EQ(st().map.clipRect[0], 352);
    EXPECT_EQ(st().map.clipRect[1], 203);
    EXPECT_EQ(st().map.clipRect[2], 2547);
    EXPECT_EQ(st().map.clipRect[3], 1798);
}

TEST_F(AxisTest, LogarithmicAxis)
{
    openRecorded("EPS");
    programAxisSettings("", "");
    axsscl("LOG", "y");
    graf(0, 24, 0, 2, 0, 3, 0, 1);
    ASSERT_EQ(st().level, 2);
    float px, py;
    mapPoint(st(), 0, 100, px, py);
    EXPECT_FLOAT_EQ(py, 1800 - 2 * 1599.0f / 3.0f);
    EXPECT_EQ(st().map.yRange[0], 1.0f);
    EXPECT_EQ(st().map.yRange[1], 1000.0f);
    flushPolyline();
    // Labels at the powers of ten; major ticks there, minor ticks at 2..9
    // times each power.
    std::vector<std::string> yLabels;
    for (const RecString& s : strings(rec->chars))
        if (s.x < 350 && s.angle == 0 && s.y != 1897) yLabels.push_back(s.text);
    EXPECT_EQ(yLabels, (std::vector<std::string>{"1.0", "10.0", "100.0", "1000.0"}));
    const std::vector<Tick> left = ticksOf(segments(rec->vecs), false, 350);
    EXPECT_EQ(std::count_if(left.begin(), left.end(), [](const Tick& t) { return t.length == 24; }), 4);
    EXPECT_EQ(std::count_if(left.begin(), left.end(), [](const Tick& t) { return t.length == 16; }), 24);
    const int y2 = int(1800 + 0.5 - std::log10(2.0) * 1599.0 / 3.0);
    EXPECT_TRUE(std::any_of(left.begin(), left.end(), [y2](const Tick& t) { return t.pos == y2 && t.length == 16; }));
}

// ---- the drawing ------------------------------------------------------------------------

TEST_F(AxisTest, ZeroTo24By2Has13LabelsAnd25Ticks)
{
    openRecorded("EPS");
    programAxisSettings("Time [UT]", "Flux [SFU]");
    rec->clear();
    graf(0, 24, 0, 2, 0, 100, 0, 20);
    flushPolyline();
    const std::vector<Segment> segs = segments(rec->vecs);

    // Lower x axis: 25 ticks every hour, every second one a major tick
    // under a label.
    const std::vector<Tick> lower = ticksOf(segs, true, 1800);
    ASSERT_EQ(lower.size(), 25u);
    for (int i = 0; i < 25; ++i) {
        EXPECT_EQ(lower[i].pos, int(i * 91.625 + 350.5)) << i;
        EXPECT_EQ(lower[i].length, i % 2 == 0 ? 24 : 16) << i;
    }
    // Upper x axis: the same ticks pointing up; left and right y axes: 11.
    const std::vector<Tick> upper = ticksOf(segs, true, 201);
    ASSERT_EQ(upper.size(), 25u);
    for (const Segment& s : segs) {
        if (s.x0 == s.x1 && (s.y0 == 201 || s.y1 == 201) && s.x0 != 350 && s.x0 != 2549) {
            EXPECT_LE(std::max(s.y0, s.y1), 201);
        }
    }
    EXPECT_EQ(ticksOf(segs, false, 350).size(), 11u);
    EXPECT_EQ(ticksOf(segs, false, 2549).size(), 11u);
    for (const Segment& s : segs) {
        if (s.y0 == s.y1 && (s.x0 == 350 || s.x1 == 350) && std::fabs(s.x1 - s.x0) <= 24) {
            EXPECT_LE(std::max(s.x0, s.x1), 350);
        }
    }

    // Successive tick lines alternate their direction.
    const std::vector<Tick> left = ticksOf(segs, false, 350);
    for (std::size_t i = 1; i < lower.size(); ++i) EXPECT_NE(lower[i].fromBase, lower[i - 1].fromBase) << i;
    EXPECT_NE(left.front().fromBase, lower.back().fromBase);

    // 13 labels centred under the major ticks, upper edge 48 below the axis.
    const std::vector<RecString> labs = stringsOnBaseline(rec->chars, 1800 + 48 + 49);
    ASSERT_EQ(labs.size(), 13u);
    for (int i = 0; i < 13; ++i) {
        char want[16];
        std::snprintf(want, sizeof want, "%d.0", 2 * i);
        EXPECT_EQ(labs[i].text, want);
        const int w = textWidth(want);
        EXPECT_EQ(labs[i].x, float(int(350.5 + 2 * i * 91.625 - w * 0.5))) << want;
        const float centre = (labs[i].x + labs[i].endX) / 2;
        EXPECT_NEAR(centre, lower[2 * i].pos, 1.0) << want;
    }

    // The frame on the axis lines.
    auto hasSegment = [&](float x0, float y0, float x1, float y1) {
        return std::any_of(segs.begin(), segs.end(), [&](const Segment& s) {
            return (s.x0 == x0 && s.y0 == y0 && s.x1 == x1 && s.y1 == y1) ||
                   (s.x0 == x1 && s.y0 == y1 && s.x1 == x0 && s.y1 == y0);
        });
    };
    EXPECT_TRUE(hasSegment(350, 201, 2549, 201));
    EXPECT_TRUE(hasSegment(2549, 201, 2549, 1800));
    EXPECT_TRUE(hasSegment(2549, 1800, 350, 1800));
    EXPECT_TRUE(hasSegment(350, 1800, 350, 201));
}

TEST_F(AxisTest, RangeThatIsNotAMultipleOfTheStep)
{
    openRecorded("EPS");
    programAxisSettings("", "");
    rec->clear();
    graf(0, 10, 0, 3, 0, 100, 0, 20);
    flushPolyline();
    const std::vector<Tick> lower = ticksOf(segments(rec->vecs), true, 1800);
    ASSERT_EQ(lower.size(), 7u);   // 0, 1.5, ..., 9; nothing at 10
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(lower[i].pos, int(i * 1.5 * 219.9 + 350.5)) << i;
        EXPECT_EQ(lower[i].length, i % 2 == 0 ? 24 : 16) << i;
    }
    EXPECT_EQ(texts(stringsOnBaseline(rec->chars, 1897)),
              (std::vector<std::string>{"0.0", "3.0", "6.0", "9.0"}));
}

TEST_F(AxisTest, DescendingAxis)
{
    openRecorded("EPS");
    programAxisSettings("", "");
    rec->clear();
    const std::string out = captureStdout([] { graf(10, 0, 10, -2, 0, 100, 0, 20); });
    EXPECT_EQ(out, "");
    ASSERT_EQ(st().level, 2);
    flushPolyline();
    const std::vector<RecString> labs = stringsOnBaseline(rec->chars, 1897);
    EXPECT_EQ(texts(labs), (std::vector<std::string>{"10.0", "8.0", "6.0", "4.0", "2.0", "0.0"}));
    for (std::size_t i = 1; i < labs.size(); ++i) EXPECT_GT(labs[i].x, labs[i - 1].x);
    const std::vector<Tick> lower = ticksOf(segments(rec->vecs), true, 1800);
    ASSERT_EQ(lower.size(), 11u);
    EXPECT_EQ(lower.front().pos, 350);
    EXPECT_EQ(lower.back().pos, 2549);
    float px, py;
    mapPoint(st(), 10, 0, px, py);
    EXPECT_FLOAT_EQ(px, 350);
    mapPoint(st(), 0, 0, px, py);
    EXPECT_FLOAT_EQ(px, 2549);
}

TEST_F(AxisTest, AxisNamesAndLabelExtent)
{
    openRecorded("EPS");
    programAxisSettings("Time [UT]", "Flux [SFU]");
    height(55);
    const int wx = textWidth("Time [UT]");
    const int wy = textWidth("Flux [SFU]");
    height(50);
    const int widest = textWidth("100.0");
    rec->clear();
    graf(0, 24, 0, 2, 0, 100, 0, 20);
    EXPECT_EQ(st().text.height, 50);

    const std::vector<RecString> all = strings(rec->chars);
    // x name: upper edge 30 + 24 + 24 + 50 = 128 below the axis, 55 high.
    const auto xName = std::find_if(all.begin(), all.end(), [](const RecString& s) { return s.text == "Time [UT]"; });
    ASSERT_NE(xName, all.end());
    EXPECT_EQ(xName->angle, 0);
    EXPECT_EQ(xName->y, 1800 + 128 + 54);
    EXPECT_EQ(xName->x, 350 + int((2200 - wx) * 0.5));
    for (const RecChar& c : rec->chars) {
        if (std::fabs(c.y - xName->y) < 0.01f) {
            EXPECT_EQ(c.p.height, 55.0f);
        }
    }

    // y name: reads upwards, its top edge 78 plus the widest label left of
    // the axis, centred along the axis.
    const auto yName = std::find_if(all.begin(), all.end(), [](const RecString& s) { return s.text == "Flux [SFU]"; });
    ASSERT_NE(yName, all.end());
    EXPECT_EQ(yName->angle, 90);
    const int top = 350 - 78 - widest - 55;
    EXPECT_EQ(yName->x, top + 54);
    EXPECT_EQ(yName->y, 1800 - int((1600 - wy) * 0.5));
    EXPECT_LT(yName->endY, yName->y);

    // y labels end 48 left of the axis, centred on their ticks.
    std::vector<RecString> yLabels;
    for (const RecString& s : all)
        if (s.angle == 0 && s.x < 350 && s.y != 1897) yLabels.push_back(s);
    ASSERT_EQ(yLabels.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(yLabels[i].text, std::to_string(20 * i) + ".0");
        EXPECT_EQ(yLabels[i].x, 302 - textWidth(yLabels[i].text));
        EXPECT_EQ(yLabels[i].y, int(1800 - 0.5 - 20 * i * (1599.0 / 100.0) - 25) + 49);
    }

    // The name height was used through height(): the hardware font
    // followed it and came back.
    ASSERT_GE(rec->fonts.size(), 2u);
    EXPECT_EQ(rec->fonts.front().height, 55.0f);
    EXPECT_EQ(rec->fonts.back().height, 50.0f);
}

TEST_F(AxisTest, NoLabelsMoveTheNameInAndAnEmptyNameMovesNothing)
{
    openRecorded("EPS");
    programAxisSettings("   ", "Flux");
    labels("NONE", "y");
    graf(0, 24, 0, 2, 0, 100, 0, 20);
    std::vector<RecString> first = strings(rec->chars);
    const auto yName = std::find_if(first.begin(), first.end(), [](const RecString& s) { return s.text == "Flux"; });
    ASSERT_NE(yName, first.end());
    EXPECT_EQ(yName->x, 350 - 30 - 24 - 55 + 54);
    for (const RecString& s : first) EXPECT_FALSE(s.x < 350 && s.angle == 0 && s.y != 1897) << s.text;   // no y labels
    for (const RecString& s : first) EXPECT_NE(s.y, 1982) << s.text;                       // no x name

    // A named x axis adds its name and changes nothing else.
    endgrf();
    name("Time", "x");
    rec->clear();
    graf(0, 24, 0, 2, 0, 100, 0, 20);
    std::vector<RecString> second = strings(rec->chars);
    const auto xName = std::find_if(second.begin(), second.end(), [](const RecString& s) { return s.text == "Time"; });
    ASSERT_NE(xName, second.end());
    second.erase(xName);
    ASSERT_EQ(second.size(), first.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(second[i].text, first[i].text);
        EXPECT_EQ(second[i].x, first[i].x);
        EXPECT_EQ(second[i].y, first[i].y);
    }
}

TEST_F(AxisTest, DegenerateStepsEndPromptly)
{
    openRecorded("EPS");
    programAxisSettings("", "");
    rec->clear();
    graf(0, 24, 0, 1e-20f, 0, 100, 0, 20);
    ASSERT_EQ(st().level, 2);
    flushPolyline();
    const std::vector<Segment> segs = segments(rec->vecs);
    // The x axis is too dense for ticks and labels; the y axis is drawn.
    EXPECT_TRUE(ticksOf(segs, true, 1800).empty());
    EXPECT_TRUE(stringsOnBaseline(rec->chars, 1897).empty());
    EXPECT_EQ(ticksOf(segs, false, 350).size(), 11u);
}

TEST_F(AxisTest, TickDirectionIsKeptAcrossCycles)
{
    openRecorded("EPS");
    st().axis.tickReversed = true;   // as an odd number of earlier ticks leaves it
    captureStdout([] { disfin(); });
    openRecorded("EPS");
    EXPECT_TRUE(st().axis.tickReversed);
    programAxisSettings("", "");
    rec->clear();
    graf(0, 2, 0, 1, 0, 1, 0, 1);
    flushPolyline();
    const std::vector<Tick> lower = ticksOf(segments(rec->vecs), true, 1800);
    ASSERT_FALSE(lower.empty());
    EXPECT_FALSE(lower.front().fromBase);
}

} // namespace
