// The three windows of the desktop program on a fixed 1920 x 1080 desktop,
// with a recording plot step in place of the plot sequence.

#include "DesktopSupport.h"

#include "dialogs/FileSelect.h"
#include "dialogs/Stats.h"
#include "engine/TestSeams.h"
#include "engine/core/Engine.h"
#include "engine/core/EngineState.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

using namespace quorva;
using namespace desktoptest;

namespace {

QStringList listed(const QListWidget* list)
{
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

// What one plot step saw.
struct Plotted {
    PlotDescription description;
    PlotGeometry geometry;
};

class DesktopForms : public ::testing::Test {
protected:
    void SetUp() override
    {
        application();
        zedozo::resetEngineForTests();
        ASSERT_TRUE(tmp.isValid());
        root = tmp.path();
        in = root + "/in";
        out = root + "/out";
        ASSERT_TRUE(QDir().mkpath(in + "/sub"));
        ASSERT_TRUE(QDir().mkpath(out));
        cfg = root + "/Quorva.cfg";
    }
    void TearDown() override { zedozo::resetEngineForTests(); }

    void config(const std::string& body) { writeFile(cfg, body); }

    std::unique_ptr<TForm1> makeForm()
    {
        return std::make_unique<TForm1>(options(cfg, [this](const PlotDescription& d, const PlotGeometry& g) {
            plots.push_back({d, g});
            if (onPlot)
                onPlot();
        }));
    }

    QTemporaryDir tmp;
    QString root, in, out, cfg;
    std::vector<Plotted> plots;
    std::function<void()> onPlot;
};

TEST_F(DesktopForms, StartUpCaptionsStatesAndNoConfigurationFile)
{
    auto form = makeForm(); // no Quorva.cfg: "Extra Small", 1 second, empty folders
    TForm1& f = *form;
    EXPECT_EQ(f.windowTitle(), "Quorva             KORB/VAXO/V1.2");
    EXPECT_EQ(f.size(), QSize(315, 171));
    EXPECT_EQ(f.minimumSize(), f.maximumSize());
    EXPECT_EQ(f.pos(), QPoint(226, 200));

    const QStringList captions = {f.Button2->text(), f.Button1->text(), f.Button4->text(), f.Button5->text(),
                                  f.GroupOutput->title(), f.RadioButton1->text(), f.RadioButton2->text(),
                                  f.RadioButton3->text(), f.RadioButton4->text(), f.GroupAutoPlot->title(),
                                  f.LabelInterval->text(), f.LabelSec->text(), f.Button3->text(),
                                  f.GroupPlotSize->title(), f.GroupPosition->title(), f.CheckBox1->text(),
                                  f.Label1->text(), f.Edit2->text()};
    EXPECT_EQ(captions.join('|'), "Open...|RePlot|Statistics|Exit|Output|Screen|PDF|EPS|PNG|AutoPlot|Plot Interval|"
                                  "sec.|Run|Plot Size|Change Plot Position|Coarse|Thickness Curve|2");
    EXPECT_FALSE(f.Button1->isEnabled());
    EXPECT_TRUE(f.RadioButton1->isChecked());
    EXPECT_EQ(f.CSpinEdit1->minimum(), 1);
    EXPECT_EQ(f.CSpinEdit1->maximum(), 600);
    EXPECT_FALSE(f.Timer1->isActive());
    ASSERT_EQ(f.ComboBox1->count(), 5);
    EXPECT_EQ(f.SpeedButton4->arrowType(), Qt::LeftArrow);
    EXPECT_EQ(f.positionStep(), 9);
    EXPECT_GE(f.Edit2->y(), 171); // the thickness field lies below the client area

    // Start values without a configuration file.
    EXPECT_EQ(f.ComboBox1->currentIndex(), 0);
    EXPECT_EQ(f.Label4->text(), "h=339 px");
    EXPECT_EQ(f.Label5->text(), "w=480 px");
    EXPECT_EQ(f.Timer1->interval(), 1000);
    EXPECT_EQ(f.rePlot().description().winWidth, 480);
    EXPECT_EQ(f.geometry().plotLeft, 1440);
    EXPECT_EQ(f.geometry().plotTop, 740); // 1080 - 339.46 cut toward zero

    // The dialogs exist, hidden; nothing has been read or plotted.
    EXPECT_FALSE(f.form2().isVisible());
    EXPECT_FALSE(f.form3().isVisible());
    EXPECT_EQ(f.form2().windowTitle(), "Select Tervasol Lightcurve File");
    EXPECT_EQ(f.form2().geometry(), QRect(555, 50, 444, 254));
    EXPECT_EQ(f.form3().windowTitle(), "Statistics");
    EXPECT_EQ(f.form3().geometry(), QRect(836, 27, 393, 212));
    EXPECT_EQ(f.form3().GroupBox5->title(), "Counts");
    EXPECT_EQ(f.form3().Timer1->interval(), 333);
    EXPECT_TRUE(plots.empty());
    EXPECT_TRUE(f.firstOpen());
}

TEST_F(DesktopForms, ConfigurationIsApplied)
{
    config("[path]=" + in.toStdString() + "\n[output]=" + out.toStdString() + "/\n[size]=2\n[update]=900\n");
    auto form = makeForm();
    EXPECT_EQ(form->ComboBox1->currentIndex(), 2);
    EXPECT_EQ(form->Label4->text(), "h=678 px");
    EXPECT_EQ(form->CSpinEdit1->value(), 600);
    EXPECT_EQ(form->Timer1->interval(), 600000);
    EXPECT_EQ(form->geometry().plotTop, 401);
    EXPECT_EQ(form->rePlot().description().winWidth, 960);
    // The input list starts in the configured folder.
    EXPECT_EQ(form->form2().DirectoryListBox1->directory(), in);
    EXPECT_EQ(form->form2().inputFolder(), in);

    // A size index outside the list selects nothing and keeps "Medium";
    // an interval of 0 becomes 1 second.
    config("[size]=010\n[update]=0\n");
    auto other = makeForm();
    EXPECT_EQ(other->ComboBox1->currentIndex(), -1);
    EXPECT_EQ(other->Label5->text(), "w=960 px");
    EXPECT_EQ(other->Timer1->interval(), 1000);
}

TEST_F(DesktopForms, OpenShowsTheFoldersOnceAndAClickPlotsWithTheControls)
{
    writeFile(in + "/LC_a_SFU.txt", lightCurveText(kSimpleCurve, kSimpleSamples));
    config("[path]=" + in.toStdString() + "\n[output]=" + out.toStdString() + "/\n[size]=1\n");
    auto form = makeForm();
    TForm2& dialog = form->form2();
    EXPECT_EQ(dialog.Label5->text(), "-");
    form->Button2Click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(form->Button2->isEnabled());
    EXPECT_TRUE(form->Button1->isEnabled());
    EXPECT_EQ(dialog.Label2->text(), in);
    EXPECT_EQ(dialog.Label5->text(), out + "/");

    // A click on a file: "In:" shows it; the description follows the controls.
    dialog.ComboBox1->setCurrentIndex(0);
    dialog.ComboBox1Change();
    form->RadioButton3->setChecked(true);
    form->Edit2->setText("3");
    ASSERT_TRUE(dialog.clickFile("LC_a_SFU.txt"));
    EXPECT_EQ(dialog.Label2->text(), in + "/LC_a_SFU.txt");
    ASSERT_EQ(plots.size(), 1u);
    const PlotDescription& d = plots[0].description;
    EXPECT_EQ(d.device, "EPS");
    EXPECT_EQ(d.fileName, (out + "/Plot_LC_a_SFU.txt.EPS").toStdString());
    EXPECT_EQ(d.title, "LC_a_SFU.txt:r= 45.00MHz, g=150.50MHz, b=410.00MHz");
    EXPECT_EQ(d.yName, "[SFU]");
    EXPECT_EQ(d.pointCount, 5);
    EXPECT_EQ(d.curveThickness, 3);
    EXPECT_EQ(d.yTo, 55.0f);
    EXPECT_EQ(d.winWidth, 640);
    EXPECT_EQ(plots[0].geometry.plotLeft, 1280);

    // Closing re-enables "Open..."; opening again resets nothing.
    dialog.close();
    EXPECT_TRUE(form->Button2->isEnabled());
    form->Button2Click();
    EXPECT_EQ(dialog.Label2->text(), in + "/LC_a_SFU.txt");
    EXPECT_EQ(dialog.unitText(), "SFU");
    EXPECT_EQ(plots.size(), 1u);

    // The screen choice plots on "XWIN" and still names a PNG file.
    form->RadioButton1->setChecked(true);
    form->Button1->click();
    ASSERT_EQ(plots.size(), 2u);
    EXPECT_EQ(plots[1].description.device, "XWIN");
    EXPECT_EQ(plots[1].description.fileName, (out + "/Plot_LC_a_SFU.txt.PNG").toStdString());
}

TEST_F(DesktopForms, SizeChangeShowsTheSizeResetsAndPlotsOnlyAfterOpen)
{
    config("[size]=2\n");
    auto form = makeForm();
    const PlotGeometry before = form->geometry();

    // A user's choice in the list runs ComboBox1Change.
    form->show();
    form->ComboBox1->setFocus();
    QTest::keyClick(form->ComboBox1, Qt::Key_Up); // "Small"
    EXPECT_EQ(form->ComboBox1->currentIndex(), 1);
    EXPECT_EQ(form->Label4->text(), "h=452 px");
    EXPECT_EQ(form->rePlot().description().winHeight, 452);
    EXPECT_TRUE(plots.empty()); // no plot before "Open..."
    EXPECT_EQ(form->geometry().plotLeft, before.plotLeft); // the position stays
    EXPECT_EQ(form->geometry().plotTop, before.plotTop);

    // A selection made by the program runs nothing.
    form->ComboBox1->setCurrentIndex(3);
    EXPECT_EQ(form->Label5->text(), "w=640 px");

    form->Button2Click();
    form->ComboBox1->setCurrentIndex(3);
    form->ComboBox1Change();
    EXPECT_EQ(form->Label5->text(), "w=1920 px");
    ASSERT_EQ(plots.size(), 1u);
    EXPECT_EQ(plots[0].description.winHeight, 1357);
    form->hide();
}

TEST_F(DesktopForms, MovesPlotAlsoBeforeOpenAndKeepToTheLimits)
{
    config("[size]=2\n");
    auto form = makeForm();
    EXPECT_EQ(form->geometry().plotLeft, 960);
    EXPECT_EQ(form->geometry().plotTop, 401);

    form->SpeedButton1->click(); // up
    EXPECT_EQ(form->geometry().plotTop, 392);
    ASSERT_EQ(plots.size(), 1u); // moves plot even before "Open..."
    EXPECT_EQ(plots[0].geometry.plotTop, 392);
    EXPECT_EQ(plots[0].description.winWidth, 960);

    form->SpeedButton3->click(); // right: already at the limit
    EXPECT_EQ(form->geometry().plotLeft, 960);
    form->SpeedButton4->click(); // left
    EXPECT_EQ(form->geometry().plotLeft, 951);
    EXPECT_EQ(plots.size(), 3u);

    form->CheckBox1->click(); // coarse: 1920 / 20, no plot
    EXPECT_TRUE(form->CheckBox1->isChecked());
    EXPECT_EQ(form->positionStep(), 96);
    EXPECT_EQ(plots.size(), 3u);
    for (int i = 0; i < 5; ++i)
        form->SpeedButton1->click();
    EXPECT_EQ(form->geometry().plotTop, 0); // 392 - 4 x 96 = 8, then held at 0
    form->CheckBox1->click();
    EXPECT_EQ(form->positionStep(), 9);
    form->SpeedButton2->click();
    EXPECT_EQ(form->geometry().plotTop, 9);
    EXPECT_EQ(plots.back().geometry.plotTop, 9);
}

TEST_F(DesktopForms, RunStopAndTimerTicks)
{
    config("[update]=1\n");
    auto form = makeForm();
    form->Button3->click();
    EXPECT_EQ(form->Button3->text(), "Stop");
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(form->Timer1->interval(), 1000);

    // Ticks re-plot, with no file before "Open...".
    EXPECT_TRUE(QTest::qWaitFor([&] { return !plots.empty(); }, 3000));
    EXPECT_EQ(plots[0].description.pointCount, 0);

    // A new interval changes the running timer's period.
    form->CSpinEdit1->setValue(7);
    EXPECT_EQ(form->Timer1->interval(), 7000);
    EXPECT_TRUE(form->Timer1->isActive());
    form->CSpinEdit1->setValue(1000); // the box holds it at 600
    EXPECT_EQ(form->Timer1->interval(), 600000);

    const std::size_t n = plots.size();
    form->Timer1Timer();
    EXPECT_EQ(plots.size(), n + 1);

    form->Button3->click();
    EXPECT_EQ(form->Button3->text(), "Run");
    EXPECT_FALSE(form->Timer1->isActive());
}

TEST_F(DesktopForms, FileDialogModesUnitMasksAndFolderLists)
{
    writeFile(in + "/LC_a_SFU.txt", "x\n");
    writeFile(in + "/lc_b_sfu.TXT", "x\n");
    writeFile(in + "/LC_c_ADU.txt", "x\n");
    writeFile(in + "/LCxADU.dat", "x\n");
    writeFile(in + "/notes.txt", "x\n");
    ASSERT_TRUE(QDir().mkpath(in + "/LC_d_ADU.txt")); // a folder is not a file
    config("[path]=" + in.toStdString() + "\n[output]=" + out.toStdString() + "/\n");
    auto form = makeForm();
    TForm2& dialog = form->form2();
    form->Button2Click();

    // Start: "Input File", unit "ADU".
    EXPECT_EQ(QStringList({dialog.Label1->text(), dialog.Label4->text(), dialog.ComboBox1->currentText(),
                           dialog.ComboBox2->currentText(), dialog.Label6->text(), dialog.Label7->text(),
                           dialog.Label3->text()})
                  .join('|'),
              "Filetype:|Select Input/Output:|ADU|Input File|In:|Out:|Select Directory for Output");
    EXPECT_EQ(dialog.fileMask(), "LC*ADU*.txt");
    EXPECT_EQ(listed(dialog.FileListBox1), QStringList({"LC_c_ADU.txt"}));
    EXPECT_FALSE(dialog.DirectoryListBox2->isVisible());

    // "SFU": the masks match without regard to case; the folder stays.
    dialog.ComboBox1->setCurrentIndex(0);
    dialog.ComboBox1Change();
    EXPECT_EQ(dialog.fileMask(), "LC*SFU*.txt");
    EXPECT_EQ(listed(dialog.FileListBox1), QStringList({"LC_a_SFU.txt", "lc_b_sfu.TXT"}));
    EXPECT_EQ(dialog.DirectoryListBox1->directory(), in);

    // The folder list: root down to the folder, then its sub-folders.
    DirectoryListBox* folders = dialog.DirectoryListBox1;
    EXPECT_EQ(folders->item(0)->data(DirectoryListBox::kFolderRole).toString(), "/");
    ASSERT_NE(folders->itemForFolder(root), nullptr);
    ASSERT_NE(folders->itemForFolder(in + "/sub"), nullptr);
    ASSERT_NE(folders->itemForFolder(in + "/LC_d_ADU.txt"), nullptr);
    EXPECT_EQ(folders->currentItem(), folders->itemForFolder(in));
    EXPECT_FALSE(dialog.DriveComboBox1->drive().isEmpty());
    EXPECT_TRUE(folderIsIn(in, dialog.DriveComboBox1->drive()));

    // Activating a sub-folder moves the list; "In:" and the file list follow.
    emit folders->itemActivated(folders->itemForFolder(in + "/sub"));
    EXPECT_EQ(dialog.inputFolder(), in + "/sub");
    EXPECT_EQ(dialog.Label2->text(), in + "/sub");
    EXPECT_EQ(dialog.FileListBox1->count(), 0);
    emit folders->itemActivated(folders->itemForFolder(in));
    EXPECT_EQ(listed(dialog.FileListBox1), QStringList({"LC_a_SFU.txt", "lc_b_sfu.TXT"}));

    // "Output Folder": the output lists and the hint show, the unit hides.
    dialog.ComboBox2->setCurrentIndex(1);
    dialog.ComboBox2Change();
    EXPECT_FALSE(dialog.FileListBox1->isVisible() || dialog.DirectoryListBox1->isVisible()
                 || dialog.DriveComboBox1->isVisible() || dialog.ComboBox1->isVisible());
    EXPECT_TRUE(dialog.DirectoryListBox2->isVisible() && dialog.DriveComboBox2->isVisible()
                && dialog.Label3->isVisible());
    EXPECT_EQ(dialog.DirectoryListBox2->directory(), out);
    EXPECT_EQ(dialog.outputFolder(), out + "/");

    // Moving the output list stores the folder with a separator.
    ASSERT_TRUE(dialog.DirectoryListBox2->setDirectory(in + "/sub"));
    EXPECT_EQ(dialog.outputFolder(), in + "/sub/");
    EXPECT_EQ(dialog.Label5->text(), in + "/sub");

    // Back to "Input File": the input lists as they were.
    dialog.ComboBox2->setCurrentIndex(0);
    dialog.ComboBox2Change();
    EXPECT_TRUE(dialog.FileListBox1->isVisible() && dialog.ComboBox1->isVisible());
    EXPECT_FALSE(dialog.DirectoryListBox2->isVisible());
    EXPECT_EQ(listed(dialog.FileListBox1), QStringList({"LC_a_SFU.txt", "lc_b_sfu.TXT"}));
    EXPECT_TRUE(plots.empty()); // nothing of this plots
}

TEST_F(DesktopForms, AMouseClickOrAKeyInTheFileListPlotsOnce)
{
    writeFile(in + "/LC_a_ADU.txt", lightCurveText(kSimpleCurve, kSimpleSamples));
    writeFile(in + "/LC_b_ADU.txt", lightCurveText(kSimpleCurve, kSimpleSamples));
    config("[path]=" + in.toStdString() + "\n");
    auto form = makeForm();
    form->Button2Click();
    TForm2& dialog = form->form2();
    QListWidget* files = dialog.FileListBox1;
    ASSERT_EQ(files->count(), 2);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

    const QPoint first = files->visualItemRect(files->item(0)).center();
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, first);
    ASSERT_EQ(plots.size(), 1u);
    EXPECT_EQ(dialog.selectedFile(), in + "/LC_a_ADU.txt");
    EXPECT_EQ(plots[0].description.title.rfind("LC_a_ADU.txt:", 0), 0u);

    // The same file again plots again (the file grows between clicks).
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, first);
    EXPECT_EQ(plots.size(), 2u);

