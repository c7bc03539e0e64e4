// Colours, thkcrv and curve: checks, out-of-scaling report, clipping, passes
// and the polyline buffer.
#include "EngineTestSupport.h"

#include <cmath>

using namespace zedozo;
using namespace enginetest;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

// Axis system of the plot job: lower left (350, 1800), 2200 x 1600, user 0..10.
constexpr int kXp = 350, kYp = 1800, kNx = 2200, kNy = 1600;

class Curves : public EngineTest {
protected:
    // EPS cycle whose output goes to a recording device at one device unit
    // per plot unit; the landscape mapping swaps x and y.
    void openRecorded()
    {
        openEps(dir.file("c.eps"));
        st().cycle.devscl = 1.0f;
        st().device = &rec;
        setAxisSystemForTests(0, 10, 0, 10, kXp, kYp, kNx, kNy);
    }
    float px(float x) const { return x * float(kNx - 1) / 10.0f + float(kXp); }
    float py(float y) const { return float(kYp) - y * float(kNy - 1) / 10.0f; }
    // Plot coordinates of a recorded vector.
    static float plotX(const DevVec& v) { return v.y; }
    static float plotY(const DevVec& v) { return v.x; }

    RecordingDevice rec;
};

} // namespace

TEST_F(Curves, RainbowTableAndNearestIndex)
{
    metafl("PNG");
    disini();   // dark background: the table is used as it is
    const std::uint32_t* t = st().colour.table;
    EXPECT_EQ(t[0], 0x000000u);
    EXPECT_EQ(t[1], 0x220044u);
    EXPECT_EQ(t[32], 0x0008FFu);
    EXPECT_EQ(t[96], 0x00FFFFu);
    EXPECT_EQ(t[128], 0x00FF52u);
    EXPECT_EQ(t[192], 0xFFFF00u);
    EXPECT_EQ(t[254], 0xFF0000u);
    EXPECT_EQ(t[255], 0xFFFFFFu);
    for (int i = 2; i <= 254; ++i) {   // smooth between the ends
        for (int sh : {0, 8, 16}) {
            int a = int(t[i - 1] >> sh & 0xFF), b = int(t[i] >> sh & 0xFF);
            EXPECT_LE(std::abs(a - b), 16) << "entry " << i;
        }
    }
    EXPECT_EQ(nearestColourIndex(t, 255, 0, 0, 0), 0);
    EXPECT_EQ(nearestColourIndex(t, 255, 255, 255, 255), 255);
    EXPECT_EQ(nearestColourIndex(t, 255, 255, 0, 0), 254);
    EXPECT_EQ(nearestColourIndex(t, 255, 0, 255, 255), 96);
    disfin();
}

TEST_F(Curves, NamedColoursWithThePaperExchange)
{
    openRecorded();
    EXPECT_EQ(st().colour.table[0], 0xFFFFFFu);   // paper: index 0 is white
    EXPECT_EQ(st().colour.table[255], 0x000000u);
    color("white");
    EXPECT_EQ(st().colour.current, 0x01000000);   // draws black on paper
    color("Black");
    EXPECT_EQ(st().colour.current, 0x01FFFFFF);
    color("red");
    EXPECT_EQ(st().colour.current, 0x010000FF);
    color("Blue");
    EXPECT_EQ(st().colour.current, 0x01FF0000);
    color("ORANGE");
    EXPECT_EQ(st().colour.current, 0x010080FF);
    color("FORE");
    EXPECT_EQ(st().colour.current, 255);
    color("background");
    EXPECT_EQ(st().colour.current, 0);
    CaptureStdout();
    color("purple");
    EXPECT_EQ(GetCapturedStdout(), " <<<< Warning   2: Incorrect parameter in color!   (purple)\n");
    EXPECT_EQ(st().colour.current, 0);
    EXPECT_EQ(rec.colours, (std::vector<int>{0x01000000, 0x01FFFFFF, 0x010000FF, 0x01FF0000, 0x010080FF, 255, 0}));
    Rgb c = colourRgb(st(), 0);
    EXPECT_EQ(c.r + c.g + c.b, 3 * 255);
    c = colourRgb(st(), 0x010080FF);
    EXPECT_EQ(c.r, 255);
    EXPECT_EQ(c.g, 128);
    EXPECT_EQ(c.b, 0);
    disfin();
}

TEST_F(Curves, ArgumentAndLevelChecks)
{
    float x[2] = {1, 2}, y[2] = {1, 2};
    openRecorded();
    CaptureStdout();
    curve(x, y, 0);
    curve(x, y, 1);
    thkcrv(10001);
    thkcrv(0);
    st().level = 1;   // as after endgrf
    curve(x, y, 2);
    EXPECT_EQ(GetCapturedStdout(), " <<<< Warning   2: Incorrect parameter in curve!\n"
                                   " <<<< Warning   2: Incorrect parameter in curve!\n"
                                   " <<<< Warning   2: Incorrect parameter in thkcrv!   (10001)\n"
                                   " <<<< Warning   2: Incorrect parameter in thkcrv!   (   0)\n"
                                   " <<<< Warning   3: Incorrect level in curve!   (   1)\n");
    EXPECT_EQ(st().curve.thickness, 1);
    EXPECT_TRUE(rec.vecs.empty());
    disfin();
}

