// The screen window on the Qt backend under the offscreen platform: the plot
// sequence's page for the golden light curves compared pixel for pixel with
// tests/golden/Screen_*.png, the window's place, size and life across
// plots, a backend taken away during the update's dispatch, a missing
// backend, and a filled polygon.

#include "app/RePlot.h"
#include "desktop/DesktopSupport.h"
#include "engine/Engine.h"
#include "engine/TestSeams.h"
#include "plotjob/PlotSequence.h"
#include "support/Golden.h"

#include <QPointer>
#include <QTimer>

namespace {

using namespace qtest;
using namespace zedozo;

class Screen : public quorva::DesktopTest {
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        rePlot.setPlotStep(quorva::plot);
        rePlot.description().reset(1280, rePlot.geometry()); // 640 x 452
        rePlot.geometry().plotLeft = 30, rePlot.geometry().plotTop = 40;
    }
    QtBackendWindow* plot(const std::string& file)
    {
        rePlot.run({.selectedPath = dir / file, .outputFolder = dir.path() + "/"});
        EXPECT_EQ(engineState().level, 0);
        return static_cast<QtBackendWindow*>(screenWindow(1));
    }
    TempDir dir;
    quorva::RePlot rePlot;
};

TEST_F(Screen, PagesAreTheGoldenPagesInAWindowThatEachPlotReplaces)
{
    QPointer<QWidget> previous, drawing;
    for (const auto& [file, text] : goldenLightCurves()) {
        ASSERT_TRUE(writeFile(dir / file, text));
        QTimer::singleShot(0, [&] {
            drawing = static_cast<QtBackendWindow*>(screenWindow(1))->widget();
            EXPECT_FALSE(drawing->close());
        });
        QtBackendWindow* w = plot(file);
        ASSERT_TRUE(w && w->widget() == drawing && !previous && backend->windows().size() == 1u) << file;
        previous = w->widget();
        EXPECT_FALSE(lastFailure().failed()) << lastFailure().text;
        // The window stays after the plot, at the plot position, the
        // description's size (its client area a pixel less each way).
        EXPECT_TRUE(w->widget()->isVisible() && w->widget()->windowTitle() == "ZEDOZO 1");
        EXPECT_EQ(w->widget()->geometry(), QRect(30, 41, 639, 451));
        const QImage image = w->image().convertToFormat(QImage::Format_RGB32);
        const QString golden = QString::fromStdString(goldenPath("Screen_" + file + ".png"));
        if (updatingGolden() || !comparingGolden()) {
            ASSERT_TRUE(!updatingGolden() || image.save(golden));
            continue;
        }
        EXPECT_TRUE(image == QImage(golden).convertToFormat(QImage::Format_RGB32)) << file << ": not the golden page";
        // What the window shows is its image.
        EXPECT_EQ(w->widget()->grab().toImage().convertToFormat(QImage::Format_RGB32), image.copy(0, 0, 639, 451));
    }
    ASSERT_TRUE(previous && previous->close());
    const std::string file = goldenLightCurves()[0].first;
    QtBackendWindow* anew = plot(file);
    EXPECT_TRUE(anew && anew->widget()->isVisible() && backend->windows().size() == 1u);
    // A handler that runs during endgrf's dispatch removes the backend: the
    // rest of the plot draws nothing and ends normally; without a backend
    // the plot fails only to open the window.
    QTimer::singleShot(0, [&] { setWindowBackend(nullptr); });
    plot(file);
    EXPECT_EQ(screenWindow(1), nullptr);
    scope.reset();
    WindowBackendScope none(nullptr);
    plot(file);
    EXPECT_TRUE(lastFailure().warning == 101 && lastFailure().text == "Cannot open the screen window")
        << lastFailure().text;
}

// devpol on the screen: a filled polygon in the window's image.
TEST_F(Screen, APolygonIsFilledInTheWindow)
{
    const float x[3] = {1000, 2000, 1500}, y[3] = {500, 500, 1500}; // plot units
    metafl("XWIN");
    window(30, 40, 640, 452);
    disini();
    winmod("NONE");
    errmod("ALL", "OFF");
    color("RED");
    devpol(x, y, 3);
    const float s = engineState().cycle.devscl;
    disfin();
    auto* w = static_cast<QtBackendWindow*>(screenWindow(1));
    ASSERT_TRUE(w && !lastFailure().failed()) << lastFailure().text;
    const QImage image = w->image().convertToFormat(QImage::Format_RGB32);
    int red = 0;
    for (int j = 0; j < image.height(); ++j)
        for (int i = 0; i < image.width(); ++i) red += (image.pixel(i, j) & 0xFFFFFFu) == 0xFF0000u;
    const double area = 0.5 * (1000 * s) * (1000 * s);
    EXPECT_TRUE(image.pixel(int(1500 * s), int(800 * s)) == 0xFFFF0000u && std::abs(red - area) < 0.05 * area)
        << red << " red pixels for " << area;
}

} // namespace
