#include "dialogs/Stats.h"

#include "app/StatisticsTexts.h"
#include "dialogs/FileSelect.h"
#include "dialogs/Widgets.h"

#include <QFile>
#include <QLocale>
#include <QTime>

namespace quorva {
namespace {

constexpr int kWidth = 393, kHeight = 212;
constexpr int kWindowLineHeight = 18; // added below the groups while zoomed

QLineEdit* edit(QWidget* parent, const QString& text, int x, int y, int width)
{
    auto* e = new QLineEdit(text, parent);
    e->setGeometry(x, y, width, 21);
    return e;
}

// Drops the time-zone fields ('t' outside quotes) of a time format and the
// blanks around them.
QString withoutTimeZone(const QString& format)
{
    QString out;
    bool quoted = false;
    for (QChar c : format) {
        if (c == QLatin1Char('\'')) quoted = !quoted;
        if (!quoted && c == QLatin1Char('t')) continue;
        out += c;
    }
    return out.simplified();
}

} // namespace

TForm3::TForm3(const LightCurve& lightCurve, const TForm2& fileDialog)
    : QWidget(nullptr,
        Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
            | Qt::WindowCloseButtonHint),
      lightCurve_(lightCurve), fileDialog_(fileDialog)
{
    setWindowTitle(QStringLiteral("Statistics"));
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    setFixedSize(kWidth, kHeight);
    move(836, 27);

    LabelFilename = label(this, "File:", 8, 16);
    EditFilename = edit(this, QStringLiteral("File Name"), 32, 8, 201);

    GroupBox4 = new QGroupBox(QStringLiteral("Time"), this);
    GroupBox4->setGeometry(8, 32, 121, 73);
    Label1 = label(GroupBox4, "min", 8, 24);
    EditTmin = edit(GroupBox4, QString(), 32, 18, 81);
    Label2 = label(GroupBox4, "max", 8, 50);
    EditTmax = edit(GroupBox4, QString(), 32, 44, 81);

    GroupBox5 = new QGroupBox(QStringLiteral("Counts"), this);
    GroupBox5->setGeometry(136, 32, 121, 73);
    EditCounts = edit(GroupBox5, QString(), 16, 18, 81);

    Label12 = new QLabel(QStringLiteral("hh:mm:ss"), this);
    QFont clockFont(QStringLiteral("Lucida Console"));
    clockFont.setStyleHint(QFont::Monospace);
    clockFont.setPixelSize(15);
    clockFont.setBold(true);
    Label12->setFont(clockFont);
    Label12->move(280, 61);
    Label12->adjustSize();

    static const char* const kCaptions[3] = {"Freq1", "Freq2", "Freq3"};
    for (int c = 0; c < 3; ++c) {
        GroupBox[c] = new QGroupBox(QString::fromLatin1(kCaptions[c]), this);
        GroupBox[c]->setGeometry(8 + 128 * c, 112, 121, 97);
        LabelLast[c] = label(GroupBox[c], "last", 8, 22);
        EditLast[c] = edit(GroupBox[c], QString(), 32, 18, 81);
        LabelMin[c] = label(GroupBox[c], "min", 8, 48);
        EditMinlc[c] = edit(GroupBox[c], QString(), 32, 44, 81);
        LabelMax[c] = label(GroupBox[c], "max", 8, 73);
        EditMaxlc[c] = edit(GroupBox[c], QString(), 32, 69, 81);
    }

    LabelWindow = label(this, "", 8, kHeight + 2);
    LabelWindow->hide();

    // The clock runs from creation on, shown or not.
    Timer1 = new QTimer(this);
    Timer1->setInterval(kClockInterval);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    Timer1->start();
}

void TForm3::RefreshValues()
{
    const StatisticsTexts t = statisticsTexts(lightCurve_, fileDialog_.selectedFilePath(), fileDialog_.unitText());
    auto text = [](const std::string& s) { return QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size())); };
    EditFilename->setText(QFile::decodeName(QByteArray::fromStdString(t.fileName)));
    for (int c = 0; c < 3; ++c) {
        GroupBox[c]->setTitle(text(t.channel[c].frequency));
        EditLast[c]->setText(text(t.channel[c].last));
        EditMinlc[c]->setText(text(t.channel[c].minimum));
        EditMaxlc[c]->setText(text(t.channel[c].maximum));
    }
    GroupBox4->setTitle(text(t.timeCaption));
    EditTmin->setText(text(t.timeMin));
    EditTmax->setText(text(t.timeMax));
    GroupBox5->setTitle(text(t.countsCaption));
    EditCounts->setText(text(t.count));
}

void TForm3::setWindowText(const std::string& text)
{
    const QString t = QString::fromStdString(text);
    if (t == LabelWindow->text() && t.isEmpty() == LabelWindow->isHidden()) return;
    LabelWindow->setText(t);
    LabelWindow->adjustSize();
    LabelWindow->setHidden(t.isEmpty());
    setFixedSize(kWidth, t.isEmpty() ? kHeight : kHeight + kWindowLineHeight);
}

void TForm3::Timer1Timer()
{
    Label12->setText(clockText());
    Label12->adjustSize();
}

QString TForm3::clockText()
{
    const QLocale locale = QLocale::system();
    return locale.toString(QTime::currentTime(), withoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
}

void TForm3::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    RefreshValues();
}

} // namespace quorva
