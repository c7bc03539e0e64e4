#include "app/RePlot.h"
#include "plotjob/PlotDescription.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <climits>
#include <fstream>
#include <string>
#include <vector>

namespace {

using quorva::OutputChoice;
using quorva::PlotDescription;
using quorva::RePlot;
using quorva::RePlotRequest;

TEST(PlotDescription, ResetSizesTheWindowFromTheDesktopWidthOnly)
{
    PlotDescription d;
    d.setTitle("100% burst: %s %d");
    d.setFileName("/out/Plot_LC_%_SFU.txt.PDF");
    d.setXAxis(10, 12, 0.2f);
    d.setPointCount(7);
    d.textHeight = 12;

    d.reset(1920, 2.0f, static_cast<float>(1.414 * 2.0));
    EXPECT_EQ(d.winWidth, 960);
    EXPECT_EQ(d.winHeight, 678);
    EXPECT_EQ(d.textHeight, 50);
    EXPECT_EQ(d.title, "100% burst: %s %d");
    EXPECT_EQ(d.fileName, "/out/Plot_LC_%_SFU.txt.PDF");
    EXPECT_EQ(d.xStep, 0.2f);
    EXPECT_EQ(d.pointCount, 7);

    // The default geometry is "Medium".
    d.reset(1280, quorva::PlotGeometry{});
    EXPECT_EQ(d.winWidth, 640);
    EXPECT_EQ(d.winHeight, 452);

    // Texts are held whole.
    const std::string longName = "/" + std::string(300, 'x') + "/Plot_LC.txt.PDF";
    d.setFileName(longName);
    EXPECT_EQ(d.fileName, longName);
}

TEST(RePlotHelpers, ThicknessTextIsReadLikeAtoi)
{
    EXPECT_EQ(quorva::integerFromText("  -3x"), -3);
    EXPECT_EQ(quorva::integerFromText("\t+7 px"), 7);
    EXPECT_EQ(quorva::integerFromText("abc"), 0);
    EXPECT_EQ(quorva::integerFromText("- 4"), 0);
    EXPECT_EQ(quorva::integerFromText("99999999999999999999"), INT_MAX);
    EXPECT_EQ(quorva::integerFromText("-99999999999"), INT_MIN);

    EXPECT_EQ(quorva::outputChoiceFromName("screen"), OutputChoice::Screen);
    EXPECT_EQ(quorva::outputChoiceFromName("eps"), OutputChoice::Eps);
    EXPECT_EQ(quorva::outputChoiceFromName("Png"), OutputChoice::Png);
    EXPECT_FALSE(quorva::outputChoiceFromName("SVG").has_value());
}

class RePlotTest : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& data)
    {
        const std::string path = dir.path().toStdString() + "/" + name;
        std::ofstream out(path, std::ios::binary);
        out << "title\nTime_UT,45MHz,150.5MHz,410MHz\n" << data;
        return path;
    }
    RePlotRequest request(const std::string& path, OutputChoice output = OutputChoice::Pdf)
    {
        RePlotRequest r;
        r.selectedPath = path;
        r.unitText = "SFU";
        r.outputFolder = "/data/out/";
        r.output = output;
        return r;
    }

    QTemporaryDir dir;
    RePlot rePlot;
};

TEST_F(RePlotTest, FillsTheDescriptionFromTheFile)
{
    const std::string path = write("LC_a_SFU.txt", "10.25,3,20,30\n10.5,52,4,5\n10.75,7,8,9\n");
    rePlot.run(request(path));
    const PlotDescription& d = rePlot.description();
    const quorva::LightCurve& lc = rePlot.lightCurve();
    EXPECT_EQ(d.title, "LC_a_SFU.txt:r= 45.00MHz, g=150.50MHz, b=410.00MHz");
    EXPECT_EQ(d.xName, "Time [UT]");
    EXPECT_EQ(d.yName, "[SFU]");
    EXPECT_EQ(d.fileName, "/data/out/Plot_LC_a_SFU.txt.PDF");
    EXPECT_EQ(d.device, "PDF");
    EXPECT_EQ(d.curveThickness, 2);
    EXPECT_EQ(d.pointCount, 5);
    EXPECT_EQ(d.xValues, lc.times.data());
    EXPECT_EQ(d.y1Values, lc.values1.data());
    EXPECT_EQ(d.y3Values, lc.values3.data());
    EXPECT_EQ(d.xFrom, 10.0f);
    EXPECT_EQ(d.xTo, 11.0f);
    EXPECT_EQ(d.xStep, 0.1f);
    // Values 3 to 52: 0 to 55 in steps of 5.
    EXPECT_EQ(d.yFrom, 0.0f);
    EXPECT_EQ(d.yTo, 55.0f);
    EXPECT_EQ(d.yStep, 5.0f);

    // Data ending exactly at 11.0 h: 10 to 12, step 0.2. Values up to 14:
    // 0 to 15, step 1.
    rePlot.run(request(write("LC_b_SFU.txt", "10.25,1,2,3\n11.0,14,2,3\n")));
    EXPECT_EQ(d.xFrom, 10.0f);
    EXPECT_EQ(d.xTo, 12.0f);
    EXPECT_EQ(d.xStep, 0.2f);
    EXPECT_EQ(d.yTo, 15.0f);
    EXPECT_EQ(d.yStep, 1.0f);

    // Quiet data: 0 to 4.9 gives the range 0 to 5, whose integer step
    // would be 0.
    rePlot.run(request(write("q.txt", "13.5,4.9,1,2\n13.6,0.5,1,2\n")));
    EXPECT_EQ(d.yFrom, 0.0f);
    EXPECT_EQ(d.yTo, 5.0f);
    EXPECT_EQ(d.yStep, 0.5f);
    // Negative quiet data: -7 to -3 gives -5 to 5, step 1.
    rePlot.run(request(write("n.txt", "13.5,-7,-3,-3\n")));
    EXPECT_EQ(d.yFrom, -5.0f);
    EXPECT_EQ(d.yTo, 5.0f);
    EXPECT_EQ(d.yStep, 1.0f);
    // All values above 1000: 1000 to 1005.
    rePlot.run(request(write("b.txt", "13.5,1001,1002,1003\n")));
    EXPECT_EQ(d.yFrom, 1000.0f);
    EXPECT_EQ(d.yTo, 1005.0f);
    EXPECT_EQ(d.yStep, 0.5f);
}

