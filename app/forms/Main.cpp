#include "app/forms/Main.h"

#include "app/Configuration.h"
#include "dialogs/ControlWidths.h"
#include "dialogs/FileSelect.h"
#include "dialogs/Stats.h"
#include "dialogs/Widgets.h"
#include "engine/Engine.h"
#include "engine/output/WindowBackend.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>

#include <iostream>

namespace quorva {
namespace {

QPushButton* button(QWidget* parent, const char* text, int x, int y, int w, int h)
{
    auto* b = new QPushButton(QString::fromLatin1(text), parent);
    b->setGeometry(x, y, w, h);
    return b;
}

QToolButton* arrow(QWidget* parent, Qt::ArrowType type, int x, int y)
{
    auto* b = new QToolButton(parent);
    b->setArrowType(type);
    b->setGeometry(x, y, 20, 20);
    return b;
}

DesktopSize screenDesktop()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return {};
    const QSize size = screen->virtualSize(); // the whole desktop, all screens
    return {size.width(), size.height()};
}

} // namespace

std::string plotFailureMessage(const zedozo::EngineFailure& failure)
{
    if (!failure.fileName.empty()) return "cannot write " + failure.fileName + ": " + zedozo::failureText(failure);
    if (!failure.reason.empty() && !failure.text.empty()) return failure.text + ": " + failure.reason;
    return zedozo::failureText(failure);
}

TForm1::TForm1(Options options)
    : QWidget(nullptr,
        Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
            | Qt::WindowCloseButtonHint),
      options_(std::move(options)), gate_([this] { runRePlot(); })
{
    setWindowTitle(QString::fromLatin1(kCaption));
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    setFixedSize(315, 171);
    move(226, 200);

    createButtons();
    createOutputGroup();
    createAutoPlotGroup();
    createPlotSizeGroup();
    createPositionGroup();
    Timer1 = new QTimer(this);
    Timer1->stop();

    // Below the client area: there, but not seen.
    Label1 = label(this, "Thickness Curve", 8, 180);
    Edit2 = new QLineEdit(QStringLiteral("2"), this);
    Edit2->setGeometry(100, 176, 40, 21);
    growControlsToTheirText(this);
    connectControls();

    rePlot_.setRefreshStep([this] {
        // The light curve holds the window's samples by now.
        windowText_ = plotting_.text(static_cast<double>(rePlot_.lightCurve().timeMax));
        if (!Form3) return;
        Form3->setWindowText(windowText_.empty() ? std::string() : "Window: " + windowText_);
        Form3->RefreshValues();
    });
    rePlot_.setPlotStep(options_.plotStep);

    FormCreate();

    // The application creates the file dialog and then the statistics
    // window, both hidden.
    Form2 = std::make_unique<TForm2>(
        inputFolder_, outputFolder_, [this] { Button1Click(); }, [this] { Button2->setEnabled(true); });
    Form3 = std::make_unique<TForm3>(rePlot_.lightCurve(), *Form2);

    listening_ = dynamic_cast<zedozo::QtWindowBackend*>(zedozo::windowBackend());
    if (listening_) listening_->setListener(this);
}

void TForm1::createButtons()
{
    Button2 = button(this, "Open...", 8, 8, 75, 21);
    Button1 = button(this, "RePlot", 8, 31, 75, 21);
    Button1->setEnabled(false);
    Button4 = button(this, "Statistics", 8, 54, 75, 21);
    Button5 = button(this, "Exit", 8, 77, 75, 21);
}

// The output device: screen or a file format.
void TForm1::createOutputGroup()
{
    GroupOutput = new QGroupBox(QStringLiteral("Output"), this);
    GroupOutput->setGeometry(90, 2, 70, 96);
    RadioButton1 = new QRadioButton(QStringLiteral("Screen"), GroupOutput);
    RadioButton2 = new QRadioButton(QStringLiteral("PDF"), GroupOutput);
    RadioButton3 = new QRadioButton(QStringLiteral("EPS"), GroupOutput);
    RadioButton4 = new QRadioButton(QStringLiteral("PNG"), GroupOutput);
    int y = 16;
    for (QRadioButton* r : {RadioButton1, RadioButton2, RadioButton3, RadioButton4}) {
        r->setGeometry(6, y, 60, 18);
        y += 19;
    }
    RadioButton1->setChecked(true);
}

