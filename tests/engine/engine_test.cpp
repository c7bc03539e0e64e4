// The engine below the plot sequence: warning lines and the end banner
// (also after a cycle that wrote nothing), the output cycle's file handling
// (DELETE, BREAK, an unfinished cycle), FLOAT labels, graf's refusals and
// clip rectangle, and curves (clip cut, thickness passes) through a
// recording device.

#include "engine/TestSeams.h"
#include "support/Recorder.h"

#include <cmath>
#include <limits>

namespace {

using namespace zedozo;
using namespace qtest;

const std::string kRule = " " + std::string(66, '<');

TEST_F(EngineTest, LevelRulesWarningLinesAndTheBanner)
{
    char metafile[128];
    std::snprintf(metafile, sizeof metafile, "\n <<  Metafile: %-48s  <<", (dir / "a.eps").substr(0, 48).c_str());
    ::testing::internal::CaptureStdout();
    winmod("NONE"); // a setting: warns at level 0 and stores
    float x[2] = {0, 1}, y[2] = {0, 1};
    curve(x, y, 2);
    disfin();
    metafl("EPS");
    setfil(dir / "a.eps");
    disini();
    EXPECT_EQ(st().cycle.windowMode, 0) << "disini resets the window mode";
    metafl("PDF"); // level 0 only
    curve(x, y, 2);
    thkcrv(0);
    thkcrv(3);
    disfin();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
        " <<<< Warning   3: Incorrect level in winmod!   (   0)\n"
        " <<<< Warning   3: Incorrect level in curve!   (   0)\n"
        " <<<< Warning   3: Incorrect level in disfin!   (   0)\n"
        " <<<< Warning   3: Incorrect level in metafl!   (   1)\n"
        " <<<< Warning   3: Incorrect level in curve!   (   1)\n"
        " <<<< Warning   2: Incorrect parameter in thkcrv!   (   0)\n\n"
            + kRule + "\n <<                END OF ZEDOZO / VERSION  9.1" + std::string(18, ' ') + "<<"
            + "\n <<  Date    : 14.11.2023  Time    : 22:13:20  Pageformat: DA4L  <<"
            + "\n <<  Vectors : 0           Warnings: 3         Fileformat:  EPS  <<" + metafile + "\n" + kRule
            + "\n\n");
    EXPECT_TRUE(st().cycle.devcode == 503 && st().curve.thickness == 3);
    // After a cycle that wrote no file the banner names none.
    const std::string failed = captureStdout([&] { open("PDF", dir / "gone/x.pdf"), disfin(); });
    EXPECT_TRUE(failed.find("<<  Metafile:    ") != std::string::npos && failed.find("x.pdf  ") == std::string::npos)
        << failed;
}

void plotEps(const std::string& file, const char* mode)
{
    metafl("EPS"), setfil(file), filmod(mode);
    captureStdout([] { disini(); });
    errmod("ALL", "OFF");
    drawLine(100, 100, 900, 700);
    disfin();
}

TEST_F(EngineTest, PlotFilesAppearWholeOrNotAtAll)
{
    // DELETE replaces the file; BREAK keeps it and tells why.
    const std::string f = dir / "plot.eps";
    writeFile(f, "old content");
    plotEps(f, "DELETE");
    const std::string first = readFile(f);
    EXPECT_EQ(first.rfind("%!PS-Adobe-3.0 EPSF-3.0\n", 0), 0u);
    EXPECT_FALSE(lastFailure().failed());
    plotEps(f, "BREAK");
    EXPECT_TRUE(lastFailure().warning == 169 && lastFailure().fileName == f && readFile(f) == first);
    // While a cycle draws, the plot is a temporary file beside the final
    // name; readers never see a half-written plot, and an unfinished cycle
    // leaves nothing.
    captureStdout([&] { open("EPS", dir / "never.eps"); });
    EXPECT_EQ(listFolder(dir.path()).size(), 2u);
    EXPECT_FALSE(fs::exists(dir / "never.eps"));
    resetEngineForTests();
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string> {"plot.eps"});
    // (A write that fails part-way: hardening/output_faults_test.)
}

TEST(FloatLabel, DigitsRoundingAndBufferLimits)
{
    char buf[512];
    auto fmt = [&](float v, int ndig) { return formatFloatLabel(buf, sizeof buf, v, ndig), std::string(buf); };
    for (auto [v, ndig, text] : {std::tuple {12.5f, 1, "12.5"}, {9.96f, 1, "10.0"}, {12.5f, -1, "13"},
             {-12.5f, -1, "-13"}, {-0.4f, -1, "0"}, {-8.0f, 0, " -8"}, {3.14159f, 3, "3.142"}, {-0.04f, 1, "0.0"},
             {-0.05f, 1, "-0.1"}, {0.5f, 1, "0.5"}, {-150.0f, 1, "-150.0"}})
        EXPECT_EQ(fmt(v, ndig), text) << v << " " << ndig;
    EXPECT_TRUE(fmt(3.0e38f, -1).size() == 39u && fmt(1.5f, 100).size() == 102u);
    char small[4];
    EXPECT_TRUE(formatFloatLabel(small, sizeof small, 1234.5f, 1) == 3 && std::string(small) == "123");
}

