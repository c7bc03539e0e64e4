// The desktop program's windows on a fixed 1920 x 1080 desktop, with a
// recording plot step (or the real one on the Qt screen window): the
// configuration applied, open and click plotting with the controls,
// positions, run and stop, the file list's selection under real mouse and
// key events, the statistics texts, requests during a plot, a plot that
// cannot be written, the event loop's end, room for every control's text,
// and the responsiveness budget of auto-plot on a full day.

#include "desktop/DesktopSupport.h"
#include "dialogs/Stats.h"

#include <QStyleOption>
#include <QTest>

using namespace quorva;

namespace {

class DesktopForms : public DesktopTest {
protected:
    // LC_a_ADU.txt in the input folder of Quorva.cfg, the file dialog open.
    std::unique_ptr<TForm1> openDialog(const std::string& moreConfig = "")
    {
        writeFile(in + "/LC_a_ADU.txt", qtest::lightCurveText(3, 10.25));
        config("[path]=" + in.toStdString() + "\n" + moreConfig);
        auto form = makeForm();
        form->Button2Click();
        return form;
    }
};
using DesktopResponsiveness = DesktopTest;
using DesktopProgram = DesktopTest;

TEST_F(DesktopForms, ConfigurationControlsAndMovesGoIntoThePlots)
{
    writeFile(in + "/LC_a_SFU.txt", qtest::lightCurveText(3, 10.25));
    config("[path]=" + in.toStdString() + "\n[output]=" + out.toStdString() + "/\n[size]=1\n");
    auto form = makeForm();
    TForm2& dialog = form->form2();
    form->Button2Click();
    EXPECT_TRUE(dialog.isVisible() && !form->Button2->isEnabled());
    dialog.ComboBox1->setCurrentIndex(0); // SFU
    dialog.ComboBox1Change();
    form->RadioButton3->setChecked(true); // EPS
    form->Edit2->setText("3");
    ASSERT_TRUE(dialog.clickFile("LC_a_SFU.txt") && plots.size() == 1u);
    const PlotDescription& d = plots[0].description;
    EXPECT_EQ(deviceName(d.device) + std::string(" ") + d.fileName + " " + d.yName,
        "EPS " + (out + "/Plot_LC_a_SFU.txt.EPS").toStdString() + " [SFU]");
    // At the bottom right of the desktop: 1920 - 640, 1080 - 1920 / (3 x 1.414).
    EXPECT_EQ(std::vector<int>(
                  {d.pointCount, d.curveThickness, d.winWidth, plots[0].geometry.plotLeft, plots[0].geometry.plotTop}),
        std::vector<int>({5, 3, 640, 1280, 627}));
    // Closing re-enables "Open..."; the screen plots on "XWIN" and names a PNG.
    dialog.close();
    EXPECT_TRUE(form->Button2->isEnabled());
    form->RadioButton1->setChecked(true);
    form->Button1->click();
    EXPECT_EQ(deviceName(plots.back().description.device) + std::string(" ") + plots.back().description.fileName,
        "XWIN " + (out + "/Plot_LC_a_SFU.txt.PNG").toStdString());
    // Each move plots: up by 1920 / 200, right held at the edge; coarse
    // steps of 1920 / 20 stop at the top.
    form->SpeedButton1->click();
    form->SpeedButton3->click();
    EXPECT_TRUE(plots.size() == 4u && plots.back().geometry.plotLeft == 1280 && plots.back().geometry.plotTop == 618);
    form->CheckBox1->click(); // no plot
    for (int i = 0; i < 7; ++i) form->SpeedButton1->click();
    EXPECT_TRUE(form->geometry().plotTop == 0 && plots.size() == 11u) << "618 - 6 x 96, then held at 0";
    // Each plot size, from the desktop width at 1.414 : 1, keeps the place
    // until a move: down then jumps to the bottom limit, for "Large" above
    // the desktop (1080 - 1357.9 -> -277).
    const int widths[] = {480, 640, 960, 1920, 3840}, heights[] = {339, 452, 678, 1357, 2715};
    for (int i : {0, 1, 2, 4, 3}) {
        form->ComboBox1->setCurrentIndex(i);
        form->ComboBox1Change();
        EXPECT_TRUE(form->Label4->text() == QString("h=%1 px").arg(heights[i])
            && plots.back().description.winWidth == widths[i] && plots.back().geometry.plotTop == 0)
            << i;
    }
    form->SpeedButton2->click();
    EXPECT_EQ(form->geometry().plotTop, -277);
    // The interval set while auto-plot runs restarts its timer.
    form->Button3->click();
    form->CSpinEdit1->setValue(7);
    EXPECT_TRUE(form->Timer1->isActive() && form->Timer1->interval() == 7000);
    form->Button3->click();
    EXPECT_FALSE(form->Timer1->isActive());
}

TEST_F(DesktopForms, AClickOrAKeyInTheFileListPlotsOnceAndTheSelectionStaysUntilAChoice)
{
    writeFile(in + "/LC_b_ADU.txt", qtest::lightCurveText(3, 10.25));
    for (const char* other : {"/LC_c_SFU.txt", "/LCxADU.dat", "/notes.txt"}) writeFile(in + other, "x\n");
    auto form = openDialog();
    TForm2& dialog = form->form2();
    QListWidget* files = dialog.FileListBox1;
    ASSERT_TRUE(
        files->count() == 2 && files->item(0)->text() == "LC_a_ADU.txt" && files->item(1)->text() == "LC_b_ADU.txt");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QString a = in + "/LC_a_ADU.txt";
    const QPoint first = files->visualItemRect(files->item(0)).center();
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, first);
    ASSERT_EQ(plots.size(), 1u);
    EXPECT_TRUE(dialog.selectedFile() == a && plots[0].description.title.starts_with("LC_a_ADU.txt:"));
    // The same file again plots again (the file grows between clicks).
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, first);
    EXPECT_EQ(plots.size(), 2u);
    // The empty area below the two files, Ctrl+click and Ctrl+Space on the
    // file, the unit already chosen: the file stays, and "In:" with it.
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, QPoint(20, files->viewport()->height() - 5));
    EXPECT_EQ(dialog.selectedFile(), a);
    QTest::mouseClick(files->viewport(), Qt::LeftButton, Qt::ControlModifier, first);
    EXPECT_EQ(dialog.selectedFile(), a);
    QTest::keyClick(files, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(dialog.selectedFile(), a);
    emit dialog.ComboBox1->activated(1); // "ADU" chosen again in the list
    EXPECT_EQ(QStringList({dialog.selectedFile(), dialog.Label2->text()}), QStringList({a, a}));
    // Down to the next file by keyboard plots once; another unit's mask
    // ends the selection.
    const std::size_t before = plots.size();
    QTest::keyClick(files, Qt::Key_Down);
    EXPECT_TRUE(plots.size() == before + 1 && dialog.selectedFile() == in + "/LC_b_ADU.txt");
    dialog.ComboBox1->setCurrentIndex(0);
    emit dialog.ComboBox1->activated(0);
    EXPECT_TRUE(dialog.unitText() == "SFU" && dialog.selectedFile().isEmpty());
}

