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
    AxisStyle axisStyle = AxisStyle::Classic;
    std::string outputFile;         // the plot's own path instead of the folder and name (one FILE)
    // Where outputFolder came from when not from the user, told with a
    // failure to write there: (output folder "out/" from ./Quorva.cfg).
    std::string outputFolderSource;
};

// The output folder and plot size "Quorva.cfg" in the working directory
// gives, read as the main window reads them, for those the user did not.
void applyConfiguration(PlotSettings& settings, bool outputGiven, bool sizeGiven);

// A file without a sample (a data line whose time parses) is "no samples
// in PATH" to the commands: there is nothing to plot or count.
//
// Reads the light-curve FILE `path` into `lightCurve` for a command: empty,
// or the one-line reason ("cannot open PATH: REASON", "cannot read PATH:
// REASON"); only a regular file is read.
std::string readForCommand(LightCurve& lightCurve, const std::string& path);

// Decimal digits only (no sign, no blanks) from minimum to maximum into
// `value`; false otherwise, `value` untouched.
bool parseCount(std::string_view text, int minimum, int maximum, int& value) noexcept;

// "WIDTHxHEIGHT" with both sides kMinimumDesktopSide..kMaximumDesktopSide.
std::optional<DesktopSize> parseDesktop(const std::string& text);

// "12 samples at or below 0 left out of the logarithmic axis in PATH".
std::string leftOutWarning(std::int32_t count, const std::string& path);

// prepare() reads the file and fills the plot description (so the plot
// path is known before anything is written); draw() runs the plot sequence
// on what prepare() filled.
class FilePlotter {
public:
    struct Outcome {
        enum Status { Prepared, Plotted, Unreadable, NoSamples, Failed };
        Status status = Failed;
        std::string message;      // why not, for "quorva: MESSAGE" on stderr
        std::string plotPath;     // "%sPlot_%s.%s" of the file read, or the outputFile
        std::int32_t samples = 0; // samples (data lines with a time) of the file read
        // Logarithmic y axis: channel values at or below 0, left out of the curves.
        std::int32_t leftOut = 0;
    };

    explicit FilePlotter(const PlotSettings& settings);
    FilePlotter(const FilePlotter&) = delete;
    FilePlotter& operator=(const FilePlotter&) = delete;

    // Refuses anything but a regular file (a FIFO would block the reader),
    // a file without samples, and, for a logarithmic y axis, a file without
    // a value above 0 (NoSamples).
    Outcome prepare(const std::string& path);
    // Before the first plot into a folder, removes the temporary plot files
    // that dead processes left there.
    Outcome draw();

    RePlot& rePlot() noexcept { return rePlot_; }

private:
    RePlot rePlot_;
    RePlotRequest request_;
    std::optional<std::string> unit_;
    TimeWindow window_;
    std::string outputFile_;
    std::string folderSource_;
    std::vector<std::string> sweptFolders_;
    bool prepared_ = false;
};

} // namespace quorva