class Axes : public EngineTest {
protected:
    // The plot sequence's settings before graf.
    void programSettings(const char* device = "EPS")
    {
        openRecorded(device);
        hwfont();
        height(50);
        axspos(350, 1800);
        axslen(2200, 1600);
        labdig(1, "x");
        axsscl("LIN", "y");
        labdig(1, "y");
        hname(55);
        labels("FLOAT", "y");
        rec->clear();
    }
};

TEST_F(Axes, GrafRefusesZeroStepsEqualLimitsAndNanAndCurveAndTitleFollow)
{
    programSettings();
    titlin("A title", 4);
    std::string out = captureStdout([] { graf(0, 24, 0, 0, 5, 5, 5, 1); });
    EXPECT_TRUE(out.find(" <<<< Warning   9: Step equal zero in graf!\n") != std::string::npos
        && out.find(" <<<< Warning  10: Begin and end of scaling are equal in graf!\n") != std::string::npos)
        << out;
    const float x[3] = {0, 1, 2}, y[3] = {5, 6, 7};
    out = captureStdout([&] { curve(x, y, 3), title(); });
    EXPECT_TRUE(out.find("Incorrect level in curve!   (   1)") != std::string::npos
        && out.find("Incorrect level in title!   (   1)") != std::string::npos)
        << out;
    errmod("ALL", "OFF");
    graf(0, 24, 0, 2, 0, 100, 0, 0);
    graf(0, std::numeric_limits<float>::quiet_NaN(), 0, 2, 0, 100, 0, 20);
    graf(0, 24, 0, std::numeric_limits<float>::infinity(), 0, 100, 0, 20);
    flushPolyline();
    EXPECT_TRUE(st().level == 1 && rec->vecs.empty() && rec->chars.empty());
    // Steps too dense to draw end promptly: the axis has no ticks and labels.
    graf(0, 24, 0, 1e-20f, 0, 100, 0, 20);
    EXPECT_TRUE(st().level == 2 && rec->chars.size() < 60u);
}

// (On paper devices one unit inside the axes: the curve test below; the
// mapping of a plot: the golden pages.)
TEST_F(Axes, OnPngTheClipRectangleIsAPixelFurtherIn)
{
    programSettings("PNG");
    graf(10, 0, 10, -2, 0, 100, 0, 20); // descending x
    EXPECT_EQ(std::vector<int>(st().map.clipRect, st().map.clipRect + 4), (std::vector<int> {352, 203, 2547, 1798}));
    float px, py;
    mapPoint(st(), 0, 0, px, py);
    EXPECT_FLOAT_EQ(px, 2549);
}

class Curves : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        openRecorded("EPS");
        setAxisSystemForTests(0, 10, 0, 10, 350, 1800, 2200, 1600);
        errmod("CHECK", "OFF");
    }
    static float px(float x) { return x * 2199.0f / 10.0f + 350.0f; }
    static float py(float y) { return 1800.0f - y * 1599.0f / 10.0f; }
};

TEST_F(Curves, ACurveThatLeavesAndReentersIsCutAtTheClipRectangle)
{
    float x[4] = {1, 5, 9, 9.5f}, y[4] = {5, 15, 5, -3};
    curve(x, y, 4);
    const float top = 202, bottom = 1799, t = (py(5) - top) / (py(5) - py(15));
    const auto& v = rec->vecs;
    ASSERT_EQ(v.size(), 5u);
    // Up to the top edge, pen up over the gap, down again from the top
    // edge; the tail leaves through the bottom and is cut there.
    EXPECT_EQ(
        (std::vector<int> {v[0].pen, v[1].pen, v[2].pen, v[3].pen, v[4].pen}), (std::vector<int> {3, 2, 3, 2, 2}));
    EXPECT_EQ((std::vector<float> {v[0].x, v[0].y, v[1].y, v[2].y, v[3].x, v[4].y}),
        (std::vector<float> {px(1), py(5), top, top, px(9), bottom}));
    EXPECT_NEAR(v[1].x, px(1) + t * (px(5) - px(1)), 0.01);
    EXPECT_NEAR(v[2].x, px(9) - t * (px(9) - px(5)), 0.01);
}

TEST_F(Curves, ThicknessPassesLieSideBySideLeftOfTravelFirst)
{
    thkcrv(3);
    float x[2] = {1, 9}, y[2] = {5, 5};
    curve(x, y, 2);
    ASSERT_EQ(rec->vecs.size(), 6u);
    const float want[3] = {py(5), py(5) - 1, py(5) + 1}; // 0, +1 (left of travel = up), -1
    for (int k = 0; k < 3; ++k)
        EXPECT_TRUE(rec->vecs[2 * k].pen == 3 && std::abs(rec->vecs[2 * k].y - want[k]) < 1e-3
            && std::abs(rec->vecs[2 * k + 1].y - want[k]) < 1e-3)
            << k;
}

// (Curves in pieces of 100 points, each starting with a move to the last
// point before, and the colour change that sends what is buffered: the
// golden pages, whose 1,200-sample curves in three colours are compared.)

} // namespace
