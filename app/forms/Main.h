#pragma once
// The main window (TForm1): owner of the light curve, the plot description,
// the plot position and the plot-size divisors for the whole run. Every plot
// request ("RePlot", an auto-plot tick, a move, a size change, a click in
// the file dialog) becomes one re-plot through the toolkit-free RePlot, the
// same path the command line uses. The rules of auto-plot, size and
// position live in app/AutoPlot.h; the handlers here only read and write
// the controls.

#include "app/AutoPlot.h"
#include "app/RePlot.h"
#include "app/Zoom.h"
#include "app/forms/QtWindowBackend.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

namespace zedozo {
struct EngineFailure;
}

namespace quorva {

class TForm2;
class TForm3;

// The main window also hears the screen window (zoom, keys, its menu): it
// makes itself the listener of the Qt window backend installed when it is
// created.
class TForm1 : public QWidget, private zedozo::ScreenWindowListener {
public:
    static constexpr const char* kCaption = "Quorva             KORB/VAXO/V1.2";

    struct Options {
        // The desktop size, read at each use; by default the screen's.
        std::function<DesktopSize()> desktop;
        // The plot sequence run at the end of every re-plot; none plots nothing.
        RePlot::PlotStep plotStep;
        // The configuration file, read once by FormCreate.
        std::string configurationPath = "Quorva.cfg";
        // Where the reason of a plot that could not be written goes (besides
        // the window); by default the error stream.
        std::function<void(const std::string&)> reportFailure;
    };

    // Runs FormCreate, then creates the file selection dialog and the
    // statistics window, both hidden.
    explicit TForm1(Options options);
    ~TForm1() override;

    // Handlers.
    void FormCreate();
    void Button1Click(); // "RePlot"
    void Button2Click(); // "Open..."
    void Button3Click(); // "Run" / "Stop"
    void Button4Click(); // "Statistics"
    void Button5Click(); // "Exit"
    void CSpinEdit1Change();
    void Timer1Timer();
    void ComboBox1Change();   // plot size
    void SpeedButton1Click(); // up
    void SpeedButton2Click(); // down
    void SpeedButton3Click(); // right
    void SpeedButton4Click(); // left
    void CheckBox1Click();    // "Coarse"

    TForm2& form2() const { return *Form2; }
    TForm3& form3() const { return *Form3; }
    RePlot& rePlot() { return rePlot_; }
    const PlotGeometry& geometry() const { return rePlot_.geometry(); }
    // The time window of the plots; inactive for the whole file.
    const Zoom& zoom() const { return zoom_; }
    // The screen window menu's "Readable axes" and "Logarithmic y axis"
    // (which implies readable axes), from Quorva.cfg at start.
    bool readableAxes() const { return readable_; }
    bool logarithmicAxis() const { return log_; }
    void setReadableAxes(bool on);
    void setLogarithmicAxis(bool on);
    AxisStyle axisStyle() const;

    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    QPushButton* Button4;
    QPushButton* Button5;
    QGroupBox* GroupOutput;
    QRadioButton* RadioButton1; // "Screen"
    QRadioButton* RadioButton2; // "PDF"
    QRadioButton* RadioButton3; // "EPS"
    QRadioButton* RadioButton4; // "PNG"
    QGroupBox* GroupAutoPlot;
    QLabel* LabelInterval;
    QSpinBox* CSpinEdit1;
    QLabel* LabelSec;
    QGroupBox* GroupPlotSize;
    QComboBox* ComboBox1;
    QLabel* Label4; // "h=..."
    QLabel* Label5; // "w=..."
    QGroupBox* GroupPosition;
    QToolButton* SpeedButton1; // up
    QToolButton* SpeedButton2; // down
    QToolButton* SpeedButton3; // right
    QToolButton* SpeedButton4; // left
    QCheckBox* CheckBox1;
    QTimer* Timer1;
    QLineEdit* Edit2;
    QLabel* Label1;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The controls of the window, group by group, and their signals.
    void createButtons();
    void createOutputGroup();
    void createAutoPlotGroup();
    void createPlotSizeGroup();
    void createPositionGroup();
    void connectControls();

    // ScreenWindowListener: each changes the state and re-plots once the
    // window's own event handler has returned (the re-plot replaces it).
    void spanChosen(double from, double to) override;
    void wheelTurned(double at, int steps) override;
    void stepped(int direction) override;
    void wholeFileAsked() override;
    void fillMenu(QMenu& menu) override;
    void rePlotSoon(bool changed);

    void runRePlot();
    void notePlotResult();
    void showWindowSize();
    void moved(Move move);
    OutputChoice outputChoice() const;
    DesktopSize desktop() const;

    Options options_;
    RePlot rePlot_;
    AutoPlot autoPlot_;
    RePlotGate gate_;
    std::int32_t positionStep_ = 0;
    bool firstOpen_ = true;
    std::string inputFolder_; // from the configuration, for the dialog
    std::string outputFolder_;
    std::string plotFailure_;
    Zoom zoom_;               // asked for
    Zoom plotting_;           // of the re-plot running
    Zoom lastGood_;           // of the last re-plot whose window had samples
    FileSpan fileSpan_;       // of the last read
    std::string plottedPath_; // another file shows whole
    std::string windowText_;  // "10:33:00 to 10:43:00 UT" while zoomed
    bool readable_ = false;
    bool log_ = false;
    bool rePlotQueued_ = false;
    zedozo::QtWindowBackend* listening_ = nullptr;
    std::unique_ptr<TForm2> Form2;
    std::unique_ptr<TForm3> Form3;
};

// What the main window and the error stream say about a plot that could not
// be written, e.g. "cannot write /out/Plot_x.PDF: Permission denied".
std::string plotFailureMessage(const zedozo::EngineFailure& failure);

} // namespace quorva
