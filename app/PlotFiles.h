#pragma once
// Plotting light-curve files without windows: the main window's re-plot
// run for one file after another with the same settings, as `quorva plot`
// does for each FILE and `quorva watch` at each tick. Each plot is written
// as "%sPlot_%s.%s" (output folder, file name, extension).

#include "app/AutoPlot.h"
#include "app/RePlot.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorva {

// Without windows there is no display to ask, so the desktop a screen
// window would size itself by is this one unless the user names another:
// the same command gives the same file on every machine.
inline constexpr DesktopSize kDefaultDesktop {1920, 1080};
inline constexpr int kMinimumDesktopSide = 100;
// An "Extra Large" page is twice the desktop width, so this bounds the
// raster page in memory.
inline constexpr int kMaximumDesktopSide = 16384;
inline constexpr int kMaximumThickness = 10000;

struct PlotSettings {
    OutputChoice format = OutputChoice::Png; // a file: PDF, EPS or PNG
    std::string outputFolder;        // ends with '/', or empty for the working directory
    std::optional<std::string> unit; // "SFU"/"ADU"; unset: from each file name
    int sizeIndex = kMediumPlotSize;
    DesktopSize desktop = kDefaultDesktop;
    int thickness = 2;
    std::vector<std::string> files; // as given, byte for byte
    TimeWindow window;              // none asked: the whole file
};

// The output folder and plot size "Quorva.cfg" in the working directory
// gives, read as the main window reads them, for those the user did not.
void applyConfiguration(PlotSettings& settings, bool outputGiven, bool sizeGiven);

// Reads the light-curve FILE `path` into `lightCurve` for a command: empty,
// or the one-line reason ("cannot open PATH: REASON", "cannot read PATH:
// REASON"); only a regular file is read.
std::string readForCommand(LightCurve& lightCurve, const std::string& path);

// Decimal digits only (no sign, no blanks) from minimum to maximum into
// `value`; false otherwise, `value` untouched.
bool parseCount(std::string_view text, int minimum, int maximum, int& value) noexcept;

// "WIDTHxHEIGHT" with both sides kMinimumDesktopSide..kMaximumDesktopSide.
std::optional<DesktopSize> parseDesktop(const std::string& text);

// prepare() reads the file and fills the plot description (so the plot
// path is known before anything is written); draw() runs the plot sequence
// on what prepare() filled.
class FilePlotter {
public:
    struct Outcome {
        enum Status { Prepared, Plotted, Unreadable, NoSamples, Failed };
        Status status = Failed;
        std::string message;      // why not, for "quorva: MESSAGE" on stderr
        std::string plotPath;     // "%sPlot_%s.%s" of the file read
        std::int32_t samples = 0; // sample count of the file read
    };

    explicit FilePlotter(const PlotSettings& settings);
    FilePlotter(const FilePlotter&) = delete;
    FilePlotter& operator=(const FilePlotter&) = delete;

    // Refuses anything but a regular file (a FIFO would block the reader).
    Outcome prepare(const std::string& path);
    Outcome draw();

    RePlot& rePlot() noexcept { return rePlot_; }

private:
    RePlot rePlot_;
    RePlotRequest request_;
    std::optional<std::string> unit_;
    TimeWindow window_;
    bool prepared_ = false;
};

} // namespace quorva
