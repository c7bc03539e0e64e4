// `quorva plot [OPTIONS] FILE...|-`
//
// Runs, for each FILE, the main window's re-plot (read, fill the plot
// description, the plot sequence) and writes "%sPlot_%s.%s" (output folder,
// file name, extension) into the output folder, or the one file -o names,
// printing the path of each file written. Exit statuses: 0 every file
// plotted (or up to date with --update); 1 a plot or the standard output
// could not be written (the other files are still plotted); 2 a FILE could
// not be read or has no samples (in the --from/--to window), or none above
// 0 for --log (reported and skipped); 64 bad usage.

#include "cli/Cli.h"
#include "cli/PlotOptions.h"
#include "cli/StandardStreams.h"
#include "lightcurve/Ascii.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <map>
#include <string_view>

namespace quorva::cli {

const char kPlotOptionsText[] = "  -f, --format pdf|eps|png\n"
                                "                        output format (default: from the extension of -o\n"
                                "                        FILE, else png)\n"
                                "  --output DIR          output folder (default: [output]= of Quorva.cfg in\n"
                                "                        the working directory, else the working directory)\n"
                                "  -o, --output-file FILE\n"
                                "                        write the plot to FILE itself instead (one input\n"
                                "                        only; - the standard output)\n"
                                "  -u, --unit SFU|ADU    unit of the y axis (default: SFU when the file name\n"
                                "                        contains SFU before any ADU, any case; else ADU)\n"
                                "  --size 0-4            plot size: 0 Extra Small, 1 Small, 2 Medium, 3 Large,\n"
                                "                        4 Extra Large (default: [size]= of Quorva.cfg, else 2)\n"
                                "  --desktop WxH         desktop size in pixels, 100 to 16384 each side\n"
                                "                        (default 1920x1080 on every machine, display or not);\n"
                                "                        a PNG is as large as the screen window of the plot\n"
                                "                        size would be: Medium on 1920 is 960x678\n"
                                "  --thickness N         line thickness of the curves, 1 to 10000 (default 2)\n"
                                "  --axes classic|readable\n"
                                "                        classic (default): the page as it always was;\n"
                                "                        readable: labels on round steps, times of day\n"
                                "                        (HH:MM, HH:MM:SS for steps under a minute), the\n"
                                "                        y axis over the samples' own extremes\n"
                                "  --log                 readable axes with a logarithmic y axis labelled\n"
                                "                        by decades; values at or below 0 are left out\n"
                                "                        (the curves break there) and counted in one\n"
                                "                        warning line; a file with no value above 0 is\n"
                                "                        not plotted (by quorva plot: exit status 2)\n";

const char kWindowOptionsText[] = "  --from T, --to T      only the samples from T to T (both included), T in\n"
                                  "                        hours UT as in the file (10.5) or HH:MM or HH:MM:SS,\n"
                                  "                        0 to 24; either may be given alone (open end)\n";

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

// The options of `plot` alone.
constexpr Option kPlotOnlyOptions[] = {
    {"update"},
    {"name", 0, true},
};

// The plot options, the time window and those of `plot` alone.
constexpr auto kPlotCommandOptions = joinOptions(kPlotOptions, kWindowOptions, kPlotOnlyOptions);

const char kPlotUsageHead[] = "Usage: quorva plot [OPTIONS] [-o FILE|-] [--update] [--name NAME]\n"
                              "                    FILE...|-\n"
                              "\n"
                              "Plots each light-curve FILE as the main window's re-plot does and writes\n"
                              "Plot_NAME.EXT into the output folder (NAME the file name of FILE with its\n"
                              "extension, EXT PDF, EPS or PNG). Prints the path of each file written.\n"
                              "With --from/--to only the samples in that window are plotted, on a time\n"
                              "axis of the window, into Plot_NAME_FROM-TO.EXT (FROM and TO as HHMMSS,\n"
                              "an open end left empty: Plot_LC20261206_SFU.txt_103000-110000.PNG).\n"
                              "FILE - is the standard input, named NAME (--name, default stdin) in the\n"
                              "title and the plot file name. A FILE without samples (data lines whose\n"
                              "time parses) is told, not plotted. -o takes one FILE only.\n"
                              "\n"
                              "Options:\n";

const char kPlotUsageTail[] = "  --name NAME           the file name of the standard input (default stdin)\n"
                              "  --update              skip a FILE whose plot file exists and is newer\n"
                              "  -h, --help            show this help\n"
                              "\n"
                              "Of an option given twice the last one counts. Dates on the page follow\n"
                              "SOURCE_DATE_EPOCH when it is set (seconds since 1970, UTC), so that the\n"
                              "same input gives the same file.\n"
                              "\n"
                              "Exit status: 0 all files plotted (or up to date); 1 a plot or the\n"
                              "standard output could not be written (the others are still plotted);\n"
                              "2 a FILE could not be read or has no samples, or none above 0 with\n"
                              "--log (it is skipped); 64 bad usage.\n";

// A progress line on a terminal, cleared before anything else is written.
class Progress {
public:
    Progress(std::ostream& err, bool enabled, std::size_t total) : err_(err), enabled_(enabled), total_(total) { }
    ~Progress() { clear(); }
    void show(std::size_t index, const std::string& file, const char* what = "plotting")
    {
        if (!enabled_) return;
        err_ << "\rquorva: " << what << " " << index + 1 << "/" << total_ << ": " << file << "\033[K" << std::flush;
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

// Escape sequences only for a terminal that understands them.
bool escapesAllowed(CommandIo& io)
{
    const char* term = std::getenv("TERM");
    return &io.err == &std::cerr && ::isatty(STDERR_FILENO) == 1 && term && *term && std::string_view(term) != "dumb";
}

// The plot at `plot` exists and is newer than the light curve at `input`.
bool upToDate(const std::string& input, const std::string& plot)
{
    struct stat in, out;
    if (::stat(input.c_str(), &in) != 0 || ::stat(plot.c_str(), &out) != 0) return false;
    return out.st_mtim.tv_sec > in.st_mtim.tv_sec
        || (out.st_mtim.tv_sec == in.st_mtim.tv_sec && out.st_mtim.tv_nsec > in.st_mtim.tv_nsec);
}

// "pdf", "eps" or "png" (any case) after the last '.' of a file name.
std::optional<OutputChoice> formatOfExtension(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return std::nullopt;
    const std::optional<OutputChoice> f = outputChoiceFromName(path.substr(dot + 1));
    if (f == OutputChoice::Screen) return std::nullopt;
    return f;
}

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
    } else if (const std::string* file = a.value("output-file")) {
        if (const std::optional<OutputChoice> f = formatOfExtension(*file)) s.format = *f;
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
    if (const std::string* axes = a.value("axes")) {
        const std::string style = upperAscii(*axes);
        if (style != "CLASSIC" && style != "READABLE") {
            error = "--axes must be classic or readable, not '" + *axes + "'";
            return false;
        }
        s.axisStyle = style == "READABLE" ? AxisStyle::Readable : AxisStyle::Classic;
    }
    if (a.has("log")) {
        if (a.has("axes") && s.axisStyle == AxisStyle::Classic) {
            error = "--log draws readable axes; it cannot go with --axes classic";
            return false;
        }
        s.axisStyle = AxisStyle::ReadableLog;
    }
    if (!windowOptions(a, s.window, error)) return false;
    s.files = a.operands;
    if (s.files.empty()) {
        error = "missing FILE";
        return false;
    }
    if (const std::string* file = a.value("output-file")) {
        if (s.files.size() > 1) {
            error = "-o names one output file, but " + std::to_string(s.files.size()) + " FILEs are given";
            return false;
        }
        if (file->empty()) {
            error = "-o needs a FILE name";
            return false;
        }
        s.outputFile = *file;
    }
    if (std::count(s.files.begin(), s.files.end(), "-") > 1) {
        error = "FILE - (the standard input) given more than once";
        return false;
    }
    applyConfiguration(s, output != nullptr || !s.outputFile.empty(), size != nullptr);
    return true;
}

int runPlot(const std::vector<std::string>& arguments, CommandIo& io)
{
    Arguments a;
    PlotSettings s;
    std::string error;
    if (!readArguments(arguments, kPlotCommandOptions, false, a, error)) return usageError(io, "plot", error);
    if (a.help) {
        const std::string help = std::string(kPlotUsageHead) + kPlotOptionsText + kWindowOptionsText + kPlotUsageTail;
        return writeOut(io, help) ? kExitSuccess : kExitWriteFailed;
    }
    if (!plotSettings(a, s, error)) return usageError(io, "plot", error);
    const bool fromStdin = std::find(s.files.begin(), s.files.end(), "-") != s.files.end();
    std::string name;
    if (!inputNameOption(a, fromStdin, name, error)) return usageError(io, "plot", error);
    const bool update = a.has("update");

    ScratchFolder scratch;
    const bool toStdout = s.outputFile == "-";
    if (toStdout && (s.outputFile = scratch.pathFor("plot", error)).empty()) {
        io.err << "quorva: " << error << std::endl;
        return kExitPlotFailed;
    }
    FilePlotter plotter(s);
    Progress progress(io.err, escapesAllowed(io) && s.files.size() > 1, s.files.size());
    bool unreadable = false;
    bool failed = false;
    bool outputLost = false;
    std::size_t plotted = 0, current = 0;
    std::map<std::string, std::string> written; // output path -> FILE it came from

    for (std::size_t i = 0; i < s.files.size(); ++i) {
        std::string path = s.files[i];
        progress.show(i, path);
        if (path == "-" && (path = scratch.copyStandardInput(name, error)).empty()) {
            progress.clear();
            io.err << "quorva: " << error << std::endl;
            unreadable = true;
            continue;
        }

        const FilePlotter::Outcome prepared = plotter.prepare(path);
        if (s.files[i] == "-" && !toStdout) scratch.clear(); // read; a SIGPIPE later leaves nothing
        if (prepared.status == FilePlotter::Outcome::Refused) {
            progress.clear();
            io.err << "quorva: " << scratch.shown(prepared.message) << std::endl;
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
        if (update && !toStdout && s.files[i] != "-" && upToDate(path, prepared.plotPath)) {
            progress.show(i, path, "up to date");
            written.emplace(prepared.plotPath, path);
            ++current;
            continue;
        }

        if (prepared.leftOut > 0) {
            progress.clear();
            io.err << "quorva: " << leftOutWarning(prepared.leftOut, path) << std::endl;
        }
        const FilePlotter::Outcome drawn = plotter.draw();
        progress.clear();
        if (drawn.status != FilePlotter::Outcome::Plotted) {
            io.err << "quorva: " << scratch.shown(drawn.message) << std::endl;
            failed = true;
            continue;
        }
        written.emplace(drawn.plotPath, path);
        ++plotted;
        if (outputLost) continue;
        // The plot itself, or its path.
        if (!(toStdout ? scratch.sendAndClear(drawn.plotPath, io) : writeOut(io, drawn.plotPath + "\n")))
            outputLost = true;
    }
    progress.clear();
    if (update) io.err << "quorva: " << plotted << " plotted, " << current << " up to date" << std::endl;
    if (failed || outputLost) return kExitPlotFailed;
    if (unreadable) return kExitCannotOpen;
    return kExitSuccess;
}

} // namespace quorva::cli
