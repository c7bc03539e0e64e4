// The desktop program with the real plot sequence: a click in the file
// dialog writes the plot file, and the screen window shows the three curves
// inside the axis frame.

#include "DesktopSupport.h"

#include "dialogs/FileSelect.h"
#include "engine/TestSeams.h"
#include "engine/core/EngineState.h"
#include "app/forms/QtWindowBackend.h"
#include "engine/output/ScreenWriter.h"
#include "plotjob/PageCheck.h"
#include "plotjob/PlotSequence.h"

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
    pagecheck::expectPlottedPage(window->image(), "screen window", 0, 500);

    // A move plots again into a new window at the new place.
    form->SpeedButton4Click();
    auto* moved = dynamic_cast<zedozo::QtBackendWindow*>(zedozo::screenWindow(1));
    ASSERT_NE(moved, nullptr);
    ASSERT_NE(moved->widget(), nullptr);
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
