// Colours, thkcrv and curve: checks, out-of-scaling report, clipping, passes
// and the polyline buffer.
#include "EngineTestSupport.h"
#include "engine/TestSeams.h"

#include <cmath>

using namespace zedozo;
using namespace enginetest;

namespace {

// Axis system of the plot job: lower left (350, 1800), 2200 x 1600, user 0..10.
constexpr int kXp = 350, kYp = 1800, kNx = 2200, kNy = 1600;

class Curves : public EngineTest {
protected:
    void openAxes()
    {
        openRecorded("EPS");
        setAxisSystemForTests(0, 10, 0, 10, kXp, kYp, kNx, kNy);
    }
    float px(float x) const { return x * float(kNx - 1) / 10.0f + float(kXp); }
    float py(float y) const { return float(kYp) - y * float(kNy - 1) / 10.0f; }
};

} // namespace

TEST_F(Curves, RainbowTableNamedColoursAndThePaperExchange)
{
    metafl("PNG");
    disini();   // dark background: the table is used as it is
    const std::uint32_t* t = st().colour.table;
    EXPECT_EQ(t[1], 0x220044u);
    EXPECT_EQ(t[96], 0x00FFFFu);
    EXPECT_EQ(t[128], 0x00FF52u);
    EXPECT_EQ(t[254], 0xFF0000u);
    EXPECT_EQ(t[255], 0xFFFFFFu);
    EXPECT_EQ(nearestColourIndex(t, 255, 255, 0, 0), 254);
    EXPECT_EQ(nearestColourIndex(t, 255, 0, 255, 255), 96);
    disfin();

    openAxes();
    EXPECT_EQ(st().colour.table[0], 0xFFFFFFu);   // paper: index 0 is white
    for (const char* c : {"white", "Black", "red", "ORANGE", "FORE", "background"}) color(c);
    EXPECT_EQ(captureStdout([] { color("purple"); }), " <<<< Warning   2: Incorrect parameter in color!   (purple)\n");
    EXPECT_EQ(st().colour.current, 0);
    // White draws black on paper; FORE and BACK stay indices.
    EXPECT_EQ(rec->colours, (std::vector<int>{0x01000000, 0x01FFFFFF, 0x010000FF, 0x010080FF, 255, 0}));
    const Rgb c = colourRgb(st(), 0x010080FF);
    EXPECT_EQ(c.r, 255);
    EXPECT_EQ(c.g, 128);
    EXPECT_EQ(c.b, 0);
    disfin();
}

TEST_F(Curves, ArgumentLevelAndOutOfScalingReports)
{
    float x[3] = {20, -1, 1.0e7f}, y[3] = {30, 15, 2.5e-7f};
    openAxes();
    std::string out = captureStdout([&] {
        curve(x, y, 0);
        thkcrv(10001);
        curve(x, y, 3);   // entirely outside: reported point by point, nothing drawn
        st().level = 1;   // as after endgrf
        curve(x, y, 2);
    });
    EXPECT_EQ(out, " <<<< Warning   2: Incorrect parameter in curve!\n"
                   " <<<< Warning   2: Incorrect parameter in thkcrv!   (10001)\n"
                   " <<<< (20.000000 / 30.000000) out of axis scaling!\n"
                   " <<<< (-1.000000 / 15.000000) out of axis scaling!\n"
                   " <<<< (  1.0000e+07 /  2.5000e-07) out of axis scaling!\n"
                   " <<<< Warning   3: Incorrect level in curve!   (   1)\n");
    EXPECT_EQ(st().warn.warningCount, 3);   // report lines are no warnings
    EXPECT_EQ(st().curve.thickness, 1);
    EXPECT_TRUE(rec->vecs.empty());
    st().level = 2;
    errmod("ALL", "OFF");
    EXPECT_EQ(captureStdout([&] { curve(x, y, 3); }), "");
    disfin();
}

TEST_F(Curves, ACurveThatLeavesAndReentersIsCutAtTheClipRectangle)
{
    openAxes();
    errmod("CHECK", "OFF");
    const ClipWindow page = st().clip;
    float x[4] = {1, 5, 9, 9.5f}, y[4] = {5, 15, 5, -3};
    curve(x, y, 4);
    // Clip rectangle one unit inside the axis lines.
    const float top = kYp - kNy + 2, bottom = kYp - 1;
    const auto& v = rec->vecs;
    ASSERT_EQ(v.size(), 5u);
    EXPECT_EQ(v[0].pen, 3);
    EXPECT_FLOAT_EQ(v[0].x, px(1));
    EXPECT_FLOAT_EQ(v[0].y, py(5));
    // Up to the top edge, pen up over the gap, down again from the top edge.
    const float tA = (py(5) - top) / (py(5) - py(15));
    EXPECT_EQ(v[1].pen, 2);
    EXPECT_FLOAT_EQ(v[1].y, top);
    EXPECT_NEAR(v[1].x, px(1) + tA * (px(5) - px(1)), 0.01);
    EXPECT_EQ(v[2].pen, 3);
    EXPECT_FLOAT_EQ(v[2].y, top);
    EXPECT_NEAR(v[2].x, px(9) - tA * (px(9) - px(5)), 0.01);
    EXPECT_EQ(v[3].pen, 2);
    EXPECT_FLOAT_EQ(v[3].x, px(9));
    // The tail leaves through the bottom and is cut there as well.
    EXPECT_EQ(v[4].pen, 2);
    EXPECT_FLOAT_EQ(v[4].y, bottom);
    // The clip window is the page's again afterwards.
    EXPECT_EQ(st().clip.left, page.left);
    EXPECT_EQ(st().clip.bottom, page.bottom);
    disfin();
}