    // Down to the next file by keyboard.
    files->setFocus();
    QTest::keyClick(files, Qt::Key_Down);
    ASSERT_EQ(plots.size(), 3u);
    EXPECT_EQ(dialog.selectedFile(), in + "/LC_b_ADU.txt");
    EXPECT_EQ(dialog.Label2->text(), in + "/LC_b_ADU.txt");
    dialog.hide();
}

TEST_F(DesktopForms, FileDialogWithFoldersThatDoNotExist)
{
    const QString gone = root + "/gone";
    config("[path]=" + gone.toStdString() + "/sub\n[output]=" + gone.toStdString() + "/\n");
    auto form = makeForm();
    TForm2& dialog = form->form2();
    // The input list stays where it started; the stored text is kept.
    EXPECT_EQ(dialog.DirectoryListBox1->directory(), QDir::cleanPath(QDir::currentPath()));
    EXPECT_EQ(dialog.inputFolder(), gone + "/sub");

    // Output mode falls back to the folder the output list shows.
    dialog.ComboBox2->setCurrentIndex(1);
    dialog.ComboBox2Change();
    const QString shown = dialog.DirectoryListBox2->directory();
    EXPECT_EQ(dialog.outputFolder(), shown == "/" ? QString("/") : shown + "/");
    EXPECT_EQ(dialog.Label5->text(), shown);

    // A folder without a separator is relative to the working directory.
    EXPECT_EQ(folderPartOf("examples"), QDir::currentPath() + "/");
    EXPECT_EQ(folderPartOf("/data/lc"), "/data/");
    EXPECT_EQ(folderPartOf("/data/lc/"), "/data/lc/");
}

