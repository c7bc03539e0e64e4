#pragma once
// Plotting light-curve files without windows: the main window's re-plot
// run for one file after another with the same settings, as `quorva plot`
// does for each FILE and `quorva watch` at each tick. Each plot is written
// as "%sPlot_%s.%s" (output folder, file name, extension).

#include "app/PlotSettings.h"
#include "app/RePlot.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorva {

// prepare() reads the file and fills the plot description (so the plot
// path is known before anything is written); draw() runs the plot sequence
// on what prepare() filled.
class FilePlotter {
public:
    struct Outcome {
        // Refused: the file could not be read or has nothing to plot.
        enum Status { Prepared, Plotted, Refused, Failed };
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
    // a file without samples (in the window), and, for a logarithmic y
    // axis, a file without a value above 0.
    Outcome prepare(const std::string& path);
    // Before the first plot into a folder, removes the temporary plot files
    // that dead processes left there.
    Outcome draw();

    RePlot& rePlot() noexcept { return rePlot_; }
    // The unit of the file prepared last: the one given, else its name's.
    const std::string& unitText() const noexcept { return request_.unitText; }

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