TEST_F(DesktopForms, RequestsDuringAPlotRunOnceAfterIt)
{
    auto form = openDialog("[output]=" + out.toStdString() + "/\n");
    int depth = 0, maxDepth = 0;
    onPlot = [&] {
        maxDepth = std::max(maxDepth, ++depth);
        if (plots.size() == 1) {
            // While the screen window updates, it dispatches waiting events:
            // a click on "RePlot", an auto-plot tick, a click in the dialog.
            form->RadioButton2->setChecked(true);
            QTimer::singleShot(0, form.get(), [&] { form->Button1->click(); });
            QTimer::singleShot(0, form.get(), [&] { form->Timer1Timer(); });
            QTimer::singleShot(0, form.get(), [&] { form->form2().FileListBox1Click(); });
            QTimer::singleShot(0, form.get(), [&] { form->SpeedButton1->click(); });
            QTest::qWait(20);
        }
        --depth;
    };
    ASSERT_TRUE(form->form2().clickFile("LC_a_ADU.txt"));
    EXPECT_EQ(maxDepth, 1);      // none started inside the running plot
    ASSERT_EQ(plots.size(), 2u); // four requests: one more plot
    EXPECT_EQ(deviceName(plots[0].description.device) + std::string(deviceName(plots[1].description.device)),
        "XWINPDF"); // the controls as they are then
    EXPECT_EQ(plots[1].geometry.plotTop, plots[0].geometry.plotTop - 9);
}

