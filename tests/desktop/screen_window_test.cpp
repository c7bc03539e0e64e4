// The screen window as a desktop user meets it, on the real plot sequence
// and the Qt window under the offscreen platform: re-created windows leave
// the keyboard focus where it is, and the file dialog's hint shows in full.

#include "app/forms/QtWindowBackend.h"
#include "desktop/DesktopSupport.h"
#include "dialogs/FileSelect.h"
#include "engine/TestSeams.h"
#include "engine/output/ScreenWriter.h"
#include "plotjob/PlotSequence.h"

#include <QAbstractItemView>
#include <QTemporaryDir>
#include <QTest>

using namespace quorva;

namespace {

class ScreenWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        application();
        zedozo::resetScreenForTests();
        zedozo::resetEngineForTests();
        backend = std::make_unique<zedozo::QtWindowBackend>();
        scope = std::make_unique<zedozo::WindowBackendScope>(backend.get());
        root = tmp.path();
    }
    void TearDown() override
    {
        form.reset();
        scope.reset(), backend.reset();
        zedozo::resetScreenForTests();
        zedozo::resetEngineForTests();
    }
    // A main window on `config` with the real plot sequence, `file` (in the
    // temporary folder) chosen in the file dialog and plotted.
    void openAndPlot(const std::string& config, const QString& file)
    {
        writeFile(root + "/Quorva.cfg", "[path]=" + root.toStdString() + "\n[output]=" + root.toStdString() + "/\n" + config);
        form = std::make_unique<TForm1>(options(root + "/Quorva.cfg", [this](PlotDescription& d, const PlotGeometry& g) {
            quorva::plot(d, g);
            ++plots;
        }));
        form->show();
        form->Button2Click();
        TForm2& dialog = form->form2();
        dialog.ComboBox1->setCurrentIndex(file.contains(QLatin1String("SFU")) ? 0 : 1);
        dialog.ComboBox1Change();
        ASSERT_TRUE(dialog.clickFile(file) && zedozo::screenWindow(1));
    }
    zedozo::QtBackendWindow* window() const { return static_cast<zedozo::QtBackendWindow*>(zedozo::screenWindow(1)); }

    QTemporaryDir tmp;
    QString root;
    std::unique_ptr<zedozo::QtWindowBackend> backend;
    std::unique_ptr<zedozo::WindowBackendScope> scope;
    std::unique_ptr<TForm1> form;
    int plots = 0;
};

// Auto-plot every second re-creates the screen window; the main window keeps
// the keyboard focus meanwhile: a field being typed in takes every key, and
// the open "Plot Size" list stays open. A click on the screen window still
// gives it the focus.
TEST_F(ScreenWindow, ReCreatedWindowsLeaveTheFocusWhereItIs)
{
    writeFile(root + "/LC20261206_SFU.txt", qtest::lightCurveText(2000, 10.0));
    openAndPlot("[size]=0\n[update]=1\n", "LC20261206_SFU.txt");
    form->form2().hide();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QLineEdit* field = form->CSpinEdit1->findChild<QLineEdit*>();
    form->CSpinEdit1->setFocus();
    form->Button3Click(); // "Run" at 1 s
    for (int i = 0; i < 3; ++i) {
        const int before = plots;
        ASSERT_TRUE(QTest::qWaitFor([&] { return plots > before; }, 3000));
        EXPECT_EQ(QApplication::activeWindow(), form.get());
        EXPECT_EQ(QApplication::focusWidget(), form->CSpinEdit1);
        // Typed where the keyboard is; a leading zero keeps the interval.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_0);
        EXPECT_EQ(field->text(), "01");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
        EXPECT_EQ(field->text(), "1");
    }

    form->ComboBox1->setFocus();
    form->ComboBox1->showPopup();
    QWidget* list = form->ComboBox1->view()->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list));
    for (int i = 0; i < 3; ++i) {
        const int before = plots;
        ASSERT_TRUE(QTest::qWaitFor([&] { return plots > before; }, 3000));
        EXPECT_TRUE(list->isVisible()) << "the open list survives re-plot " << i;
    }
    form->ComboBox1->hidePopup();
    form->Button3Click(); // "Stop"

    // The window is on top and takes the focus when the user clicks it.
    QWidget* screen = window()->widget();
    EXPECT_TRUE(screen->isVisible());
    QTest::mouseClick(screen, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_TRUE(QTest::qWaitForWindowActive(screen));
}

// In both modes of the file dialog no visible control covers another
// (lists may share their edge pixel), and every label has room for its
// whole text, the hint "Select Directory for Output" included.
TEST_F(ScreenWindow, FileDialogHintShowsInFullInEitherMode)
{
    TForm2 dialog(root.toStdString(), root.toStdString(), {}, {});
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    for (int mode : {1, 0}) {
        dialog.ComboBox2->setCurrentIndex(mode);
        dialog.ComboBox2Change();
        EXPECT_TRUE(dialog.Label3->isVisible());
        const QList<QWidget*> shown = [&] {
            QList<QWidget*> list;
            for (QWidget* w : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (w->isVisible()) list << w;
            return list;
        }();
        for (QWidget* w : shown) {
            const std::string where = std::to_string(mode) + ": " + w->metaObject()->className() + " at "
                + std::to_string(w->x()) + "," + std::to_string(w->y());
            if (auto* l = qobject_cast<QLabel*>(w)) {
                const int flags = Qt::AlignLeft | Qt::AlignTop | (l->wordWrap() ? Qt::TextWordWrap : 0);
                const QRect need = l->fontMetrics().boundingRect(l->contentsRect(), flags, l->text());
                EXPECT_TRUE(l->contentsRect().contains(need)) << where << ": " << l->text().toStdString();
            }
            for (QWidget* other : shown) {
                const QRect both = w->geometry() & other->geometry();
                // The hint lies under the file list, which hides it in input mode.
                const bool hintUnderList = (w == dialog.Label3 && other == dialog.FileListBox1)
                    || (w == dialog.FileListBox1 && other == dialog.Label3);
                EXPECT_FALSE(other != w && !hintUnderList && both.width() > 1 && both.height() > 1)
                    << where << " covers " << other->metaObject()->className() << " at " << other->x() << ","
                    << other->y();
            }
            EXPECT_TRUE(dialog.rect().contains(w->geometry())) << where;
        }
    }
}

} // namespace
