#pragma once
// `quorva plot [--format pdf|eps|png] [--output DIR] [--unit SFU|ADU]
//              [--size 0-4] [--desktop WIDTHxHEIGHT] [--thickness N] FILE...`
//
// Runs, for each FILE, the main window's re-plot (read, fill the plot
// description, the plot sequence) and writes "%sPlot_%s.%s" (output folder,
// file name, extension) into the output folder, printing the path of each
// file written. The PNG page has the size the screen window would have for
// the plot size on the desktop. Settings not given come from "Quorva.cfg"
// in the working directory ("[output]=", "[size]="), as for the desktop.
//
// Exit statuses: 0 every file plotted; 1 a plot could not be written
// (`quorva: cannot write PATH: REASON`, the other files are still plotted);
// 2 a FILE could not be read (reported and skipped); 64 bad usage.

#include "app/AutoPlot.h"
#include "app/Cli.h"
#include "app/RePlot.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <QStringList>

namespace quorva {

inline constexpr int kExitPlotFailed = 1;

// The desktop a screen window would size itself by: the toolkit's desktop
// when a display is available, else nothing (the command then takes
// kDefaultDesktop). The program installs the toolkit's query at start; the
// library itself stays free of the toolkit.
using DesktopQuery = std::optional<DesktopSize> (*)();
void setDesktopQuery(DesktopQuery query) noexcept;
inline constexpr DesktopSize kDefaultDesktop{1920, 1080};

// Largest desktop side accepted by --desktop: an "Extra Large" page is
// twice the desktop width, so this bounds the raster page in memory.
inline constexpr int kMaximumDesktopSide = 16384;

int runPlot(const QStringList& arguments, const std::vector<std::string>& raw, CommandIo& io);

// What a command line asks for, after defaults; exposed for tests.
struct PlotSettings {
    std::string format = "PNG";    // "PDF", "EPS" or "PNG"
    std::string outputFolder;      // ends with '/', or empty for the working directory
    std::optional<std::string> unit; // "SFU"/"ADU"; unset: from each file name
    int sizeIndex = kMediumPlotSize;
    DesktopSize desktop = kDefaultDesktop;
    int thickness = 2;
    std::vector<std::string> files; // as given, byte for byte
};

// A command's own arguments (after its name) as the bytes the system
// passed: they are the last ones of the program's arguments, since
// everything after the command name is handed on unchanged.
std::vector<std::string> ownArguments(const QStringList& arguments, const std::vector<std::string>& raw);

// The option lines of `quorva plot --help` (one per option, without -h),
// for commands that take the same options.
extern const char kPlotOptionsText[];

// Reads the plot options of a command's own arguments (everything after
// its name) into `settings`, then the defaults for what they do not give:
// "Quorva.cfg" in the working directory and the display's desktop. Every
// argument that is not an option (or follows "--") is a FILE. False with a
// message in `error` on a usage error; -h/--help sets `help` and stops.
bool readPlotSettings(const std::vector<std::string>& arguments, PlotSettings& settings, bool& help,
                      std::string& error);

// One plot after another with the same settings, through the main
// window's re-plot: `quorva plot` runs it for each FILE, `quorva watch` at
// each tick. prepare() reads the file and fills the plot description (so
// the plot path is known before anything is written); draw() runs the
// plot sequence on what prepare() filled.
class FilePlotter {
public:
    struct Outcome {
        enum Status { Prepared, Plotted, Unreadable, Failed };
        Status status = Failed;
        std::string message;  // why not, for "quorva: MESSAGE" on stderr
        std::string plotPath; // "%sPlot_%s.%s" of the file read
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
    bool prepared_ = false;
};

// The unit a file name carries: "SFU" or "ADU" when the file name part
// contains it (letters in any case; the first one wins when it holds both),
// else "ADU".
std::string unitFromFileName(const std::string& path);

// "WIDTHxHEIGHT" with both sides 1..kMaximumDesktopSide.
std::optional<DesktopSize> parseDesktop(const std::string& text);

// The plot-size index "[size]=" sets in a configuration text, nothing when
// no line sets it (the configuration's own start value, 0, cannot tell).
std::optional<int> configuredSizeIndex(const std::string& configurationText);

} // namespace quorva