TEST_F(DesktopForms, APlotThatCannotBeWrittenIsShownUntilTheNextGoodOne)
{
    const QString missing = root + "/no/such/folder/";
    realPlots = true;
    auto form = openDialog("[output]=" + missing.toStdString() + "\n");
    form->RadioButton3->setChecked(true); // EPS
    ASSERT_TRUE(form->form2().clickFile("LC_a_ADU.txt"));
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_NE(reported[0].find("cannot write " + missing.toStdString()), std::string::npos) << reported[0];
    EXPECT_TRUE(form->windowTitle().startsWith(QString(TForm1::kCaption) + " - cannot write"));
    // The same failure again is shown, not reported twice; a writable output
    // folder: the plot is written and the title is back.
    form->Button1Click();
    TForm2& dialog = form->form2();
    dialog.ComboBox2->setCurrentIndex(1);
    dialog.ComboBox2Change();
    ASSERT_TRUE(dialog.DirectoryListBox2->setDirectory(out));
    form->Button1Click();
    EXPECT_EQ(form->windowTitle(), TForm1::kCaption);
    EXPECT_TRUE(QFileInfo(out + "/Plot_LC_a_ADU.txt.EPS").isFile() && reported.size() == 1u);
}

TEST_F(DesktopProgram, ExitAndEscapingExceptionsEndTheEventLoop)
{
    QuorvaApplication& app = application();
    // "Exit" while auto-plot runs ends the loop at once.
    form = makeForm();
    QTimer::singleShot(0, form.get(), [&] { form->Button3Click(), form->Button5Click(); });
    EXPECT_EQ(app.exec(), 0);
    // An exception out of a handler ends the loop with a failure status.
    QTimer::singleShot(0, form.get(), [] { throw std::runtime_error("broken handler"); });
    testing::internal::CaptureStderr();
    EXPECT_EQ(app.exec(), kExitUnexpected);
    EXPECT_NE(
        testing::internal::GetCapturedStderr().find("quorva: unexpected error: broken handler"), std::string::npos);
}

TEST_F(DesktopProgram, RefusesToStartWithoutADisplay)
{
    const qtest::RunResult r = qtest::run({"env", "-u", "QT_QPA_PLATFORM", QUORVA_BINARY});
    EXPECT_TRUE(r.status == kExitNoDisplay && r.err.find("no display") != std::string::npos) << r.err;
}