TEST_F(RePlotTest, NoFileStillFillsEverything)
{
    RePlotRequest r = request("", OutputChoice::Screen);
    r.outputFolder = "";
    r.thicknessText = "thick";
    rePlot.run(r);
    const PlotDescription& d = rePlot.description();
    EXPECT_EQ(d.pointCount, 0);
    EXPECT_EQ(d.title, ":r=  0.00MHz, g=  0.00MHz, b=  0.00MHz");
    EXPECT_EQ(d.fileName, "Plot_.PNG");
    EXPECT_EQ(d.device, "XWIN");
    EXPECT_EQ(d.curveThickness, 0);
    EXPECT_EQ(d.xFrom, 24.0f);
    EXPECT_EQ(d.xTo, 1.0f);
    EXPECT_EQ(d.xStep, static_cast<float>(-23.0f * 0.1));
    EXPECT_EQ(d.yFrom, 1000.0f);
    EXPECT_EQ(d.yTo, -995.0f);
    EXPECT_EQ(d.yStep, -199.0f);
}

TEST_F(RePlotTest, OutputNamesDevicesAndUnits)
{
    const std::string path = write("LC_a_ADU.txt", "9.5,1,2,3\n");
    struct Case {
        OutputChoice output;
        const char* folder;
        const char* device;
        std::string fileName;
    };
    const std::string longFolder = "/" + std::string(250, 'f') + "/plots/";
    const Case cases[] = {
        {OutputChoice::Screen, "/data/out/", "XWIN", "/data/out/Plot_LC_a_ADU.txt.PNG"},
        {OutputChoice::Pdf, "/data/lc/plots", "PDF", "/data/lc/Plot_LC_a_ADU.txt.PDF"},
        {OutputChoice::Eps, "plots", "EPS", "Plot_LC_a_ADU.txt.EPS"},
        {OutputChoice::Pdf, longFolder.c_str(), "PDF", longFolder + "Plot_LC_a_ADU.txt.PDF"},
    };
    for (const Case& c : cases) {
        RePlotRequest r = request(path, c.output);
        r.outputFolder = c.folder;
        r.unitText = "ADU";
        r.thicknessText = " 4";
        rePlot.run(r);
        EXPECT_EQ(rePlot.description().device, c.device);
        EXPECT_EQ(rePlot.description().fileName, c.fileName);
        EXPECT_EQ(rePlot.description().yName, "[ADU]");
        EXPECT_EQ(rePlot.description().curveThickness, 4);
    }

    // A '%' in the file name stays as it is, in title and output name.
    const std::string percent = write("LC_100%_SFU.txt", "9.5,1,2,3\n");
    rePlot.run(request(percent));
    EXPECT_EQ(rePlot.description().title, "LC_100%_SFU.txt:r= 45.00MHz, g=150.50MHz, b=410.00MHz");
    EXPECT_EQ(rePlot.description().fileName, "/data/out/Plot_LC_100%_SFU.txt.PDF");
}

TEST_F(RePlotTest, RunsReadRefreshFillAndPlotInOrderAndNeverInsideItself)
{
    const std::string path = write("LC_a_SFU.txt", "10.25,3,20,30\n");
    std::vector<std::string> steps;
    int nestedSkipped = 0;
    rePlot.setRefreshStep([&] {
        // The light curve is read; the description is not filled yet.
        steps.push_back("refresh " + std::to_string(rePlot.lightCurve().sampleCount) + " "
                        + rePlot.description().device);
    });
    rePlot.setPlotStep([&](const PlotDescription& d, const quorva::PlotGeometry& g) {
        steps.push_back("plot " + d.device + " " + std::to_string(g.plotLeft));
        // A request that arrives while plotting (screen output) is dropped.
        if (rePlot.run(request(path)).skipped)
            ++nestedSkipped;
    });
    rePlot.geometry().plotLeft = 960;
    const RePlot::Result r = rePlot.run(request(path, OutputChoice::Eps));
    EXPECT_TRUE(r.read.opened);
    EXPECT_TRUE(r.plotted);
    EXPECT_FALSE(r.skipped);
    EXPECT_FALSE(rePlot.running());
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0], "refresh 3 ");
    EXPECT_EQ(steps[1], "plot EPS 960");
    EXPECT_EQ(nestedSkipped, 1);

    // A file that cannot be opened still refreshes and plots.
    const RePlot::Result missing = rePlot.run(request(dir.path().toStdString() + "/gone.txt"));
    EXPECT_FALSE(missing.read.opened);
    EXPECT_TRUE(missing.plotted);
    EXPECT_EQ(steps.size(), 4u);
    EXPECT_EQ(rePlot.description().pointCount, 3); // kept from the last good read
}

} // namespace
