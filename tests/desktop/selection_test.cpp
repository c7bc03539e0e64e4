// The file list keeps its selection against clicks that are not a choice,
// and every control of the three windows has room for its whole text.

#include "desktop/DesktopSupport.h"

#include "dialogs/FileSelect.h"
#include "dialogs/Stats.h"
#include "engine/TestSeams.h"
#include "engine/core/EngineState.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyleOption>
#include <QTest>

using namespace quorva;

namespace {

class Selection : public ::testing::Test {
protected:
    void SetUp() override
    {
        application();
        zedozo::resetEngineForTests();
        ASSERT_TRUE(tmp.isValid());
        writeFile(tmp.path() + "/LC_a_ADU.txt", lightCurveText(kSimpleCurve, kSimpleSamples));
        writeFile(tmp.path() + "/LC_b_ADU.txt", lightCurveText(kSimpleCurve, kSimpleSamples));
        writeFile(tmp.path() + "/Quorva.cfg", "[path]=" + tmp.path().toStdString() + "\n");
        form = std::make_unique<TForm1>(options(tmp.path() + "/Quorva.cfg", [this](const PlotDescription& d, const PlotGeometry&) {
            titles.push_back(d.title);
        }));
    }
    void TearDown() override
    {
        form.reset();
        zedozo::resetEngineForTests();
    }

    QTemporaryDir tmp;
    std::unique_ptr<TForm1> form;
    std::vector<std::string> titles;
};

// Width of the area a control draws its text in, by the style's own
// geometry (not by the size hint the windows grow their controls to).
int textRoom(QWidget* w)
{
    QStyle* s = w->style();
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        QStyleOptionComboBox o;
        o.initFrom(c);
        o.frame = c->hasFrame();
        o.subControls = QStyle::SC_All;
        return s->subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxEditField, c).width() - 2;
    }
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        QStyleOptionFrame o;
        o.initFrom(e);
        o.lineWidth = e->hasFrame() ? s->pixelMetric(QStyle::PM_DefaultFrameWidth, &o, e) : 0;
        const QMargins m = e->textMargins();
        return s->subElementRect(QStyle::SE_LineEditContents, &o, e).width() - m.left() - m.right() - 2 * 2;
    }
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        QStyleOptionButton o;
        o.initFrom(b);
        o.text = b->text();
        const QStyle::SubElement e = qobject_cast<QRadioButton*>(b) ? QStyle::SE_RadioButtonContents
                                     : qobject_cast<QCheckBox*>(b) ? QStyle::SE_CheckBoxContents
                                                                    : QStyle::SE_PushButtonContents;
        return s->subElementRect(e, &o, b).width();
    }
    return w->contentsRect().width();
}

// Chooses item i in the open list with Return, as the user does (also the
// item already chosen).
void choose(QComboBox* c, int i)
{
    c->showPopup();
    QAbstractItemView* v = c->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(v->window()));
    v->setCurrentIndex(v->model()->index(i, 0));
    QTest::keyClick(v, Qt::Key_Return);
    ASSERT_FALSE(v->window()->isVisible());
}

QStringList texts(QWidget* w)
{
    QStringList all;
    if (auto* c = qobject_cast<QComboBox*>(w))
        for (int i = 0; i < c->count(); ++i) all << c->itemText(i);
    else if (auto* e = qobject_cast<QLineEdit*>(w)) all << e->text();
    else if (auto* b = qobject_cast<QAbstractButton*>(w)) all << b->text();
    else if (auto* l = qobject_cast<QLabel*>(w)) all << l->text();
    return all;
}

} // namespace

TEST_F(Selection, AFileStaysSelectedUntilAnotherIsClickedOrTheMaskChanges)
{
    form->Button2Click();
    TForm2& dialog = form->form2();
    QListWidget* files = dialog.FileListBox1;
    ASSERT_EQ(files->count(), 2);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const std::string a = (tmp.path() + "/LC_a_ADU.txt").toStdString();
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(files->item(0)).center());
    ASSERT_EQ(dialog.selectedFile().toStdString(), a);

    // The empty area below the two files, Ctrl+click and Ctrl+Space on the
    // file, the unit already chosen: the file stays, and "In:" with it.
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, QPoint(20, files->viewport()->height() - 5));
    EXPECT_EQ(dialog.selectedFile().toStdString(), a);
    QTest::mouseClick(files->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      files->visualItemRect(files->item(0)).center());
    EXPECT_EQ(dialog.selectedFile().toStdString(), a);
    files->setFocus();
    QTest::keyClick(files, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(dialog.selectedFile().toStdString(), a);
    choose(dialog.ComboBox1, 1); // "ADU" again
    EXPECT_EQ(dialog.selectedFile().toStdString(), a);
    EXPECT_EQ(dialog.Label2->text().toStdString(), a);
    const std::size_t before = titles.size();
    form->Button1Click();
    ASSERT_EQ(titles.size(), before + 1);
    EXPECT_EQ(titles.back().rfind("LC_a_ADU.txt:", 0), 0u) << titles.back();

    // Another file takes its place; another unit's mask ends the selection.
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(files->item(1)).center());
    EXPECT_EQ(dialog.selectedFile().toStdString(), (tmp.path() + "/LC_b_ADU.txt").toStdString());
    choose(dialog.ComboBox1, 0);
    EXPECT_EQ(dialog.unitText(), "SFU");
    EXPECT_TRUE(dialog.selectedFile().isEmpty());
    dialog.hide();
}

TEST_F(Selection, EveryControlHasRoomForItsTextAndNoneCoversANeighbour)
{
    form->Button2Click();
    form->form2().clickFile("LC_a_ADU.txt"); // the statistics show values
    form->Button4Click();
    const QList<QWidget*> windows = {form.get(), &form->form2(), &form->form3()};
    for (QWidget* window : windows) {
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (!w->isVisible() || w->parentWidget()->inherits("QComboBox") || w->parentWidget()->inherits("QAbstractSpinBox"))
                continue;
            const std::string where = (window->windowTitle() + " / " + w->metaObject()->className() + " at " +
                                       QString::number(w->x()) + "," + QString::number(w->y())).toStdString();
            for (const QString& t : texts(w)) {
                if (t.contains(QLatin1Char('/'))) // paths: as long as the folders, with the tooltip
                    continue;
                EXPECT_LE(w->fontMetrics().horizontalAdvance(t), textRoom(w)) << where << ": " << t.toStdString();
            }
            if (auto* g = qobject_cast<QGroupBox*>(w)) {
                EXPECT_LE(g->fontMetrics().horizontalAdvance(g->title()) + 8, g->width()) << where;
            }
            if (auto* sb = qobject_cast<QSpinBox*>(w)) {
                EXPECT_LE(sb->fontMetrics().horizontalAdvance(QString::number(sb->maximum())), textRoom(sb->findChild<QLineEdit*>()))
                    << where;
            }
            // Grown controls keep clear of the visible controls beside them.
            if (qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractSpinBox*>(w)) {
                for (QWidget* other : w->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                    // (The dialog's own layout lets some lists share their edge pixel.)
                    const QRect both = w->geometry() & other->geometry();
                    if (other != w && other->isVisible() && !other->inherits("QGroupBox")) {
                        EXPECT_FALSE(both.width() > 1 && both.height() > 1)
                            << where << " covers " << other->metaObject()->className() << " at "
                            << other->x() << "," << other->y();
                    }
                }
                EXPECT_LE(w->geometry().right(), w->parentWidget()->width()) << where;
            }
        }
        window->hide();
    }
}