// Auto-plot of a full day (345,600 samples) on the real screen window once a
// second, the file growing meanwhile: a 20 ms probe timer measures the
// longest time the event loop could not answer, and the field being typed
// in keeps the keyboard while each plot re-creates the screen window. (Left
// out of the sanitizer run.)
TEST_F(DesktopResponsiveness, AutoPlotOfAFullDayOnTheScreenEverySecond)
{
    writeFile(in + "/LC20261206_SFU.txt", qtest::lightCurveText(345600));
    config("[path]=" + in.toStdString() + "\n[output]=" + out.toStdString() + "/\n[size]=2\n[update]=1\n");
    realPlots = true;
    QWidget* typing = nullptr;
    int focusLost = 0;
    onPlot = [&] { focusLost += typing && QApplication::focusWidget() != typing; };
    form = makeForm();
    form->show();
    ASSERT_TRUE(openAndClick(*form, "LC20261206_SFU.txt") && zedozo::screenWindow(1));
    form->form2().hide();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    typing = form->CSpinEdit1;
    typing->setFocus();
    QFile growing(in + "/LC20261206_SFU.txt");
    ASSERT_TRUE(growing.open(QIODevice::Append));
    QTimer append, probe;
    QObject::connect(
        &append, &QTimer::timeout, [&] { growing.write("23.990000,30.00,40.00,50.00\r\n"), growing.flush(); });
    append.start(250);
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, worst = 0, longest = 0;
    QObject::connect(
        &probe, &QTimer::timeout, [&] { worst = std::max(worst, clock.elapsed() - last), last = clock.elapsed(); });
    probe.start(20);
    form->Button3Click(); // "Run"
    QTest::qWait(5500);
    form->Button3Click(); // "Stop"
    ASSERT_GE(plots.size(), 5u) << "auto-plot ticks in 5.5 s";
    for (std::size_t i = 1; i < plots.size(); ++i) longest = std::max(longest, plots[i].ms);
    EXPECT_GT(form->rePlot().lightCurve().sampleCount, 345602) << "each tick reads the grown file";
    EXPECT_TRUE(longest < 900 && worst < 600) << longest << " ms a plot, " << worst << " ms a stall";
    EXPECT_TRUE(focusLost == 0 && QApplication::focusWidget() == typing && QApplication::activeWindow() == form.get());
}

// Quorva.cfg values out of every range (the reader itself has its fuzz
// target) and the axis keys: the main window starts with them, plots in the
// axis style asked for, and holds the interval to 1 to 600 s.
TEST_F(DesktopForms, HostileConfigurationFilesStillGiveAWorkingWindow)
{
    writeFile(in + "/LC20261206_SFU.txt", qtest::lightCurveText(200));
    struct Case {
        std::string content;
        int interval;
        AxisStyle style;
    };
    for (const auto& [content, interval, style] :
        std::vector<Case> {{"[path]=%s%n%s%n\n[output]=/no/such/folder/\n[size]=-2147483648\n[update]=-1\n[log]=1\n",
                               1000, AxisStyle::ReadableLog},
            {"[output]=" + std::string(230, '/') + "\n[size]=2147483647\n[update]=0x7fffffff\n[AXES]=readable\n",
                600000, AxisStyle::Classic},
            {"[axes]=readable\n[update]=5\n", 5000, AxisStyle::Readable}}) {
        config(content);
        auto form = makeForm();
        ASSERT_TRUE(form->form2().DirectoryListBox1->setDirectory(in));
        ASSERT_TRUE(openAndClick(*form, "LC20261206_SFU.txt")) << content;
        EXPECT_TRUE(form->Timer1->interval() == interval && plots.back().description.axisStyle == style) << content;
    }
}