TEST_F(DesktopForms, StatisticsWindowTexts)
{
    // The example file through the dialog, as a user opens it.
    const QString examples = QStringLiteral(QUORVA_SOURCE_DIR) + "/examples";
    config("[path]=" + examples.toStdString() + "\n");
    auto form = makeForm();
    form->Button2Click();
    TForm2& dialog = form->form2();
    TForm3& stats = form->form3();
    dialog.ComboBox1->setCurrentIndex(0);
    dialog.ComboBox1Change();
    ASSERT_TRUE(dialog.clickFile("LC20261206_SFU.txt"));
    EXPECT_EQ(stats.EditFilename->text(), "LC20261206_SFU.txt");
    EXPECT_EQ(stats.GroupBox[0]->title(), " 45.00 MHz");
    EXPECT_EQ(stats.EditLast[0]->text(), " 19.88 SFU");
    EXPECT_EQ(stats.EditMinlc[0]->text(), " 17.78 SFU");
    EXPECT_EQ(stats.EditMaxlc[0]->text(), "1416.70 SFU");
    EXPECT_EQ(stats.GroupBox[1]->title(), "150.50 MHz");
    EXPECT_EQ(stats.EditMinlc[1]->text(), " 29.79 SFU");
    EXPECT_EQ(stats.EditMaxlc[2]->text(), "468.58 SFU");
    EXPECT_EQ(stats.EditTmax->text(), " 12.00 UT");
    EXPECT_EQ(stats.GroupBox5->title(), "Data Points");
    EXPECT_EQ(stats.EditCounts->text(), "3602");

    // The unit shows after the next refresh, not at once.
    dialog.ComboBox1->setCurrentIndex(1);
    dialog.ComboBox1Change();
    EXPECT_EQ(stats.EditLast[0]->text(), " 19.88 SFU");

    // Values as the statistics window formats them.
    writeFile(in + "/LC_v_ADU.txt", lightCurveText("Time_UT,45.0MHz,150.5MHz,410.0MHz",
                                                   "7.25,5.0,12.0,20.0\n"
                                                   "7.50,6.0,1234.5,21.0\n"));
    ASSERT_TRUE(dialog.DirectoryListBox1->setDirectory(in));
    ASSERT_TRUE(dialog.clickFile("LC_v_ADU.txt"));
    EXPECT_EQ(stats.EditFilename->text(), "LC_v_ADU.txt");
    EXPECT_EQ(stats.EditMinlc[0]->text(), "  5.00 ADU"); // over all three channels
    EXPECT_EQ(stats.EditMaxlc[0]->text(), "1234.50 ADU");
    EXPECT_EQ(stats.EditMinlc[1]->text(), " 12.00 ADU");
    EXPECT_EQ(stats.EditMaxlc[2]->text(), " 21.00 ADU");
    EXPECT_EQ(stats.EditTmin->text(), "  7.25 UT");

    // What the user types is overwritten by the next refresh ("Statistics"
    // shows the window, which refreshes).
    stats.EditCounts->setText("typed");
    form->Button4Click();
    EXPECT_TRUE(stats.isVisible());
    EXPECT_EQ(stats.EditCounts->text(), "4");
    stats.hide();
}

