// The screen window as a desktop user meets it, on the real plot sequence
// and the Qt window under the offscreen platform: the zoom by a drag over
// the time axis (its pixels read from the picture), the wheel, the arrows,
// Escape and the menu's "Whole file", a growing file followed, a zoomed PDF
// read back with pdftotext, and the right-click menu's axis styles.

#include "desktop/DesktopSupport.h"
#include "dialogs/Stats.h"

#include <QDir>
#include <QMenu>
#include <QRegularExpression>
#include <QTest>

#include <cmath>

using namespace quorva;

namespace {

// A day: one sample at 00:00, 10:00 to 11:00 at 4 samples a second, one
// at 23:59.
const std::string kDay
    = qtest::lightCurveText(1, 0.0, "\n") + qtest::dataLines(14400, 10.0) + qtest::dataLines(1, 23.99);

// The axis frame as the picture shows it: the columns and rows of the
// black lines that run most of the way along the axis system, inside the
// page border (which runs all the way).
struct Frame {
    int left = -1, right = -1, top = -1, bottom = -1;
};
Frame frameOf(const QImage& image)
{
    auto black = [&](int x, int y) { return (image.pixel(x, y) & 0xFFFFFF) == 0; };
    auto longestRun = [&](int n, auto at) {
        int best = 0, run = 0;
        for (int i = 0; i < n; ++i) best = std::max(best, run = at(i) ? run + 1 : 0);
        return best;
    };
    Frame f;
    const int w = image.width(), h = image.height();
    for (int x = 0; x < w; ++x) {
        const int run = longestRun(h, [&](int y) { return black(x, y); });
        if (run > h / 2 && run < h * 9 / 10) (f.left < 0 ? f.left : f.right) = x;
    }
    for (int y = 0; y < h; ++y) {
        const int run = longestRun(w, [&](int x) { return black(x, y); });
        if (run > w / 2 && run < w * 9 / 10) (f.top < 0 ? f.top : f.bottom) = y;
    }
    return f;
}

class ScreenWindow : public DesktopTest {
protected:
    // A main window on `moreConfig` with the real plot sequence, `file` (in
    // the input folder) chosen in the file dialog and plotted.
    void openAndPlot(const std::string& moreConfig, const QString& file)
    {
        realPlots = true;
        config("[path]=" + in.toStdString() + "\n[output]=" + out.toStdString() + "/\n" + moreConfig);
        form = makeForm();
        form->show();
        ASSERT_TRUE(openAndClick(*form, file) && zedozo::screenWindow(1));
    }
    zedozo::QtBackendWindow* window() const { return static_cast<zedozo::QtBackendWindow*>(zedozo::screenWindow(1)); }
    QWidget* screen() const { return window()->widget(); }
    const PlotDescription& plotted() { return plots.back().description; }
    // Gives the user's `input` and waits for the re-plot it asks for.
    void replotBy(const std::function<void()>& input)
    {
        const std::size_t before = plots.size();
        input();
        ASSERT_TRUE(QTest::qWaitFor([&] { return plots.size() > before; }, 3000)) << "no re-plot";
    }
    // The point of a time on the axis of the picture now shown, half-way up
    // the axis frame: from the frame in the picture and the plot's axis ends.
    QPointF at(double hours)
    {
        const Frame f = frameOf(window()->image());
        const PlotDescription& d = plotted();
        return {f.left + (hours - d.xFrom) / (d.xTo - d.xFrom) * (f.right - f.left), (f.top + f.bottom) / 2.0};
    }
    void drag(double fromHours, double toHours)
    {
        const QPoint a = at(fromHours).toPoint(), b = at(toHours).toPoint();
        replotBy([&] {
            QTest::mousePress(screen(), Qt::LeftButton, {}, a);
            QTest::mouseMove(screen(), (a + b) / 2);
            QTest::mouseMove(screen(), b);
            QTest::mouseRelease(screen(), Qt::LeftButton, {}, b);
        });
    }
};

// A drag from the pixel of 10:30 to the pixel of 10:45 on a plotted day
// zooms to that window within a pixel; the statistics, the window title and
// a PDF of it (its name, and its axis as pdftotext reads it) show it; the
// wheel zooms around the pointer, the arrows pan by half the window, a
// narrow drag is a click, Escape and "Whole file" show the whole day again,
// and the menu's check marks choose the axis style of the following plots.
TEST_F(ScreenWindow, DragWheelArrowsEscapeAndTheMenu)
{
    writeFile(in + "/LC20261206_SFU.txt", kDay);
    writeFile(in + "/LC20261207_SFU.txt", kDay);
    openAndPlot("[size]=2\n", "LC20261206_SFU.txt");
    EXPECT_TRUE(plotted().xFrom == 0.0f && plotted().xTo == 24.0f);
    const double pixel = 24.0 / (at(24.0) - at(0.0)).x(); // hours

    // A drag of 4 pixels changes nothing.
    const QPoint p = at(10.5).toPoint();
    QTest::mousePress(screen(), Qt::LeftButton, {}, p);
    QTest::mouseRelease(screen(), Qt::LeftButton, {}, p + QPoint(4, 0));
    QTest::qWait(100);
    EXPECT_TRUE(plots.size() == 1u && !form->zoom().active());

    drag(10.5, 10.75);
    const Zoom& zoom = form->zoom();
    ASSERT_TRUE(zoom.active() && !zoom.following());
    // The plot is the window's: its axis, and its samples in the statistics.
    EXPECT_NEAR(plotted().xFrom, 10.5, pixel);
    EXPECT_NEAR(plotted().xTo, 10.75, pixel);
    const int kept
        = int(std::floor((zoom.to(0) - 10) * 14400 + 1e-6) - std::ceil((zoom.from(0) - 10) * 14400 - 1e-6)) + 1;
    const TForm3& stats = form->form3();
    EXPECT_EQ(stats.EditCounts->text(), QString::number(kept));
    const QString windowLine = stats.LabelWindow->text();
    EXPECT_TRUE(QRegularExpression("^Window: 10:(29|30):\\d\\d to 10:(44|45):\\d\\d UT$").match(windowLine).hasMatch())
        << windowLine.toStdString();
    EXPECT_EQ(screen()->windowTitle(), "ZEDOZO 1 / " + windowLine.mid(8));
    // The drag's click gave the window the keyboard; its successor has it.
    EXPECT_TRUE(QTest::qWaitForWindowActive(screen()));
    // Sent to PDF: named by the window as the command line names it, and
    // pdftotext reads the window's times on its axis, not the whole day's.
    form->RadioButton2->setChecked(true);
    form->Button1->click();
    form->RadioButton1->setChecked(true);
    const QStringList pdfs = QDir(out).entryList({"Plot_*.PDF"});
    const QString ends = windowLine.mid(8, 8).remove(':') + "-" + windowLine.mid(20, 8).remove(':');
    ASSERT_EQ(pdfs, QStringList("Plot_LC20261206_SFU.txt_" + ends + ".PDF"));
    const qtest::RunResult text = qtest::run({"pdftotext", "-layout", (out + "/" + pdfs[0]).toStdString(), "-"});
    ASSERT_EQ(text.status, 0) << text.err;
    for (const char* label : {"10.5", "10.6", "10.7"}) EXPECT_NE(text.out.find(label), std::string::npos) << label;
    for (const char* label : {"2.4", "4.8", "21.6"}) EXPECT_EQ(text.out.find(label), std::string::npos) << label;

    // The wheel: one notch in around 10:40 keeps 10:40 where it was.
    const double mark = 10.0 + 40.0 / 60.0, length = zoom.to(0) - zoom.from(0);
    const double before = (mark - zoom.from(0)) / length;
    QWheelEvent wheel(at(mark), screen()->mapToGlobal(at(mark)), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
        Qt::NoScrollPhase, false);
    replotBy([&] { QApplication::sendEvent(screen(), &wheel); });
    EXPECT_NEAR(zoom.to(0) - zoom.from(0), length * kWheelZoomFactor, 1e-9);
    EXPECT_NEAR((mark - zoom.from(0)) / (zoom.to(0) - zoom.from(0)), before, pixel / length);
    // Right pans by half the window, Left back.
    const double from = zoom.from(0), to = zoom.to(0);
    replotBy([&] { QTest::keyClick(screen(), Qt::Key_Right); });
    EXPECT_NEAR(zoom.from(0), from + (to - from) / 2, 1e-9);
    EXPECT_NEAR(zoom.to(0), to + (to - from) / 2, 1e-9);
    replotBy([&] { QTest::keyClick(screen(), Qt::Key_Left); });
    EXPECT_NEAR(zoom.from(0), from, 1e-9);

    // Escape: the whole day, and the texts of an unzoomed plot.
    replotBy([&] { QTest::keyClick(screen(), Qt::Key_Escape); });
    EXPECT_TRUE(!zoom.active() && plotted().xFrom == 0.0f && plotted().xTo == 24.0f);
    EXPECT_EQ(screen()->windowTitle(), "ZEDOZO 1");
    EXPECT_TRUE(stats.LabelWindow->isHidden() && stats.height() == 212);
    EXPECT_EQ(plotted().fileName, (out + "/Plot_LC20261206_SFU.txt.PNG").toStdString());

    // The right-click menu: its entries' state before `pick` is chosen.
    auto menu = [&](const char* pick) {
        QTest::mouseClick(screen(), Qt::RightButton, {}, QPoint(30, 30));
        auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QString state;
        QAction* chosen = nullptr;
        for (QAction* a : m ? m->actions() : QList<QAction*>())
            if (!a->isSeparator()) {
                state += a->text() + (a->isCheckable() ? (a->isChecked() ? "[x]" : "[ ]") : "")
                    + (a->isEnabled() ? "" : "(off)") + ";";
                chosen = a->text() == QLatin1String(pick) && a->isEnabled() ? a : chosen;
            }
        EXPECT_TRUE(chosen && QTest::qWaitForWindowExposed(m)) << pick;
        if (chosen) replotBy([&] { QTest::mouseClick(m, Qt::LeftButton, {}, m->actionGeometry(chosen).center()); });
        return state.toStdString();
    };
    EXPECT_EQ(menu("Readable axes"), "Whole file(off);Readable axes[ ];Logarithmic y axis[ ];");
    EXPECT_EQ(plotted().axisStyle, AxisStyle::Readable);
    EXPECT_EQ(menu("Logarithmic y axis"), "Whole file(off);Readable axes[x];Logarithmic y axis[ ];");
    EXPECT_EQ(plotted().axisStyle, AxisStyle::ReadableLog);
    EXPECT_EQ(menu("Readable axes"), "Whole file(off);Readable axes[x];Logarithmic y axis[x];");
    EXPECT_EQ(plotted().axisStyle, AxisStyle::Classic) << "the logarithmic axis goes with the readable one";
    drag(10.25, 10.5);
    EXPECT_EQ(menu("Whole file"), "Whole file;Readable axes[ ];Logarithmic y axis[ ];");
    EXPECT_TRUE(!zoom.active() && plotted().xFrom == 0.0f && plotted().xTo == 24.0f);
    // Another file shows whole.
    drag(10.5, 10.75);
    ASSERT_TRUE(form->form2().clickFile("LC20261207_SFU.txt"));
    EXPECT_TRUE(!zoom.active() && plotted().xFrom == 0.0f && plotted().xTo == 24.0f);
}

// A window dragged up to the end of a file still being written moves with
// its newest sample at every auto-plot tick, named like `watch --last`.
TEST_F(ScreenWindow, AWindowAtTheEndFollowsTheGrowingFile)
{
    const QString path = in + "/LC20261206_SFU.txt";
    writeFile(path, qtest::lightCurveText(14400, 10.0)); // 10:00:00 to 10:59:59.75, axis 10 to 11
    openAndPlot("[size]=2\n[update]=1\n", "LC20261206_SFU.txt");
    // Auto-plot at 1 s waits while the user drags, however slowly.
    form->Button3Click(); // "Run"
    QWidget* held = screen();
    const std::size_t before = plots.size();
    const QPoint end = at(11.0).toPoint();
    QTest::mousePress(held, Qt::LeftButton, {}, at(10.0 + 50.0 / 60.0).toPoint());
    QTest::mouseMove(held, end);
    QTest::qWait(1600);
    EXPECT_TRUE(plots.size() == before && screen() == held) << "a re-plot during the drag";
    replotBy([&] { QTest::mouseRelease(held, Qt::LeftButton, {}, end); });
    form->Button3Click(); // "Stop"
    ASSERT_TRUE(form->zoom().active() && form->zoom().following());
    EXPECT_EQ(plotted().fileName, (out + "/Plot_LC20261206_SFU.txt_last10.PNG").toStdString());

    writeFile(path, qtest::lightCurveText(14400 + 4800, 10.0)); // 20 minutes more
    replotBy([&] { form->Button3Click(); });                    // "Run"
    form->Button3Click();
    const double newest = 11.0 + 4799 / 14400.0;
    EXPECT_NEAR(plotted().xTo, newest, 1e-5);
    EXPECT_NEAR(plotted().xFrom, newest - 10.0 / 60.0, 1e-5);
    EXPECT_EQ(screen()->windowTitle(), "ZEDOZO 1 / 11:10:00 to 11:20:00 UT (last 10 minutes)");
}

} // namespace