// The auto-plot interval and its Run/Stop button.
void TForm1::createAutoPlotGroup()
{
    GroupAutoPlot = new QGroupBox(QStringLiteral("AutoPlot"), this);
    GroupAutoPlot->setGeometry(166, 2, 141, 72);
    LabelInterval = label(GroupAutoPlot, "Plot Interval", 8, 19);
    CSpinEdit1 = new QSpinBox(GroupAutoPlot);
    CSpinEdit1->setRange(kMinimumInterval, kMaximumInterval);
    CSpinEdit1->setValue(10);
    CSpinEdit1->setGeometry(8, 40, 46, 21);
    LabelSec = label(GroupAutoPlot, "sec.", 58, 44);
    Button3 = button(GroupAutoPlot, "Run", 86, 40, 48, 21);
}

// The plot size and the window size it gives.
void TForm1::createPlotSizeGroup()
{
    GroupPlotSize = new QGroupBox(QStringLiteral("Plot Size"), this);
    GroupPlotSize->setGeometry(8, 102, 152, 66);
    ComboBox1 = new QComboBox(GroupPlotSize);
    for (int i = 0; i < kPlotSizeCount; ++i) ComboBox1->addItem(QString::fromLatin1(plotSizeName(i)));
    ComboBox1->setCurrentIndex(kMediumPlotSize);
    ComboBox1->setGeometry(8, 16, 136, 21);
    Label4 = label(GroupPlotSize, "h=", 8, 44);
    Label5 = label(GroupPlotSize, "w=", 80, 44);
}

// The arrows that move the screen window, and their step.
void TForm1::createPositionGroup()
{
    GroupPosition = new QGroupBox(QStringLiteral("Change Plot Position"), this);
    GroupPosition->setGeometry(166, 78, 141, 90);
    SpeedButton1 = arrow(GroupPosition, Qt::UpArrow, 30, 16);
    SpeedButton4 = arrow(GroupPosition, Qt::LeftArrow, 8, 38);
    SpeedButton3 = arrow(GroupPosition, Qt::RightArrow, 52, 38);
    SpeedButton2 = arrow(GroupPosition, Qt::DownArrow, 30, 60);
    CheckBox1 = new QCheckBox(QStringLiteral("Coarse"), GroupPosition);
    CheckBox1->setGeometry(80, 38, 58, 20);
    CheckBox1->setChecked(false);
}