TEST_F(DesktopForms, StatisticsClockRunsWhileHidden)
{
    auto form = makeForm();
    TForm3& stats = form->form3();
    EXPECT_EQ(stats.Label12->text(), "hh:mm:ss");
    EXPECT_EQ(stats.Label12->font().pixelSize(), 15);
    EXPECT_TRUE(stats.Label12->font().bold());
    EXPECT_FALSE(stats.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return stats.Label12->text() != "hh:mm:ss"; }, 2000));
    EXPECT_TRUE(stats.Label12->text().contains(QRegularExpression("\\d{1,2}:\\d{2}:\\d{2}")))
        << stats.Label12->text().toStdString();
    EXPECT_FALSE(TForm3::clockText().contains(QRegularExpression("[A-Z]{3,}$"))); // no time zone
}

TEST_F(DesktopForms, RequestsDuringAPlotRunOnceAfterIt)
{
    writeFile(in + "/LC_a_ADU.txt", lightCurveText(kSimpleCurve, kSimpleSamples));
    config("[path]=" + in.toStdString() + "\n[output]=" + out.toStdString() + "/\n");
    auto form = makeForm();
    form->Button2Click();
    TForm2& dialog = form->form2();

    int depth = 0, maxDepth = 0;
    onPlot = [&] {
        maxDepth = std::max(maxDepth, ++depth);
        if (plots.size() == 1) {
            // While the screen window updates, it dispatches waiting events:
            // a click on "RePlot", an auto-plot tick, a click in the dialog.
            form->RadioButton2->setChecked(true);
            QTimer::singleShot(0, form.get(), [&] { form->Button1->click(); });
            QTimer::singleShot(0, form.get(), [&] { form->Timer1Timer(); });
            QTimer::singleShot(0, form.get(), [&] { dialog.FileListBox1Click(); });
            QTimer::singleShot(0, form.get(), [&] { form->SpeedButton1->click(); });
            QTest::qWait(20);
            QCoreApplication::processEvents();
        }
        --depth;
    };
    ASSERT_TRUE(dialog.clickFile("LC_a_ADU.txt"));
    EXPECT_EQ(maxDepth, 1);          // none started inside the running plot
    ASSERT_EQ(plots.size(), 2u);     // four requests: one more plot
    EXPECT_EQ(plots[0].description.device, "XWIN");
    EXPECT_EQ(plots[1].description.device, "PDF"); // the controls as they are then
    EXPECT_EQ(plots[1].geometry.plotTop, plots[0].geometry.plotTop - 9);
    EXPECT_FALSE(form->rePlotGate().pending());
    EXPECT_EQ(form->rePlotGate().runs(), 2u);
}

