#pragma once
// The settings of plotting files without windows (`quorva plot` and
// `watch`): their defaults, those Quorva.cfg gives, the readers of the
// options' numbers, and the commands' reading of a light-curve file.

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

// Reads the light-curve FILE `path` into `lightCurve` for a command and
// keeps the samples of `window` when one is asked (its time axis into
// `axis`): empty, or the one-line reason there is nothing to plot or count
// ("cannot open PATH: REASON", "cannot read PATH: REASON", "no samples in
// PATH", "no samples in the window in PATH", "no samples between ...").
// Only a regular file is read; a sample is a data line whose time parses.
std::string readForCommand(LightCurve& lightCurve, const std::string& path, const TimeWindow& window, TimeAxis& axis);

// Decimal digits only (no sign, no blanks) from minimum to maximum into
// `value`; false otherwise, `value` untouched.
bool parseCount(std::string_view text, int minimum, int maximum, int& value) noexcept;

// "WIDTHxHEIGHT" with both sides kMinimumDesktopSide..kMaximumDesktopSide.
std::optional<DesktopSize> parseDesktop(const std::string& text);

// "12 samples at or below 0 left out of the logarithmic axis in PATH".
std::string leftOutWarning(std::int32_t count, const std::string& path);

} // namespace quorva