// Every visible control of `window` has room for its whole text: a combo
// box's items, a line edit's text (a spin box's largest number) and a
// button's text fit the area the style draws them in (not the size hint
// the windows grow their controls to, which has a minimum and room to
// spare), a group's title and a label's text fit the control. The controls
// grown to their texts, and in a dialog with a `hint` every control, cover
// no visible neighbour and stay inside their parent; `hint` may lie under
// `list`. Paths are as long as their folders, with the tooltip.
void expectRoomAndNoCover(QWidget* window, const QWidget* hint = nullptr, const QWidget* list = nullptr)
{
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->parentWidget()->inherits("QComboBox")
            || w->parentWidget()->inherits("QAbstractSpinBox"))
            continue;
        const std::string where = window->windowTitle().toStdString() + " / " + w->metaObject()->className() + " at "
            + std::to_string(w->x()) + "," + std::to_string(w->y());
        QStyle* s = w->style();
        QStringList texts;
        int room = 0;
        if (auto* c = qobject_cast<QComboBox*>(w)) {
            for (int i = 0; i < c->count(); ++i) texts << c->itemText(i);
            QStyleOptionComboBox o;
            o.initFrom(c);
            o.subControls = QStyle::SC_All;
            room = s->subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxEditField, c).width() - 2;
        }
        auto* sb = qobject_cast<QSpinBox*>(w);
        if (auto* e = sb ? sb->findChild<QLineEdit*>() : qobject_cast<QLineEdit*>(w)) {
            texts << (sb ? QString::number(sb->maximum()) : e->text());
            QStyleOptionFrame o;
            o.initFrom(e);
            o.lineWidth = e->hasFrame() ? s->pixelMetric(QStyle::PM_DefaultFrameWidth, &o, e) : 0; // not in a spin box
            room = s->subElementRect(QStyle::SE_LineEditContents, &o, e).width() - 2 * 2; // the edit's own margins
        }
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            QStyleOptionButton o;
            o.initFrom(b);
            o.text = b->text();
            texts << o.text;
            const QStyle::SubElement kind = qobject_cast<QRadioButton*>(b) ? QStyle::SE_RadioButtonContents
                : qobject_cast<QCheckBox*>(b)                              ? QStyle::SE_CheckBoxContents
                                                                           : QStyle::SE_PushButtonContents;
            room = s->subElementRect(kind, &o, b).width();
        }
        if (auto* g = qobject_cast<QGroupBox*>(w)) texts << g->title(), room = g->width() - 8;
        for (const QString& t : texts)
            EXPECT_TRUE(t.contains(QLatin1Char('/')) || w->fontMetrics().horizontalAdvance(t) <= room)
                << where << ": " << t.toStdString();
        if (auto* l = qobject_cast<QLabel*>(w); l && !l->text().contains(QLatin1Char('/'))) {
            const QRect need
                = l->fontMetrics().boundingRect(l->contentsRect(), Qt::AlignLeft | Qt::AlignTop, l->text());
            EXPECT_TRUE(l->contentsRect().contains(need)) << where << ": " << l->text().toStdString();
        }
        const bool grown
            = qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractSpinBox*>(w);
        if (!grown && (w->parentWidget() != window || !hint))
            continue; // the grown controls, and in the dialog every control
        for (QWidget* other : w->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const QRect both = w->geometry() & other->geometry();
            const bool under = (w == hint && other == list) || (w == list && other == hint);
            EXPECT_FALSE(other != w && other->isVisible() && !other->inherits("QGroupBox") && !under && both.width() > 1
                && both.height() > 1)
                << where << " covers " << other->metaObject()->className() << " at " << other->x() << "," << other->y();
        }
        EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << where;
    }
}

// The statistics of the example file opened through the dialog; then the
// main window, the statistics and the file dialog in both modes (the hint
// "Select Directory for Output" included) give every control room.
TEST_F(DesktopForms, StatisticsTextsAndRoomForEveryControl)
{
    config("[path]=" QUORVA_SOURCE_DIR "/examples\n");
    auto form = makeForm();
    TForm3& stats = form->form3();
    ASSERT_TRUE(openAndClick(*form, "LC20261206_SFU.txt"));
    EXPECT_EQ(QStringList({stats.EditFilename->text(), stats.GroupBox[0]->title(), stats.EditLast[0]->text(),
                  stats.EditMinlc[0]->text(), stats.EditMaxlc[2]->text(), stats.EditTmax->text()}),
        QStringList({"LC20261206_SFU.txt", " 45.00 MHz", " 19.88 SFU", " 17.78 SFU", "468.58 SFU", " 12.00 UT"}));
    // What the user types is overwritten by the next refresh ("Statistics"
    // shows the window, which refreshes).
    stats.EditCounts->setText("typed");
    form->Button4Click();
    EXPECT_TRUE(stats.isVisible() && stats.EditCounts->text() == "3602");
    TForm2& dialog = form->form2();
    form->show();
    for (QWidget* window : QList<QWidget*> {form.get(), &form->form3()}) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        expectRoomAndNoCover(window);
    }
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    for (int mode : {1, 0}) {
        dialog.ComboBox2->setCurrentIndex(mode);
        dialog.ComboBox2Change();
        EXPECT_TRUE(dialog.Label3->isVisible());
        expectRoomAndNoCover(&dialog, dialog.Label3, dialog.FileListBox1);
    }
}

} // namespace