// A plot step that runs a real output cycle of the engine: enough for a
// file to be written or to fail.
void engineCycle(const PlotDescription& d, const PlotGeometry&)
{
    zedozo::metafl(d.device);
    zedozo::setfil(d.fileName);
    zedozo::disini();
    zedozo::errmod("ALL", "OFF");
    zedozo::disfin();
}

TEST_F(DesktopForms, APlotThatCannotBeWrittenIsShownUntilTheNextGoodOne)
{
    writeFile(in + "/LC_a_ADU.txt", lightCurveText(kSimpleCurve, kSimpleSamples));
    const QString missing = root + "/no/such/folder/";
    config("[path]=" + in.toStdString() + "\n[output]=" + missing.toStdString() + "\n");
    std::vector<std::string> reported;
    TForm1::Options o = options(cfg, &engineCycle);
    o.reportFailure = [&](const std::string& m) { reported.push_back(m); };
    TForm1 form(std::move(o));
    form.RadioButton3->setChecked(true); // EPS
    form.Button2Click();
    ASSERT_TRUE(form.form2().clickFile("LC_a_ADU.txt"));

    const std::string plotFile = (missing + "Plot_LC_a_ADU.txt.EPS").toStdString();
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_NE(reported[0].find("cannot write " + plotFile), std::string::npos) << reported[0];
    EXPECT_EQ(form.plotFailure(), reported[0]);
    EXPECT_TRUE(form.windowTitle().startsWith("Quorva             KORB/VAXO/V1.2 - cannot write"));
    EXPECT_TRUE(form.Button1->isEnabled()); // the window stays usable

    // The same failure again: shown, not reported twice.
    form.Button1Click();
    EXPECT_EQ(reported.size(), 1u);
    EXPECT_FALSE(form.plotFailure().empty());

    // A writable output folder: the plot is written and the title is back.
    TForm2& dialog = form.form2();
    dialog.ComboBox2->setCurrentIndex(1);
    dialog.ComboBox2Change();
    ASSERT_TRUE(dialog.DirectoryListBox2->setDirectory(out));
    form.Button1Click();
    EXPECT_TRUE(form.plotFailure().empty());
    EXPECT_EQ(form.windowTitle(), "Quorva             KORB/VAXO/V1.2");
    EXPECT_TRUE(QFileInfo(out + "/Plot_LC_a_ADU.txt.EPS").isFile());
    EXPECT_EQ(reported.size(), 1u);
}

