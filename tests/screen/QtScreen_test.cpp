// The screen window on the Qt backend under the offscreen platform: whole
// output cycles drawing coloured lines, the window's life across plots, the
// window font, and the time a full-day plot takes.
#include "engine/TestSeams.h"
#include "engine/core/Engine.h"
#include "engine/core/EngineInternal.h"
#include "engine/core/EngineState.h"
#include "app/forms/QtWindowBackend.h"
#include "engine/output/ScreenWriter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

using namespace zedozo;

namespace {

QApplication& application() {
    static int argc = 1;
    static char name[] = "test_screen";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

constexpr QRgb kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

class QtScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        application();
        resetScreenForTests();
        resetEngineForTests();
        backend_ = std::make_unique<QtWindowBackend>();
        scope_ = std::make_unique<WindowBackendScope>(backend_.get());
    }
    void TearDown() override {
        scope_.reset();
        backend_.reset();
        resetScreenForTests();
        resetEngineForTests();
    }

    static void begin() {
        metafl("XWIN");
        window(100, 50, 960, 679);
        disini();
        errmod("ALL", "OFF");
        winmod("NONE");
    }

    static QtBackendWindow* current() { return static_cast<QtBackendWindow*>(screenWindow(1)); }
    static QRgb at(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

    std::unique_ptr<QtWindowBackend> backend_;
    std::unique_ptr<WindowBackendScope> scope_;
};

TEST_F(QtScreenTest, ACycleLeavesRedGreenAndBlueLinesInTheWindow) {
    begin();
    ASSERT_FALSE(lastFailure().failed()) << lastFailure().text;
    QtBackendWindow* w = current();
    ASSERT_NE(w, nullptr);
    QWidget* widget = w->widget();
    EXPECT_TRUE(widget->isVisible());
    EXPECT_EQ(widget->geometry(), QRect(100, 51, 959, 678));
    EXPECT_EQ(widget->windowTitle(), "ZEDOZO 1 / Working");

    const float s = engineState().cycle.devscl;
    EXPECT_NEAR(s, 959.0 / 2969.0, 1e-6);
    devrec(0, 0, 2969, 2099, 255);  // the page in white, as the plot job fills it
    const float rows[3] = {500, 1000, 1500};
    const char* names[3] = {"red", "green", "blue"};
    for (int i = 0; i < 3; ++i) {
        color(names[i]);
        drawLine(100, rows[i], 2800, rows[i]);
    }
    // A filled square over the right end of the lines covers them.
    color("yellow");
    const float px[4] = {2400, 2900, 2900, 2400}, py[4] = {400, 400, 1600, 1600};
    devpol(px, py, 4);
    sendbf();  // the window update of endgrf
    EXPECT_EQ(widget->windowTitle(), "ZEDOZO 1 / Working");
    disfin();
    EXPECT_EQ(widget->windowTitle(), "ZEDOZO 1");
    EXPECT_TRUE(widget->isVisible());  // NONE: the window stays after disfin

    const QImage& image = w->image();
    ASSERT_EQ(image.size(), QSize(960, 679));
    const QRgb colours[3] = {kRed, kGreen, kBlue};
    for (int i = 0; i < 3; ++i) {
        int y = int(rows[i] * s + 0.5f);
        for (int x : {int(100 * s + 0.5f), 480, int(2300 * s + 0.5f)})
            EXPECT_EQ(at(image, x, y), colours[i]) << names[i] << " at " << x << "," << y;
        EXPECT_EQ(at(image, int(2600 * s + 0.5f), y), 0xFFFF00u);
        EXPECT_EQ(at(image, 480, y - 2), 0xFFFFFFu);
        EXPECT_EQ(at(image, 480, y + 2), 0xFFFFFFu);
    }
    EXPECT_EQ(at(image, 10, 10), 0xFFFFFFu);
    EXPECT_EQ(at(image, 959, 678), 0xFFFFFFu);

    // What the window shows is its image.
    QImage shown = widget->grab().toImage();
    ASSERT_EQ(shown.size(), QSize(959, 678));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(at(shown, 480, int(rows[i] * s + 0.5f)), colours[i]);
}

TEST_F(QtScreenTest, TheNextPlotReplacesTheWindowAndAClosedOneIsMadeAnew) {
    begin();
    disfin();
    QPointer<QWidget> first = current()->widget();
    ASSERT_TRUE(first);

    begin();
    QPointer<QWidget> second = current()->widget();
    EXPECT_FALSE(first);  // destroyed before the new one was made
    ASSERT_TRUE(second);
    EXPECT_EQ(backend_->windows().size(), 1u);
    EXPECT_FALSE(second->close());  // no closing while the page is drawn
    EXPECT_TRUE(second->isVisible());
    disfin();

    // The user closes the finished window; the next plot opens a new one.
    EXPECT_TRUE(second->close());
    EXPECT_FALSE(second->isVisible());
    begin();
    EXPECT_FALSE(lastFailure().failed());
    ASSERT_NE(current(), nullptr);
    EXPECT_TRUE(current()->widget()->isVisible());
    EXPECT_EQ(backend_->windows().size(), 1u);
    color("green");
    drawLine(100, 100, 2000, 100);
    disfin();
    EXPECT_EQ(at(current()->image(), 300, int(100 * engineState().cycle.devscl + 0.5f)), kGreen);
}

TEST_F(QtScreenTest, AWaitingWindowContinuesOnARightClick) {
    begin();
    winmod("NOERASE");  // wait for the right mouse button, keep the window
    QWidget* widget = current()->widget();
    int clicks = 0;
    QTimer::singleShot(30, widget, [&] {
        QTest::mouseClick(widget, Qt::LeftButton);  // not the continue button
        QTest::keyClick(widget, Qt::Key_Return);    // nor the continue key
        ++clicks;
    });
    QTimer::singleShot(80, widget, [&] {
        QTest::mouseClick(widget, Qt::RightButton);
        ++clicks;
    });
    QElapsedTimer timer;
    timer.start();
    disfin();
    EXPECT_EQ(clicks, 2);
    EXPECT_GE(timer.elapsed(), 70);
    ASSERT_NE(current(), nullptr);
    EXPECT_EQ(current()->widget(), widget);
    EXPECT_EQ(widget->windowTitle(), "ZEDOZO 1 / Click MB2 to continue ...");
}

TEST_F(QtScreenTest, TimesNewRomanIsMeasuredAndDrawn) {
    begin();
    std::uint16_t widths[kScreenFontCodes] = {};
    ASSERT_EQ(screenWindowFont("Times New Roman", 20, 0, widths), 0);
    // A metric-compatible Times: "A" is 0.722 em, the blank 0.25 em.
    EXPECT_GT(widths['A' - 32], 110);
    EXPECT_LT(widths['A' - 32], 150);
    EXPECT_GT(widths[' ' - 32], 30);
    EXPECT_LT(widths[' ' - 32], 60);
    EXPECT_EQ(widths['1' - 32], widths['2' - 32]);  // figures share one width

    color("white");
    CharParams p;
    p.height = 60;
    const float s = engineState().cycle.devscl;
    devchr('H', 1000, 1000, 0, p);
    disfin();
    const QImage& image = current()->image();
    // The letter lies between its cell top and the baseline.
    int top = int((1000 - 60) * s + 0.5f), base = int(1000 * s + 0.5f), left = int(1000 * s + 0.5f);
    int lit = 0;
    for (int y = top - 4; y <= base + 4; ++y)
        for (int x = left; x < left + 20; ++x) lit += at(image, x, y) != 0;
    EXPECT_GT(lit, 20);
}

TEST_F(QtScreenTest, AFullDayPlotStaysFast) {
    constexpr int n = 345600;
    std::vector<float> t(n), v[3];
    for (int c = 0; c < 3; ++c) v[c].resize(n);
    unsigned seed = 12345;
    for (int i = 0; i < n; ++i) {
        t[i] = 24.0f * i / n;
        for (int c = 0; c < 3; ++c) {
            seed = seed * 1103515245u + 12345u;
            v[c][i] = 100.0f + 40.0f * c + 30.0f * std::sin(i * 1e-4f) + float((seed >> 16) % 100) / 10.0f;
        }
    }
    QElapsedTimer timer;
    timer.start();
    begin();
    setAxisSystemForTests(0, 24, 0, 250, 300, 1800, 2400, 1500);
    const char* names[3] = {"red", "green", "blue"};
    for (int c = 0; c < 3; ++c) {
        color(names[c]);
        curve(t.data(), v[c].data(), n);
    }
    sendbf();
    disfin();
    qint64 ms = timer.elapsed();
    RecordProperty("milliseconds", int(ms));
    EXPECT_LT(ms, 400) << "a full-day screen plot took " << ms << " ms";
    const QImage& image = current()->image();
    int red = 0, green = 0, blue = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            QRgb c = at(image, x, y);
            red += c == kRed;
            green += c == kGreen;
            blue += c == kBlue;
        }
    EXPECT_GT(red, 700);
    EXPECT_GT(green, 700);
    EXPECT_GT(blue, 700);
}

}  // namespace