TEST_F(Curves, ThicknessPassesAreShiftedSideBySide)
{
    openAxes();
    thkcrv(3);
    float x[2] = {1, 9}, y[2] = {5, 5};
    curve(x, y, 2);
    ASSERT_EQ(rec->vecs.size(), 6u);
    const float want[3] = {py(5), py(5) - 1, py(5) + 1};   // 0, +1 (left of travel = up), -1
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(rec->vecs[2 * k].pen, 3);
        EXPECT_NEAR(rec->vecs[2 * k].y, want[k], 1e-3);
        EXPECT_NEAR(rec->vecs[2 * k + 1].y, want[k], 1e-3);
        EXPECT_NEAR(rec->vecs[2 * k + 1].x, px(9), 1e-3);
    }
    EXPECT_EQ(st().curve.lineShift, 0.0f);
    // A vertical line upwards: the left of travel is towards smaller x.
    rec->vecs.clear();
    thkcrv(2);
    float vx[2] = {5, 5}, vy[2] = {1, 9};
    curve(vx, vy, 2);
    ASSERT_EQ(rec->vecs.size(), 4u);
    EXPECT_NEAR(rec->vecs[3].x, px(5) - 1, 1e-3);
    disfin();
}

TEST_F(Curves, LongCurvesGoOutInPiecesOf100PointsWithoutGaps)
{
    openAxes();
    std::vector<float> x(250), y(250);
    for (int i = 0; i < 250; ++i) {
        x[i] = 0.5f + 9.0f * float(i) / 249.0f;
        y[i] = 5.0f + 4.0f * std::sin(float(i) * 0.1f);
    }
    curve(x.data(), y.data(), 250);
    // Points 0-99, 99-198, 198-249: each piece starts with a move.
    ASSERT_EQ(rec->vecs.size(), 252u);
    EXPECT_EQ(rec->batches, 3);
    for (int i = 0; i < 252; ++i) {
        EXPECT_EQ(rec->vecs[i].pen, i % 100 ? 2 : 3) << i;
        EXPECT_NEAR(rec->vecs[i].x, px(x[i - i / 100]), 1e-2) << i;
        EXPECT_NEAR(rec->vecs[i].y, py(y[i - i / 100]), 1e-2) << i;
    }
    EXPECT_EQ(st().curve.curveNumber, 2);
    disfin();
}

TEST_F(Curves, AColourChangeSendsThePendingPolylineFirst)
{
    openAxes();
    drawLine(500, 500, 600, 600);
    penDraw(700, 500);
    EXPECT_TRUE(rec->vecs.empty());   // still in the buffer
    color("green");
    ASSERT_EQ(rec->vecs.size(), 3u);
    EXPECT_EQ(rec->colourAt.back(), 3u);
    penDraw(800, 600);   // continues from the last point, with a move there
    flushPolyline();
    ASSERT_EQ(rec->vecs.size(), 5u);
    EXPECT_EQ(rec->vecs[3].pen, 3);
    EXPECT_EQ(rec->vecs[3].x, rec->vecs[2].x);
    EXPECT_EQ(rec->vecs[4].pen, 2);
    disfin();
}

TEST_F(Curves, AnEpsPageWithClippedThickCurvesAndNothingAfterTheFinish)
{
    const std::string f = dir.file("page.eps");
    open("EPS", f);
    errmod("ALL", "OFF");
    setAxisSystemForTests(0, 24, -50, 50, kXp, kYp, kNx, kNy);
    const int n = 5000;
    std::vector<float> t(n), a(n), c(n);
    for (int i = 0; i < n; ++i) {
        t[i] = 24.0f * float(i) / float(n - 1);
        a[i] = 70.0f * std::sin(t[i]);   // leaves and re-enters the axis system
        c[i] = float(i % 200) - 100.0f;
    }
    thkcrv(1);
    color("red");
    curve(t.data(), a.data(), n);
    thkcrv(5);
    color("blue");
    curve(t.data(), c.data(), n);
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
    // Internal drawing after disfin (level 0) must neither crash nor write.
    drawLine(100, 100, 200, 200);
    flushPolyline();
    devcol(3);
    devrec(0, 0, 10, 10, 1);
    EXPECT_EQ(readFile(f), text);
    expectGhostscriptAccepts(f);
}