TEST_F(Curves, ACurveThatLeavesAndReentersIsCutAtTheClipRectangle)
{
    openRecorded();
    errmod("CHECK", "OFF");
    const ClipWindow page = st().clip;
    float x[4] = {1, 5, 9, 9.5f}, y[4] = {5, 15, 5, -3};
    curve(x, y, 4);
    // Clip rectangle one unit inside the axis lines.
    const float left = kXp + 1, top = kYp - kNy + 2, right = kXp + kNx - 2, bottom = kYp - 1;
    ASSERT_EQ(rec.vecs.size(), 5u);
    EXPECT_EQ(rec.vecs[0].pen, 3);
    EXPECT_FLOAT_EQ(plotX(rec.vecs[0]), px(1));
    EXPECT_FLOAT_EQ(plotY(rec.vecs[0]), py(5));
    // Up to the top edge, pen up over the gap, down again from the top edge.
    EXPECT_EQ(rec.vecs[1].pen, 2);
    EXPECT_FLOAT_EQ(plotY(rec.vecs[1]), top);
    const float tA = (py(5) - top) / (py(5) - py(15));
    EXPECT_NEAR(plotX(rec.vecs[1]), px(1) + tA * (px(5) - px(1)), 0.01);
    EXPECT_EQ(rec.vecs[2].pen, 3);
    EXPECT_FLOAT_EQ(plotY(rec.vecs[2]), top);
    EXPECT_NEAR(plotX(rec.vecs[2]), px(9) - tA * (px(9) - px(5)), 0.01);
    EXPECT_EQ(rec.vecs[3].pen, 2);
    EXPECT_FLOAT_EQ(plotX(rec.vecs[3]), px(9));
    // The tail leaves through the bottom and is cut there as well.
    EXPECT_EQ(rec.vecs[4].pen, 2);
    EXPECT_FLOAT_EQ(plotY(rec.vecs[4]), bottom);
    for (const DevVec& v : rec.vecs) {
        EXPECT_GE(plotX(v), left - 0.001f);
        EXPECT_LE(plotX(v), right + 0.001f);
    }
    // The clip window is the page's again afterwards.
    EXPECT_EQ(st().clip.left, page.left);
    EXPECT_EQ(st().clip.bottom, page.bottom);
    disfin();
}

TEST_F(Curves, OutOfScalingReportAndACurveEntirelyOutside)
{
    openRecorded();
    float x[3] = {20, -1, 1.0e7f}, y[3] = {30, 15, 2.5e-7f};
    CaptureStdout();
    curve(x, y, 3);
    EXPECT_EQ(GetCapturedStdout(), " <<<< (20.000000 / 30.000000) out of axis scaling!\n"
                                   " <<<< (-1.000000 / 15.000000) out of axis scaling!\n"
                                   " <<<< (  1.0000e+07 /  2.5000e-07) out of axis scaling!\n");
    EXPECT_TRUE(rec.vecs.empty());
    EXPECT_EQ(st().warn.warningCount, 0);   // report lines are no warnings
    EXPECT_EQ(st().warn.checkOn, 1);
    // Off with the check switch (the plot job turns everything off).
    errmod("ALL", "OFF");
    CaptureStdout();
    curve(x, y, 3);
    EXPECT_EQ(GetCapturedStdout(), "");
    disfin();
}

TEST_F(Curves, ThicknessPassesAreShiftedSideBySide)
{
    openRecorded();
    thkcrv(3);
    float x[2] = {1, 9}, y[2] = {5, 5};
    curve(x, y, 2);
    ASSERT_EQ(rec.vecs.size(), 6u);
    const float base = py(5);
    const float want[3] = {base, base - 1, base + 1};   // 0, +1 (left of travel = up), -1
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(rec.vecs[2 * k].pen, 3);
        EXPECT_EQ(rec.vecs[2 * k + 1].pen, 2);
        EXPECT_NEAR(plotY(rec.vecs[2 * k]), want[k], 1e-3);
        EXPECT_NEAR(plotY(rec.vecs[2 * k + 1]), want[k], 1e-3);
        EXPECT_NEAR(plotX(rec.vecs[2 * k]), px(1), 1e-3);
        EXPECT_NEAR(plotX(rec.vecs[2 * k + 1]), px(9), 1e-3);
    }
    EXPECT_EQ(st().curve.lineShift, 0.0f);
    // A vertical line upwards: the left of travel is towards smaller x.
    rec.vecs.clear();
    thkcrv(2);
    float vx[2] = {5, 5}, vy[2] = {1, 9};
    curve(vx, vy, 2);
    ASSERT_EQ(rec.vecs.size(), 4u);
    EXPECT_NEAR(plotX(rec.vecs[2]), px(5) - 1, 1e-3);
    EXPECT_NEAR(plotX(rec.vecs[3]), px(5) - 1, 1e-3);
    disfin();
}

