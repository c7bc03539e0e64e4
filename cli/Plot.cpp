// `quorva plot [--format pdf|eps|png] [--output DIR] [--unit SFU|ADU]
//              [--size 0-4] [--desktop WIDTHxHEIGHT] [--thickness N]
//              [--from T] [--to T] FILE...`
//
// Runs, for each FILE, the main window's re-plot (read, fill the plot
// description, the plot sequence) and writes "%sPlot_%s.%s" (output folder,
// file name, extension) into the output folder, printing the path of each
// file written. Exit statuses: 0 every file plotted; 1 a plot could not be
// written (the other files are still plotted); 2 a FILE could not be read
// or has no samples in the --from/--to window (reported and skipped); 64
// bad usage.

#include "cli/Cli.h"
#include "cli/PlotOptions.h"
#include "lightcurve/Ascii.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <iostream>
#include <iterator>
#include <map>
#include <string_view>

namespace quorva::cli {

const char kPlotOptionsText[] = "  --format pdf|eps|png  output format (default png)\n"
                                "  --output DIR          output folder (default: [output]= of Quorva.cfg in\n"
                                "                        the working directory, else the working directory)\n"
                                "  --unit SFU|ADU        unit of the y axis (default: SFU when the file name\n"
                                "                        contains SFU before any ADU, any case; else ADU)\n"
                                "  --size 0-4            plot size: 0 Extra Small, 1 Small, 2 Medium, 3 Large,\n"
                                "                        4 Extra Large (default: [size]= of Quorva.cfg, else 2)\n"
                                "  --desktop WxH         desktop size in pixels, 100 to 16384 each side\n"
                                "                        (default 1920x1080 on every machine, display or not);\n"
                                "                        a PNG is as large as the screen window of the plot\n"
                                "                        size would be: Medium on 1920 is 960x678\n"
                                "  --thickness N         line thickness of the curves, 1 to 10000 (default 2)\n";

const char kWindowOptionsText[] = "  --from T, --to T      only the samples from T to T (both included), T in\n"
                                  "                        hours UT as in the file (10.5) or HH:MM or HH:MM:SS,\n"
                                  "                        0 to 24; either may be given alone (open end)\n";

namespace {

} // namespace

bool unitOption(const Arguments& a, std::optional<std::string>& unit, std::string& error)
{
    const std::string* text = a.value("unit");
    if (!text) return true;
    const std::string u = upperAscii(*text);
    if (u != "SFU" && u != "ADU") {
        error = "--unit must be SFU or ADU, not '" + *text + "'";
        return false;
    }
    unit = u;
    return true;
}

bool windowOptions(const Arguments& a, TimeWindow& w, std::string& error)
{
    for (const char* name : {"from", "to"}) {
        const std::string* text = a.value(name);
        if (!text) continue;
        const std::optional<double> hours = parseTimeOfDay(*text);
        if (!hours) {
            error
                = std::string("--") + name + " must be hours UT (10.5) or HH:MM[:SS] from 0 to 24, not '" + *text + "'";
            return false;
        }
        (name[0] == 'f' ? w.from : w.to) = hours;
    }
    if (w.from && w.to && *w.from > *w.to) {
        error = "--from " + *a.value("from") + " is after --to " + *a.value("to");
        return false;
    }
    return true;
}

namespace {

// The plot options and the time window.
constexpr auto kPlotCommandOptions = [] {
    std::array<Option, std::size(kPlotOptions) + std::size(kWindowOptions)> all {};
    std::copy(std::begin(kPlotOptions), std::end(kPlotOptions), all.begin());
    std::copy(std::begin(kWindowOptions), std::end(kWindowOptions), all.begin() + std::size(kPlotOptions));
    return all;
}();

const char kPlotUsageHead[] = "Usage: quorva plot [OPTIONS] FILE...\n"
                              "\n"
                              "Plots each light-curve FILE as the main window's re-plot does and writes\n"
                              "Plot_NAME.EXT into the output folder (NAME the file name of FILE with its\n"
                              "extension, EXT PDF, EPS or PNG). Prints the path of each file written.\n"
                              "With --from/--to only the samples in that window are plotted, on a time\n"
                              "axis of the window, into Plot_NAME_FROM-TO.EXT (FROM and TO as HHMMSS,\n"
                              "an open end left empty: Plot_LC20261206_SFU.txt_103000-110000.PNG).\n"
                              "\n"
                              "Options:\n";

const char kPlotUsageTail[] = "  -h, --help            show this help\n"
                              "\n"
                              "Dates on the page follow SOURCE_DATE_EPOCH when it is set (seconds since\n"
                              "1970, UTC), so that the same input gives the same file.\n"
                              "\n"
                              "Exit status: 0 all files plotted; 1 a plot could not be written (the\n"
                              "others are still plotted); 2 a FILE could not be read or has no samples\n"
                              "in the window (it is skipped); 64 bad usage.\n";

// A progress line on a terminal, cleared before anything else is written.
class Progress {
public:
    Progress(std::ostream& err, bool enabled, std::size_t total) : err_(err), enabled_(enabled), total_(total) { }
    ~Progress() { clear(); }
    void show(std::size_t index, const std::string& file)
    {
        if (!enabled_) return;
        err_ << "\rquorva: plotting " << index + 1 << "/" << total_ << ": " << file << "\033[K" << std::flush;
        shown_ = true;
    }
    void clear()
    {
        if (!shown_) return;
        err_ << "\r\033[K" << std::flush;
        shown_ = false;
    }

private:
    std::ostream& err_;
    bool enabled_;
    std::size_t total_;
    bool shown_ = false;
};

} // namespace

bool plotSettings(const Arguments& a, PlotSettings& s, std::string& error)
{
    if (const std::string* format = a.value("format")) {
        const std::optional<OutputChoice> f = outputChoiceFromName(*format);
        if (f == OutputChoice::Screen || upperAscii(*format) == "XWIN") {
            error = "--format " + *format + " needs the desktop program; run quorva without a command";
            return false;
        }
        if (!f) {
            error = "--format must be pdf, eps or png, not '" + *format + "'";
            return false;
        }
        s.format = *f;
    }
    if (!unitOption(a, s.unit, error)) return false;
    const std::string* size = a.value("size");
    if (size && !parseCount(*size, 0, kPlotSizeCount - 1, s.sizeIndex)) {
        error = "--size must be 0, 1, 2, 3 or 4, not '" + *size + "'";
        return false;
    }
    if (const std::string* desktop = a.value("desktop")) {
        const std::optional<DesktopSize> d = parseDesktop(*desktop);
        if (!d) {
            error = "--desktop must be WIDTHxHEIGHT, each " + std::to_string(kMinimumDesktopSide) + " to "
                + std::to_string(kMaximumDesktopSide) + ", not '" + *desktop + "'";
            return false;
        }
        s.desktop = *d;
    }
    const std::string* thickness = a.value("thickness");
    if (thickness && !parseCount(*thickness, 1, kMaximumThickness, s.thickness)) {
        error = "--thickness must be a whole number from 1 to " + std::to_string(kMaximumThickness) + ", not '"
            + *thickness + "'";
        return false;
    }
    const std::string* output = a.value("output");
    if (output) {
        // DIR names the folder itself, with or without its final separator.
        s.outputFolder = *output;
        if (!s.outputFolder.empty() && s.outputFolder.back() != '/') s.outputFolder += '/';
    }
    if (!windowOptions(a, s.window, error)) return false;
    s.files = a.operands;
    if (s.files.empty()) {
        error = "missing FILE";
        return false;
    }
    applyConfiguration(s, output != nullptr, size != nullptr);
    return true;
}

int runPlot(const std::vector<std::string>& arguments, CommandIo& io)
{
    Arguments a;
    PlotSettings s;
    std::string error;
    if (!readArguments(arguments, kPlotCommandOptions, false, a, error)) return usageError(io, "plot", error);
    if (a.help) {
        io.out << kPlotUsageHead << kPlotOptionsText << kWindowOptionsText << kPlotUsageTail;
        return kExitSuccess;
    }
    if (!plotSettings(a, s, error)) return usageError(io, "plot", error);

    FilePlotter plotter(s);
    const bool terminal = &io.err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
    Progress progress(io.err, terminal && s.files.size() > 1, s.files.size());
    bool unreadable = false;
    bool failed = false;
    std::map<std::string, std::string> written; // output path -> FILE it came from

    for (std::size_t i = 0; i < s.files.size(); ++i) {
        const std::string& path = s.files[i];
        progress.show(i, path);

        const FilePlotter::Outcome prepared = plotter.prepare(path);
        if (prepared.status == FilePlotter::Outcome::Unreadable || prepared.status == FilePlotter::Outcome::NoSamples) {
            progress.clear();
            io.err << "quorva: " << prepared.message << std::endl;
            unreadable = true;
            continue;
        }

        // Two FILEs of the same name would write one plot over the other.
        if (const auto earlier = written.find(prepared.plotPath); earlier != written.end()) {
            progress.clear();
            io.err << "quorva: cannot write " << prepared.plotPath << ": written already for " << earlier->second
                   << std::endl;
            failed = true;
            continue;
        }

        const FilePlotter::Outcome drawn = plotter.draw();
        progress.clear();
        if (drawn.status != FilePlotter::Outcome::Plotted) {
            io.err << "quorva: " << drawn.message << std::endl;
            failed = true;
            continue;
        }
        written.emplace(drawn.plotPath, path);
        io.out << drawn.plotPath << "\n" << std::flush;
    }
    progress.clear();
    if (!io.out.good()) {
        // The plots are written, but the user did not get their paths.
        io.err << "quorva: cannot write the paths of the plots to the standard output" << std::endl;
        failed = true;
    }
    if (failed) return kExitPlotFailed;
    if (unreadable) return kExitCannotOpen;
    return kExitSuccess;
}

} // namespace quorva::cli
