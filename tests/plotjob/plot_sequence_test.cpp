// The plot sequence on the real engine: page fill and axis colour by
// device, a page without points, a refused axis system, plots in a row and
// the re-plot's plot step. Pages are checked as pixels (PageCheck.h).

#include "app/RePlot.h"
#include "engine/TestSeams.h"
#include "engine/core/EngineState.h"
#include "engine/output/MemoryWindowBackend.h"
#include "engine/output/ScreenWriter.h"
#include "plotjob/PlotSequence.h"
#include "plotjob/PageCheck.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <fstream>
#include <sstream>
#include <string>

using quorva::OutputChoice;
using quorva::PlotDescription;
using quorva::RePlot;
using quorva::RePlotRequest;

namespace {

// Two flares over an hour on three channels, 400 samples.
std::string lightCurveText(float low, float high)
{
    std::ostringstream s;
    s << "Tervasol test\nTime_UT,45.0MHz,150.5MHz,410.0MHz\n";
    for (int i = 0; i < 400; ++i) {
        const float t = 10.1f + 0.8f * static_cast<float>(i) / 400.0f;
        const float f = static_cast<float>((i * 37) % 100) / 100.0f;
        s << t << "," << low + (high - low) * f * 0.5f << "," << low + (high - low) * f << ","
          << low + (high - low) * (0.2f + 0.3f * f) << "\n";
    }
    return s.str();
}

class PlotSequenceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        zedozo::resetScreenForTests();
        zedozo::resetEngineForTests();
        rePlot.description().reset(1920, rePlot.geometry()); // 960 x 678
    }
    void TearDown() override
    {
        zedozo::resetScreenForTests();
        zedozo::resetEngineForTests();
    }

    std::string path(const std::string& name) const { return dir.path().toStdString() + "/" + name; }

    // Reads `data` as LC_t_SFU.txt and fills the description for `output`.
    void fill(const std::string& data, OutputChoice output)
    {
        const std::string file = path("LC_t_SFU.txt");
        std::ofstream(file, std::ios::binary) << data;
        ASSERT_TRUE(rePlot.lightCurve().read(file).opened);
        RePlotRequest request;
        request.selectedPath = file;
        request.unitText = "SFU";
        request.outputFolder = dir.path().toStdString() + "/";
        request.output = output;
        rePlot.fill(request);
    }

    void plotOnce()
    {
        quorva::plot(rePlot.description(), rePlot.geometry());
        EXPECT_EQ(zedozo::engineState().level, 0) << "the plot ends with disfin";
        EXPECT_FALSE(zedozo::lastFailure().failed()) << zedozo::lastFailure().text;
    }

    QImage png() const { return QImage(QString::fromStdString(rePlot.description().fileName)); }
    pagecheck::Page pngPage() const { return pagecheck::analyse(png()); }

    QTemporaryDir dir;
    RePlot rePlot;
};

// A PNG page of the description's size with its frame and curves inside.
void expectCompletePage(const QImage& image, int width = 960, int height = 678)
{
    EXPECT_EQ(image.size(), QSize(width, height));
    pagecheck::expectPlottedPage(image, "page", 0, 200);
}

TEST(PlotSequenceDevice, DeviceTextsOccurWithinXwinOrPng)
{
    EXPECT_TRUE(quorva::deviceIs("PNG", "PNG"));
    EXPECT_FALSE(quorva::deviceIs("PDF", "XWIN"));
    // "Occurs within", not equality: parts and the empty text pass.
    EXPECT_TRUE(quorva::deviceIs("", "XWIN"));
    EXPECT_TRUE(quorva::deviceIs("NG", "PNG"));
    EXPECT_FALSE(quorva::deviceIs("png", "PNG"));
}