void TForm1::connectControls()
{
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
    connect(CSpinEdit1, &QSpinBox::valueChanged, this, [this] { CSpinEdit1Change(); });
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    // `activated` comes from the user only: a selection made by the program
    // runs no ComboBox1Change.
    connect(ComboBox1, &QComboBox::activated, this, [this] { ComboBox1Change(); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
    connect(SpeedButton3, &QToolButton::clicked, this, [this] { SpeedButton3Click(); });
    connect(SpeedButton4, &QToolButton::clicked, this, [this] { SpeedButton4Click(); });
    connect(CheckBox1, &QCheckBox::clicked, this, [this] { CheckBox1Click(); });
}

TForm1::~TForm1()
{
    if (listening_ && zedozo::windowBackend() == listening_ && listening_->listener() == this)
        listening_->setListener(nullptr);
    // The statistics window reads the file dialog: it goes first.
    Form3.reset();
    Form2.reset();
}

void TForm1::FormCreate()
{
    const Configuration cfg = readConfiguration(options_.configurationPath);
    inputFolder_ = cfg.inputFolder;
    outputFolder_ = cfg.outputFolder;
    log_ = cfg.logarithmic != 0;
    readable_ = cfg.axes == "readable" || log_;

    // Plot size: an index outside the list selects nothing and keeps "Medium".
    PlotGeometry& g = rePlot_.geometry();
    const std::int32_t size = cfg.sizeIndex.value_or(0); // no size line: "Extra Small"
    if (size >= 0 && size < kPlotSizeCount)
        ComboBox1->setCurrentIndex(size);
    else
        ComboBox1->setCurrentIndex(-1);
    applyPlotSize(size, g);
    showWindowSize();

    // Interval: the spin box brings it into 1..600.
    {
        const QSignalBlocker blocker(CSpinEdit1);
        CSpinEdit1->setValue(clampInterval(cfg.updateInterval));
    }
    CSpinEdit1Change();

    const DesktopSize d = desktop();
    positionStep_ = quorva::positionStep(d.width, false);
    startPosition(g, d);
    rePlot_.description().reset(d.width, g);
}

void TForm1::Button1Click()
{
    gate_.request();
}

void TForm1::runRePlot()
{
    RePlotRequest request;
    if (Form2) {
        request.selectedPath = Form2->selectedFilePath();
        request.unitText = Form2->unitText();
        request.outputFolder = Form2->outputFolderPath();
    }
    request.output = outputChoice();
    request.thickness = integerFromText(Edit2->text().toStdString());
    request.axisStyle = axisStyle();
    if (request.selectedPath != plottedPath_) { // another file: all of it
        zoom_.wholeFile();
        lastGood_.wholeFile();
        plottedPath_ = request.selectedPath;
    }
    for (int attempt = 0;; ++attempt) {
        plotting_ = zoom_;
        request.window = zoom_.window();
        const RePlot::Result result = rePlot_.run(request);
        if (result.skipped) return;
        fileSpan_ = {
            static_cast<double>(result.fileTimeMin), static_cast<double>(result.fileTimeMax), result.fileSamples > 0};
        if (result.windowMessage.empty()) {
            lastGood_ = plotting_;
            if (!result.plotted) return;
            if (!windowText_.empty() && request.output == OutputChoice::Screen)
                if (zedozo::BackendWindow* w = zedozo::screenWindow(1)) w->setTitle(w->title() + " / " + windowText_);
            notePlotResult();
            return;
        }
        // No samples in the window (a gap, a file that shrank): the last
        // window that had some, else the whole file, which always plots.
        zoom_ = attempt == 0 && !(lastGood_ == zoom_) ? lastGood_ : Zoom();
    }
}

AxisStyle TForm1::axisStyle() const
{
    return log_ ? AxisStyle::ReadableLog : readable_ ? AxisStyle::Readable : AxisStyle::Classic;
}

void TForm1::setReadableAxes(bool on)
{
    readable_ = on;
    if (!on) log_ = false; // a logarithmic axis is one of the readable ones
}

void TForm1::setLogarithmicAxis(bool on)
{
    log_ = on;
    if (on) readable_ = true;
}

void TForm1::rePlotSoon(bool changed)
{
    if (!changed || rePlotQueued_) return;
    rePlotQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        rePlotQueued_ = false;
        Button1Click();
    });
}

void TForm1::spanChosen(double from, double to)
{
    rePlotSoon(zoom_.choose(from, to, fileSpan_));
}

void TForm1::wheelTurned(double at, int steps)
{
    rePlotSoon(zoom_.wheel(at, steps, fileSpan_));
}

void TForm1::stepped(int direction)
{
    rePlotSoon(zoom_.pan(direction, fileSpan_));
}

void TForm1::wholeFileAsked()
{
    const bool changed = zoom_.active();
    zoom_.wholeFile();
    rePlotSoon(changed);
}

void TForm1::fillMenu(QMenu& menu)
{
    QAction* whole = menu.addAction(QStringLiteral("Whole file"));
    whole->setEnabled(zoom_.active());
    connect(whole, &QAction::triggered, this, [this] { wholeFileAsked(); });
    menu.addSeparator();
    // A check mark that sets the axis style of every following plot.
    const auto addStyle = [&](const char* text, bool checked, void (TForm1::*set)(bool)) {
        QAction* action = menu.addAction(QString::fromLatin1(text));
        action->setCheckable(true);
        action->setChecked(checked);
        connect(action, &QAction::triggered, this, [this, set](bool on) {
            (this->*set)(on);
            rePlotSoon(true);
        });
    };
    addStyle("Readable axes", readable_, &TForm1::setReadableAxes);
    addStyle("Logarithmic y axis", log_, &TForm1::setLogarithmicAxis);
}