TEST_F(Curves, LongCurvesGoOutInPiecesOf100PointsWithoutGaps)
{
    openRecorded();
    std::vector<float> x(250), y(250);
    for (int i = 0; i < 250; ++i) {
        x[i] = 0.5f + 9.0f * float(i) / 249.0f;
        y[i] = 5.0f + 4.0f * std::sin(float(i) * 0.1f);
    }
    curve(x.data(), y.data(), 250);
    ASSERT_EQ(rec.vecs.size(), 250u);
    EXPECT_EQ(rec.batches, 3);
    EXPECT_EQ(rec.vecs[0].pen, 3);
    for (int i = 0; i < 250; ++i) {
        if (i) {
            EXPECT_EQ(rec.vecs[i].pen, 2) << i;
        }
        EXPECT_NEAR(plotX(rec.vecs[i]), px(x[i]), 1e-2) << i;
        EXPECT_NEAR(plotY(rec.vecs[i]), py(y[i]), 1e-2) << i;
    }
    EXPECT_EQ(st().cycle.vectorCount, 250);
    EXPECT_EQ(st().curve.curveNumber, 2);
    disfin();
}

TEST_F(Curves, AColourChangeSendsThePendingPolylineFirst)
{
    openRecorded();
    drawLine(500, 500, 600, 600);
    penDraw(700, 500);
    EXPECT_TRUE(rec.vecs.empty());   // still in the buffer
    color("green");
    ASSERT_EQ(rec.vecs.size(), 3u);
    EXPECT_EQ(rec.colourAt.back(), 3u);
    penDraw(800, 600);   // continues from the last point without a new move
    flushPolyline();
    ASSERT_EQ(rec.vecs.size(), 4u);
    EXPECT_EQ(rec.vecs[3].pen, 2);
    disfin();
}

TEST_F(Curves, AnEpsPageWithClippedColouredCurvesOfSeveralThicknesses)
{
    const std::string f = dir.file("page.eps");
    openEps(f);
    errmod("ALL", "OFF");
    devrec(0, 0, 2969, 2099, 0);
    setAxisSystemForTests(0, 24, -50, 50, kXp, kYp, kNx, kNy);
    const int n = 5000;
    std::vector<float> t(n), a(n), b(n), c(n);
    for (int i = 0; i < n; ++i) {
        t[i] = 24.0f * float(i) / float(n - 1);
        a[i] = 70.0f * std::sin(t[i]);          // leaves and re-enters the axis system
        b[i] = 30.0f * std::cos(t[i] * 2.0f);
        c[i] = float(i % 200) - 100.0f;
    }
    const char* colours[3] = {"red", "green", "blue"};
    const std::vector<float>* ys[3] = {&a, &b, &c};
    for (int k = 0; k < 3; ++k) {
        thkcrv(1 + 2 * k);
        color(colours[k]);
        curve(t.data(), ys[k]->data(), n);
    }
    disfin();
    EXPECT_FALSE(lastFailure().failed());
    const std::string text = readFile(f);
    EXPECT_NE(text.find("255 0 0 f "), std::string::npos);
    EXPECT_NE(text.find("0 0 255 f "), std::string::npos);
    // Nothing drawn outside the clip rectangle (device units of the turned page).
    const float s = 3900.0f / 2099.0f;
    for (const std::string& line : psBodyLines(text)) {
        std::istringstream in(line);
        std::vector<std::string> tok;
        for (std::string w; in >> w;) tok.push_back(w);
        for (std::size_t i = 2; i < tok.size(); ++i) {
            if (tok[i] != "u" && tok[i] != "d") continue;
            const float X = std::stof(tok[i - 2]), Y = std::stof(tok[i - 1]);
            ASSERT_GE(Y, (kXp + 1) * s - 1) << line;
            ASSERT_LE(Y, (kXp + kNx - 2) * s + 1) << line;
            ASSERT_GE(X, (kYp - kNy + 2) * s - 3) << line;   // passes lie 1..2 units beside
            ASSERT_LE(X, (kYp - 1) * s + 3) << line;
        }
    }
    expectGhostscriptAccepts(f);
}

TEST_F(Curves, NothingReachesAFinishedWriter)
{
    const std::string f = dir.file("done.eps");
    openEps(f);
    drawLine(10, 10, 20, 20);
    disfin();
    const std::string text = readFile(f);
    // Internal drawing after disfin (level 0) must neither crash nor write.
    drawLine(100, 100, 200, 200);
    flushPolyline();
    devcol(3);
    devrec(0, 0, 10, 10, 1);
    EXPECT_EQ(readFile(f), text);
    expectGhostscriptAccepts(f);
}
