// The desktop program with the real plot sequence: a click in the file
// dialog writes the plot file, and the screen window shows the three curves
// inside the axis frame.

#include "DesktopSupport.h"

#include "dialogs/FileSelect.h"
#include "engine/core/EngineState.h"
#include "engine/output/QtWindowBackend.h"
#include "engine/output/ScreenWriter.h"
#include "plotjob/PlotSequence.h"

#include <QFileInfo>
#include <QImage>
#include <QTimer>

#include <gtest/gtest.h>

using namespace quorva;
using namespace desktoptest;

namespace {

const QString kExamples = QStringLiteral(QUORVA_SOURCE_DIR "/examples");

class DesktopPlot : public ::testing::Test {
protected:
    void SetUp() override
    {
        application();
        zedozo::resetScreenForTests();
        zedozo::resetEngineForTests();
        ASSERT_TRUE(tmp.isValid());
        writeFile(tmp.path() + "/Quorva.cfg",
                  "[path]=" + kExamples.toStdString() + "\n[output]=" + tmp.path().toStdString() + "/\n[size]=2\n");
        form = std::make_unique<TForm1>(options(tmp.path() + "/Quorva.cfg", &quorva::plot));
        form->Button2Click();
        TForm2& dialog = form->form2();
        dialog.ComboBox1->setCurrentIndex(0); // SFU
        dialog.ComboBox1Change();
    }
    void TearDown() override
    {
        form.reset();
        zedozo::resetScreenForTests();
        zedozo::resetEngineForTests();
    }

    QTemporaryDir tmp;
    std::unique_ptr<TForm1> form;
};

TEST_F(DesktopPlot, AFileClickWritesThePlotFile)
{
    form->RadioButton4->setChecked(true); // PNG
    ASSERT_TRUE(form->form2().clickFile("LC20261206_SFU.txt"));
    EXPECT_TRUE(form->plotFailure().empty()) << form->plotFailure();
    const QImage png(tmp.path() + "/Plot_LC20261206_SFU.txt.PNG");
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.size(), QSize(960, 678)); // the screen window's size for "Medium"

    form->RadioButton3->setChecked(true); // EPS
    form->Button1Click();
    QFile eps(tmp.path() + "/Plot_LC20261206_SFU.txt.EPS");
    ASSERT_TRUE(eps.open(QIODevice::ReadOnly));
    EXPECT_TRUE(eps.readLine().startsWith("%!PS-Adobe"));
    const QByteArray body = eps.readAll();
    EXPECT_GT(body.size(), 100000); // three curves of 3602 points
    EXPECT_TRUE(body.trimmed().endsWith("showpage"));
}

TEST_F(DesktopPlot, TheScreenWindowShowsTheCurvesInsideTheFrame)
{
    zedozo::QtWindowBackend backend;
    zedozo::WindowBackendScope scope(&backend);
    ASSERT_TRUE(form->RadioButton1->isChecked()); // "Screen"
    ASSERT_TRUE(form->form2().clickFile("LC20261206_SFU.txt"));
    EXPECT_TRUE(form->plotFailure().empty()) << form->plotFailure();

    auto* window = dynamic_cast<zedozo::QtBackendWindow*>(zedozo::screenWindow(1));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->title(), "ZEDOZO 1");
    EXPECT_EQ(window->clientWidth(), 959); // window request 960 x 678
    EXPECT_EQ(window->clientHeight(), 677);
    const QImage image = window->image().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(image.isNull());

    // The axis frame: the black rows and columns that run across most of
    // the image.
    const int w = image.width(), h = image.height();
    auto black = [&](int x, int y) { return (image.pixel(x, y) & 0xFFFFFF) == 0; };
    int top = -1, bottom = -1, left = -1, right = -1;
    for (int y = 0; y < h; ++y) {
        int n = 0;
        for (int x = 0; x < w; ++x)
            n += black(x, y);
        if (n > w / 2) {
            if (top < 0)
                top = y;
            bottom = y;
        }
    }
    for (int x = 0; x < w; ++x) {
        int n = 0;
        for (int y = 0; y < h; ++y)
            n += black(x, y);
        if (n > h / 2) {
            if (left < 0)
                left = x;
            right = x;
        }
    }
    ASSERT_GE(top, 0);
    ASSERT_GE(left, 0);
    ASSERT_GT(bottom - top, h / 2);
    ASSERT_GT(right - left, w / 2);

    // Red, green and blue curves, all of them inside the frame.
    int inside[3] = {0, 0, 0}, outside = 0;
    const QRgb colours[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const QRgb p = image.pixel(x, y) & 0xFFFFFF;
            for (int c = 0; c < 3; ++c) {
                if (p != colours[c])
                    continue;
                if (x >= left && x <= right && y >= top && y <= bottom)
                    ++inside[c];
                else
                    ++outside;
            }
        }
    }
    EXPECT_GT(inside[0], 500);
    EXPECT_GT(inside[1], 500);
    EXPECT_GT(inside[2], 500);
    EXPECT_EQ(outside, 0);

    // A move plots again into a new window at the new place.
    form->SpeedButton4Click();
    auto* moved = dynamic_cast<zedozo::QtBackendWindow*>(zedozo::screenWindow(1));
    ASSERT_NE(moved, nullptr);
    ASSERT_NE(moved->widget(), nullptr);
    EXPECT_EQ(moved->title(), "ZEDOZO 1");
    EXPECT_EQ(backend.windows().size(), 1u); // the old one is gone
}

TEST_F(DesktopPlot, AClickHandedOnByTheScreenWindowPlotsAfterTheRunningPlot)
{
    zedozo::QtWindowBackend backend;
    zedozo::WindowBackendScope scope(&backend);
    // Waiting when the plot starts; the screen window's update at endgrf
    // dispatches it, inside the running plot.
    int dispatchedDuringPlot = 0;
    QTimer::singleShot(0, form.get(), [&] {
        dispatchedDuringPlot += form->rePlotGate().running();
        form->Button1Click();
    });
    ASSERT_TRUE(form->form2().clickFile("LC20261206_SFU.txt"));
    EXPECT_EQ(dispatchedDuringPlot, 1);
    EXPECT_EQ(form->rePlotGate().runs(), 2u); // the click's plot, after the first
    EXPECT_FALSE(form->rePlotGate().pending());
    EXPECT_TRUE(form->plotFailure().empty()) << form->plotFailure();
    ASSERT_NE(zedozo::screenWindow(1), nullptr);
    EXPECT_EQ(zedozo::screenWindow(1)->title(), "ZEDOZO 1");
}

} // namespace