void TForm1::notePlotResult()
{
    const zedozo::EngineFailure& failure = zedozo::lastFailure();
    if (!failure.failed()) {
        if (!plotFailure_.empty()) {
            plotFailure_.clear();
            setWindowTitle(QString::fromLatin1(kCaption));
            setToolTip(QString());
        }
        return;
    }
    const std::string message = plotFailureMessage(failure);
    if (message != plotFailure_) {
        // Once per new reason: auto-plot would repeat it every tick.
        if (options_.reportFailure)
            options_.reportFailure(message);
        else
            std::cerr << "quorva: " << message << std::endl;
    }
    plotFailure_ = message;
    const QString text = QString::fromLocal8Bit(message.data(), static_cast<qsizetype>(message.size()));
    setWindowTitle(QString::fromLatin1(kCaption) + QStringLiteral(" - ") + text);
    setToolTip(text);
}

void TForm1::Button2Click()
{
    Form2->show();
    Form2->raise();
    Form2->activateWindow();
    Button2->setEnabled(false);
    Button1->setEnabled(true);
    if (firstOpen_) {
        Form2->showFolders();
        firstOpen_ = false;
    }
}

void TForm1::Button3Click()
{
    autoPlot_.toggle();
    if (autoPlot_.running())
        Timer1->start();
    else
        Timer1->stop();
    Button3->setText(QString::fromLatin1(autoPlot_.buttonCaption()));
}

void TForm1::Button4Click()
{
    Form3->show();
    Form3->raise();
}

void TForm1::Button5Click()
{
    QCoreApplication::quit();
}

void TForm1::CSpinEdit1Change()
{
    autoPlot_.setIntervalSeconds(CSpinEdit1->value());
    Timer1->setInterval(autoPlot_.intervalMilliseconds()); // a running timer takes the new period
}

void TForm1::Timer1Timer()
{
    // A new screen window would end the drag the user is making: the tick
    // waits for its end.
    if (listening_ && zedozo::windowBackend() == listening_ && listening_->dragging()) {
        QTimer::singleShot(50, this, [this] {
            if (Timer1->isActive()) Timer1Timer();
        });
        return;
    }
    Button1Click();
    if (Form3) Form3->RefreshValues();
}

void TForm1::ComboBox1Change()
{
    if (!applyPlotSize(ComboBox1->currentIndex(), rePlot_.geometry())) return;
    showWindowSize();
    rePlot_.description().reset(desktop().width, rePlot_.geometry());
    if (Button1->isEnabled()) Button1Click();
}

void TForm1::SpeedButton1Click()
{
    moved(Move::Up);
}
void TForm1::SpeedButton2Click()
{
    moved(Move::Down);
}
void TForm1::SpeedButton3Click()
{
    moved(Move::Right);
}
void TForm1::SpeedButton4Click()
{
    moved(Move::Left);
}

void TForm1::moved(Move move)
{
    const DesktopSize d = desktop();
    movePosition(rePlot_.geometry(), move, positionStep_, d);
    rePlot_.description().reset(d.width, rePlot_.geometry());
    Button1Click(); // also before the first "Open..."
}

void TForm1::CheckBox1Click()
{
    positionStep_ = quorva::positionStep(desktop().width, CheckBox1->isChecked());
}

void TForm1::showWindowSize()
{
    const WindowSize size = windowSize(desktop().width, rePlot_.geometry());
    Label4->setText(QString::fromStdString(heightText(size.height)));
    Label4->adjustSize();
    Label5->setText(QString::fromStdString(widthText(size.width)));
    Label5->adjustSize();
}

OutputChoice TForm1::outputChoice() const
{
    if (RadioButton2->isChecked()) return OutputChoice::Pdf;
    if (RadioButton3->isChecked()) return OutputChoice::Eps;
    if (RadioButton4->isChecked()) return OutputChoice::Png;
    return OutputChoice::Screen;
}

DesktopSize TForm1::desktop() const
{
    return options_.desktop ? options_.desktop() : screenDesktop();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // Closing the main window ends the program, also while the file dialog,
    // the statistics window or the screen window are still open.
    event->accept();
    QCoreApplication::quit();
}

} // namespace quorva