TEST(DesktopProgram, ExitAndEscapingExceptionsEndTheEventLoop)
{
    QuorvaApplication& app = application();
    EXPECT_EQ(QCoreApplication::applicationName(), "Quorva");
    EXPECT_FALSE(app.quitOnLastWindowClosed());

    // "Exit" while auto-plot runs ends the loop at once.
    QTemporaryDir tmp;
    TForm1 form(options(tmp.path() + "/Quorva.cfg", {}));
    QTimer::singleShot(0, &form, [&] {
        form.Button3Click();
        form.Button5Click();
    });
    EXPECT_EQ(app.exec(), 0);
    EXPECT_FALSE(app.failed());

    // Closing the main window ends it too.
    QTimer::singleShot(0, &form, [&] { form.close(); });
    EXPECT_EQ(app.exec(), 0);

    // An exception out of a handler ends the loop with a failure status.
    QTimer::singleShot(0, &form, [] { throw std::runtime_error("broken handler"); });
    testing::internal::CaptureStderr();
    const int status = app.exec();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, kExitUnexpected);
    EXPECT_TRUE(app.failed());
    EXPECT_NE(err.find("quorva: unexpected error: broken handler"), std::string::npos) << err;
}

TEST(DesktopProgram, RefusesToStartWithoutADisplay)
{
    struct Saved {
        const char* name;
        QByteArray value;
        bool set;
    } saved[] = {{"DISPLAY", qgetenv("DISPLAY"), qEnvironmentVariableIsSet("DISPLAY")},
                 {"WAYLAND_DISPLAY", qgetenv("WAYLAND_DISPLAY"), qEnvironmentVariableIsSet("WAYLAND_DISPLAY")},
                 {"QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM"), qEnvironmentVariableIsSet("QT_QPA_PLATFORM")}};
    for (const Saved& s : saved)
        qunsetenv(s.name);
    std::string reason;
    EXPECT_FALSE(displayAvailable(reason));
    EXPECT_NE(reason.find("DISPLAY"), std::string::npos);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    EXPECT_TRUE(displayAvailable(reason));
    qputenv("QT_QPA_PLATFORM", "xcb");
    EXPECT_FALSE(displayAvailable(reason));
    qputenv("DISPLAY", ":7");
    EXPECT_TRUE(displayAvailable(reason));
    qunsetenv("QT_QPA_PLATFORM");
    qunsetenv("DISPLAY");
    qputenv("WAYLAND_DISPLAY", "wayland-0");
    EXPECT_TRUE(displayAvailable(reason));
    for (const Saved& s : saved) {
        if (s.set)
            qputenv(s.name, s.value);
        else
            qunsetenv(s.name);
    }

    // The program itself: a clear message and a failure status.
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(QUORVA_BINARY), {});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), kExitNoDisplay);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_TRUE(err.contains("cannot start the desktop program: no display")) << err.toStdString();
}

} // namespace
