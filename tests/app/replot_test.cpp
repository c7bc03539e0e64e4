// The re-plot's fill of the plot description (ranges and steps, a
// fractional step for quiet data, title, names, devices) and its order of
// steps; file names that are not ASCII in the title. (The configuration
// file's keys, numbers and line limit: the configuration fuzz target's
// comparison with sscanf on its seeds, tests/hardening/.)

#include "app/Latin1Text.h"
#include "app/RePlot.h"
#include "support/Support.h"

#include <climits>

namespace {

using namespace qtest;
using quorva::OutputChoice;

class RePlotTest : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& data)
    {
        writeFile(dir / name, "title\nTime_UT,45MHz,150.5MHz,410MHz\n" + data);
        return dir / name;
    }
    const quorva::PlotDescription& run(const std::string& path, OutputChoice output = OutputChoice::Pdf,
        const char* folder = "/data/out/", int thickness = 2)
    {
        rePlot.run({.selectedPath = path,
            .unitText = "SFU",
            .outputFolder = folder,
            .output = output,
            .thickness = thickness});
        return rePlot.description();
    }
    TempDir dir;
    quorva::RePlot rePlot;
};

// (The title, names, points and curves of a plotted file as the page shows
// them: the golden pages; the title, device and file name for every output:
// the next test.)
TEST_F(RePlotTest, FillsRangesAndStepsAndAFractionalStepForQuietData)
{
    const quorva::PlotDescription& d = run(write("LC_a_SFU.txt", "10.25,3,20,30\n10.5,52,4,5\n10.75,7,8,9\n"));
    auto axes = [&] { return std::vector<float> {d.xFrom, d.xTo, d.xStep, d.yFrom, d.yTo, d.yStep}; };
    EXPECT_EQ(axes(), (std::vector<float> {10, 11, 0.1f, 0, 55, 5}));
    run(write("b.txt", "10.25,1,2,3\n11.0,14,2,3\n"));
    EXPECT_EQ(axes(), (std::vector<float> {10, 12, 0.2f, 0, 15, 1}));
    // Quiet data: an integer step of 0 becomes a tenth of the range.
    run(write("q.txt", "13.5,4.9,1,2\n13.6,0.5,1,2\n"));
    EXPECT_EQ(axes(), (std::vector<float> {13, 14, 0.1f, 0, 5, 0.5f}));
    // No file at all still fills everything, from the start values (the
    // frequencies of the last header stay).
    run("", OutputChoice::Screen, "", 0);
    EXPECT_EQ(d.title + d.fileName + quorva::deviceName(d.device) + std::to_string(d.curveThickness),
        ":r= 45.00MHz, g=150.50MHz, b=410.00MHzPlot_.PNGXWIN0");
    EXPECT_EQ(axes(), (std::vector<float> {24, 1, float(-23.0f * 0.1), 1000, -995, -199}));
}

TEST_F(RePlotTest, OutputNamesKeepTheFolderPartAndTextsWhole)
{
    const std::string path = write("LC_100%_ADU.txt", "9.5,1,2,3\n");
    const std::string longFolder = "/" + std::string(250, 'f') + "/plots/";
    struct Case {
        OutputChoice output;
        std::string folder, device, fileName;
    };
    for (const Case& c : {Case {OutputChoice::Screen, "/data/out/", "XWIN", "/data/out/Plot_LC_100%_ADU.txt.PNG"},
             Case {OutputChoice::Png, "/data/lc/plots", "PNG", "/data/lc/Plot_LC_100%_ADU.txt.PNG"},
             Case {OutputChoice::Eps, "plots", "EPS", "Plot_LC_100%_ADU.txt.EPS"},
             Case {OutputChoice::Pdf, longFolder, "PDF", longFolder + "Plot_LC_100%_ADU.txt.PDF"}}) {
        const quorva::PlotDescription& d = run(path, c.output, c.folder.c_str(), 4);
        EXPECT_EQ(quorva::deviceName(d.device) + std::string(" ") + d.fileName + " " + std::to_string(d.curveThickness)
                + " " + d.title,
            c.device + " " + c.fileName + " 4 LC_100%_ADU.txt:r= 45.00MHz, g=150.50MHz, b=410.00MHz");
    }
    EXPECT_EQ(quorva::integerFromText("99999999999999999999"), INT_MAX);
    EXPECT_EQ(quorva::integerFromText("- 4"), 0);
    EXPECT_TRUE(quorva::integerFromText(" 4x") == 4 && quorva::integerFromText("thick") == 0);
}

TEST_F(RePlotTest, ReadRefreshFillAndPlotInOrderAndNeverInsideItself)
{
    const std::string path = write("LC_a_SFU.txt", "10.25,3,20,30\n");
    std::vector<std::string> steps;
    rePlot.setRefreshStep([&] {
        steps.push_back(
            "refresh " + std::to_string(rePlot.lightCurve().sampleCount) + " " + rePlot.description().fileName);
    });
    rePlot.setPlotStep([&](const quorva::PlotDescription& d, const quorva::PlotGeometry&) {
        steps.push_back(std::string("plot ") + quorva::deviceName(d.device) + " " + d.fileName);
        // A request while plotting is dropped (and, were it not, would run
        // only once more here).
        if (steps.size() < 4 && rePlot.run({.selectedPath = path}).skipped) steps.push_back("skipped");
    });
    EXPECT_TRUE(rePlot.run({.selectedPath = path, .output = OutputChoice::Eps}).plotted && !rePlot.running());
    EXPECT_EQ(steps, (std::vector<std::string> {"refresh 3 ", "plot EPS Plot_LC_a_SFU.txt.EPS", "skipped"}));
    const auto missing = rePlot.run({.selectedPath = dir / "gone.txt"});
    EXPECT_TRUE(!missing.read.opened && missing.plotted);
    EXPECT_EQ(rePlot.description().pointCount, 3); // kept from the last good read
}

// A file name that is not ASCII reaches the title as the engine's own
// character codes, so that the page reads the name as it is written.
TEST(TitleName, Utf8NamesBecomeEngineCodesAndTheTitleReadsThem)
{
    using quorva::engineTextFromUtf8;
    EXPECT_EQ(engineTextFromUtf8("LC_\xC3\x84_\xC3\xA9\xC3\xBF.txt"), "LC_\x7F_\x9A\xB8.txt"); // Ä é ÿ
    EXPECT_EQ(engineTextFromUtf8("\xCE\xA9\xC2\xA9\x7F-\xF0\x9F\x99\x82"),
        "??"
        "?-?"); // Ω © DEL, an emoji
    for (const char* bad : {"LC_\xC4_SFU.txt", "\xC3", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"})
        EXPECT_EQ(engineTextFromUtf8(bad), bad) << "not UTF-8: the bytes stay";
    qtest::TempDir dir;
    qtest::writeFile(dir / "LC_\xC3\x84_SFU.txt",
        "Tervasol\nTime_UT,45.0MHz,150.5MHz,410.0MHz\n10.25,3.0,20.0,30.0\n10.50,52.0,25.0,35.0\n");
    ASSERT_EQ(
        qtest::runQuorva({"plot", "--format", "pdf", "--output", dir.path(), dir / "LC_\xC3\x84_SFU.txt"}).status, 0);
    const std::string text = qtest::run({"pdftotext", dir / "Plot_LC_\xC3\x84_SFU.txt.PDF", "-"}).out;
    EXPECT_NE(text.find("LC_\xC3\x84_SFU.txt:r="), std::string::npos) << text;
}

} // namespace