TEST_F(PlotSequenceTest, PageFillAndAxisColourFollowTheDevice)
{
    const std::string data = lightCurveText(20.0f, 480.0f);

    // PNG: fill 255 on a dark table, black axes.
    fill(data, OutputChoice::Png);
    rePlot.description().pageFill = -7;
    plotOnce();
    EXPECT_EQ(rePlot.description().pageFill, 255);
    expectCompletePage(png());

    // PDF and EPS: fill 0 on paper.
    for (OutputChoice output : {OutputChoice::Pdf, OutputChoice::Eps}) {
        fill(data, output);
        rePlot.description().pageFill = -7;
        plotOnce();
        EXPECT_EQ(rePlot.description().pageFill, 0) << rePlot.description().device;
        EXPECT_TRUE(QFile::exists(QString::fromStdString(rePlot.description().fileName)));
    }

    // The screen window: the same page as the PNG, in the window's image.
    zedozo::MemoryWindowBackend backend;
    zedozo::WindowBackendScope scope(&backend);
    rePlot.geometry().plotLeft = 30;
    rePlot.geometry().plotTop = 40;
    fill(data, OutputChoice::Screen);
    rePlot.description().pageFill = -7;
    plotOnce();
    EXPECT_EQ(rePlot.description().pageFill, 255);
    const zedozo::MemoryWindow* window = backend.window();
    ASSERT_NE(window, nullptr);
    // The window stands at the plot position with the description's size
    // (its client area one pixel less each way).
    EXPECT_EQ(window->x(), 30);
    EXPECT_NEAR(window->y(), 40, 1);
    EXPECT_NEAR(window->imageWidth(), 960, 1);
    EXPECT_NEAR(window->imageHeight(), 678, 1);
    QImage image(window->imageWidth(), window->imageHeight(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, 0xFF000000u | window->pixel(x, y));
    expectCompletePage(image, image.width(), image.height());

    // An empty device text counts as the screen and as PNG.
    rePlot.description().setDevice("");
    rePlot.description().pageFill = -7;
    quorva::plot(rePlot.description(), rePlot.geometry());
    EXPECT_EQ(rePlot.description().pageFill, 255);
}

TEST_F(PlotSequenceTest, NoPointsStillGiveTheAxisSystemAndTitle)
{
    fill(lightCurveText(20.0f, 480.0f), OutputChoice::Png);
    rePlot.description().setPointCount(0);
    plotOnce();
    const pagecheck::Page p = pngPage();
    ASSERT_TRUE(p.frameFound);
    EXPECT_EQ(p.redInside + p.greenInside + p.blueInside + p.colouredOutside, 0);
    // The title line lies above the frame.
    QImage image(QString::fromStdString(rePlot.description().fileName));
    int titlePixels = 0;
    for (int y = 0; y < p.frame.top() - 2; ++y)
        for (int x = p.frame.left(); x <= p.frame.right(); ++x)
            titlePixels += pagecheck::dark(image.pixel(x, y));
    EXPECT_GT(titlePixels, 100);
}

TEST_F(PlotSequenceTest, ZeroYStepLeavesOnlyThePageAndTheQuietDataMendPlotsIt)
{
    // Values from 0 to 4.9: the re-plot's mend gives a fractional y step,
    // so the quiet data still get their axes and curves.
    fill(lightCurveText(0.0f, 4.9f), OutputChoice::Png);
    EXPECT_EQ(rePlot.description().yFrom, 0.0f);
    EXPECT_EQ(rePlot.description().yTo, 5.0f);
    EXPECT_FLOAT_EQ(rePlot.description().yStep, 0.5f);
    plotOnce();
    expectCompletePage(png());

    // An explicit 0 goes to graf unchanged, which refuses the axis system;
    // title and curves are refused with it. The page stays white with its
    // border.
    rePlot.description().setYAxis(0.0f, 5.0f, 0.0f);
    plotOnce();
    const pagecheck::Page p = pngPage();
    EXPECT_FALSE(p.frameFound);
    EXPECT_EQ(p.redInside + p.greenInside + p.blueInside + p.colouredOutside, 0);
    EXPECT_GT(p.whitePixels, p.width * p.height * 9 / 10);
    EXPECT_GT(p.darkPixels, 0);
}

TEST_F(PlotSequenceTest, PlotsInARowAreIndependentPages)
{
    const std::string data = lightCurveText(100.0f, 900.0f);
    fill(data, OutputChoice::Png);
    plotOnce();
    QFile first(QString::fromStdString(rePlot.description().fileName));
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    const QByteArray firstBytes = first.readAll();
    first.close();
    expectCompletePage(png());

    // A PDF and an EPS in between change nothing of the next PNG page, and
    // the same file name is replaced, not versioned.
    fill(data, OutputChoice::Pdf);
    plotOnce();
    fill(data, OutputChoice::Eps);
    plotOnce();
    fill(data, OutputChoice::Png);
    plotOnce();
    QFile second(QString::fromStdString(rePlot.description().fileName));
    ASSERT_TRUE(second.open(QIODevice::ReadOnly));
    EXPECT_EQ(second.readAll(), firstBytes);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 4) << "data, PNG, PDF and EPS only";
}

TEST_F(PlotSequenceTest, TheRePlotRunsThePlotSequenceAsItsPlotStep)
{
    const std::string file = path("LC_r_ADU.txt");
    std::ofstream(file, std::ios::binary) << lightCurveText(10.0f, 300.0f);
    rePlot.setPlotStep(quorva::plot);
    RePlotRequest request;
    request.selectedPath = file;
    request.outputFolder = dir.path().toStdString() + "/";
    request.output = OutputChoice::Png;
    const RePlot::Result r = rePlot.run(request);
    EXPECT_TRUE(r.plotted);
    EXPECT_EQ(rePlot.description().pageFill, 255);
    EXPECT_EQ(rePlot.description().fileName, path("Plot_LC_r_ADU.txt.PNG"));
    expectCompletePage(png());

    // An output folder that does not exist: the plot runs to its end, the
    // engine keeps the failure, nothing is written and the program goes on.
    request.outputFolder = path("missing/");
    rePlot.run(request);
    EXPECT_EQ(zedozo::engineState().level, 0);
    ASSERT_TRUE(zedozo::lastFailure().failed());
    EXPECT_EQ(zedozo::lastFailure().fileName, path("missing/Plot_LC_r_ADU.txt.PNG"));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path("missing"))));
}

} // namespace
