#include "app/PlotCommand.h"

#include "app/Configuration.h"
#include "app/RePlot.h"
#include "engine/core/EngineState.h"
#include "plotjob/PlotSequence.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <string_view>

namespace quorva {
namespace {

DesktopQuery g_desktopQuery = nullptr;

const char kPlotUsageHead[] =
    "Usage: quorva plot [OPTIONS] FILE...\n"
    "\n"
    "Plots each light-curve FILE as the main window's re-plot does and writes\n"
    "Plot_NAME.EXT into the output folder (NAME the file name of FILE with its\n"
    "extension, EXT PDF, EPS or PNG). Prints the path of each file written.\n"
    "\n"
    "Options:\n";

const char kPlotUsageTail[] =
    "  -h, --help            show this help\n"
    "\n"
    "Dates on the page follow SOURCE_DATE_EPOCH when it is set (seconds since\n"
    "1970, UTC), so that the same input gives the same file.\n"
    "\n"
    "Exit status: 0 all files plotted; 1 a plot could not be written (the\n"
    "others are still plotted); 2 a FILE could not be read (it is skipped);\n"
    "64 bad usage.\n";

} // namespace

const char kPlotOptionsText[] =
    "  --format pdf|eps|png  output format (default png)\n"
    "  --output DIR          output folder (default: [output]= of Quorva.cfg in\n"
    "                        the working directory, else the working directory)\n"
    "  --unit SFU|ADU        unit of the y axis (default: SFU or ADU when the\n"
    "                        file name contains it, else ADU)\n"
    "  --size 0-4            plot size: 0 Extra Small, 1 Small, 2 Medium, 3 Large,\n"
    "                        4 Extra Large (default: [size]= of Quorva.cfg, else 2)\n"
    "  --desktop WxH         desktop size in pixels, 100 to 16384 each side\n"
    "                        (default: the display's desktop, without a display\n"
    "                        1920x1080); a PNG is as large as the screen window\n"
    "                        of the plot size would be: Medium on 1920 is 960x678\n"
    "  --thickness N         line thickness of the curves, 1 to 10000 (default 2)\n";

namespace {

const std::string kPlotUsage = std::string(kPlotUsageHead) + kPlotOptionsText + kPlotUsageTail;

constexpr int kMinimumDesktopSide = 100;
constexpr int kMaximumThickness = 10000;

char upper(char c) noexcept
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

std::string upperText(std::string_view text)
{
    std::string u(text);
    for (char& c : u)
        c = upper(c);
    return u;
}

// Decimal digits only, no sign, no blanks; false beyond `maximum`.
bool parseCount(std::string_view text, int minimum, int maximum, int& value) noexcept
{
    if (text.empty() || text.size() > 9)
        return false;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    if (v < minimum || v > maximum)
        return false;
    value = v;
    return true;
}

int usageError(CommandIo& io, const std::string& message)
{
    io.err << "quorva: " << message << "\n\n" << kPlotUsage;
    return kExitUsage;
}

} // namespace

std::vector<std::string> ownArguments(const QStringList& arguments, const std::vector<std::string>& raw)
{
    const std::size_t n = arguments.isEmpty() ? 0 : static_cast<std::size_t>(arguments.size() - 1);
    if (raw.size() >= n)
        return std::vector<std::string>(raw.end() - static_cast<std::ptrdiff_t>(n), raw.end());
    std::vector<std::string> args;
    for (qsizetype i = 1; i < arguments.size(); ++i)
        args.push_back(QFile::encodeName(arguments[i]).toStdString());
    return args;
}

namespace {

struct ParsedOptions {
    std::optional<std::string> format, output, unit, size, desktop, thickness;
    std::vector<std::string> files;
    bool help = false;
};

// GNU style: options anywhere before "--", "--name VALUE" or "--name=VALUE".
bool parseOptions(const std::vector<std::string>& args, ParsedOptions& o, std::string& error)
{
    struct Known {
        const char* name;
        std::optional<std::string> ParsedOptions::*field;
    };
    const Known known[] = {
        {"--format", &ParsedOptions::format},   {"--output", &ParsedOptions::output},
        {"--unit", &ParsedOptions::unit},       {"--size", &ParsedOptions::size},
        {"--desktop", &ParsedOptions::desktop}, {"--thickness", &ParsedOptions::thickness},
    };
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            o.files.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        if (a == "-h" || a == "--help") {
            o.help = true;
            continue;
        }
        const std::size_t eq = a.find('=');
        const std::string name = a.substr(0, eq);
        const Known* k = nullptr;
        for (const Known& candidate : known) {
            if (name == candidate.name)
                k = &candidate;
        }
        if (!k) {
            error = "unknown option '" + name + "'";
            return false;
        }
        std::string value;
        if (eq != std::string::npos) {
            value = a.substr(eq + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error = "missing value after '" + name + "'";
            return false;
        }
        if ((o.*(k->field)).has_value()) {
            error = name + " given more than once";
            return false;
        }
        o.*(k->field) = std::move(value);
    }
    return true;
}

// Options and defaults into settings; a usage message on failure.
bool settle(const ParsedOptions& o, PlotSettings& s, std::string& error)
{
    if (o.format) {
        const std::string f = upperText(*o.format);
        if (f != "PDF" && f != "EPS" && f != "PNG") {
            error = "--format must be pdf, eps or png, not '" + *o.format + "'";
            return false;
        }
        s.format = f;
    }
    if (o.unit) {
        const std::string u = upperText(*o.unit);
        if (u != "SFU" && u != "ADU") {
            error = "--unit must be SFU or ADU, not '" + *o.unit + "'";
            return false;
        }
        s.unit = u;
    }
    if (o.size && !parseCount(*o.size, 0, kPlotSizeCount - 1, s.sizeIndex)) {
        error = "--size must be 0, 1, 2, 3 or 4, not '" + *o.size + "'";
        return false;
    }
    if (o.desktop) {
        const std::optional<DesktopSize> d = parseDesktop(*o.desktop);
        if (!d) {
            error = "--desktop must be WIDTHxHEIGHT, each " + std::to_string(kMinimumDesktopSide) + " to "
                    + std::to_string(kMaximumDesktopSide) + ", not '" + *o.desktop + "'";
            return false;
        }
        s.desktop = *d;
    }
    if (o.thickness && !parseCount(*o.thickness, 1, kMaximumThickness, s.thickness)) {
        error = "--thickness must be a whole number from 1 to " + std::to_string(kMaximumThickness) + ", not '"
                + *o.thickness + "'";
        return false;
    }
    if (o.output) {
        // DIR names the folder itself, with or without its final separator.
        s.outputFolder = *o.output;
        if (!s.outputFolder.empty() && s.outputFolder.back() != '/')
            s.outputFolder += '/';
    }
    s.files = o.files;
    if (s.files.empty()) {
        error = "missing FILE";
        return false;
    }
    return true;
}

// The settings "Quorva.cfg" in the working directory gives where the
// command line gave none, read as the main window reads them.
void applyConfiguration(const ParsedOptions& o, PlotSettings& s)
{
    if (o.output && o.size)
        return;
    std::ifstream in(kConfigurationFileName, std::ios::binary);
    if (!in)
        return;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!o.output) {
        std::istringstream stream(text);
        // The main window keeps the folder part of it (up to the last '/').
        s.outputFolder = readConfiguration(stream).outputFolder;
    }
    if (!o.size) {
        const std::optional<int> index = configuredSizeIndex(text);
        // An index outside 0..4 keeps "Medium", as in the main window.
        if (index && *index >= 0 && *index < kPlotSizeCount)
            s.sizeIndex = *index;
    }
}

// Why a FILE cannot be plotted, or empty when it is a regular file. The
// reader would block on a FIFO and read a device without end.
std::string refusal(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return "cannot open " + path + ": " + std::strerror(errno);
    if (S_ISDIR(st.st_mode))
        return "cannot open " + path + ": " + std::strerror(EISDIR);
    if (!S_ISREG(st.st_mode))
        return "cannot open " + path + ": not a regular file";
    return {};
}

// A progress line on a terminal, cleared before anything else is written.
class Progress {
public:
    Progress(std::ostream& err, bool enabled, std::size_t total) : err_(err), enabled_(enabled), total_(total) {}
    ~Progress() { clear(); }
    void show(std::size_t index, const std::string& file)
    {
        if (!enabled_)
            return;
        err_ << "\rquorva: plotting " << index + 1 << "/" << total_ << ": " << file << "\033[K" << std::flush;
        shown_ = true;
    }
    void clear()
    {
        if (!shown_)
            return;
        err_ << "\r\033[K" << std::flush;
        shown_ = false;
    }

private:
    std::ostream& err_;
    bool enabled_;
    std::size_t total_;
    bool shown_ = false;
};

std::string failureReason(const zedozo::EngineFailure& f)
{
    if (!f.reason.empty())
        return f.reason;
    if (!f.text.empty())
        return f.text;
    return "warning " + std::to_string(f.warning);
}

} // namespace

void setDesktopQuery(DesktopQuery query) noexcept
{
    g_desktopQuery = query;
}

std::string unitFromFileName(const std::string& path)
{
    const std::string name = upperText(fileNamePart(path));
    const std::size_t sfu = name.find("SFU");
    const std::size_t adu = name.find("ADU");
    if (sfu != std::string::npos && (adu == std::string::npos || sfu < adu))
        return "SFU";
    return "ADU";
}

std::optional<DesktopSize> parseDesktop(const std::string& text)
{
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos)
        return std::nullopt;
    DesktopSize d;
    if (!parseCount(std::string_view(text).substr(0, x), kMinimumDesktopSide, kMaximumDesktopSide, d.width)
        || !parseCount(std::string_view(text).substr(x + 1), kMinimumDesktopSide, kMaximumDesktopSide, d.height))
        return std::nullopt;
    return d;
}

std::optional<int> configuredSizeIndex(const std::string& configurationText)
{
    // A first line with an index no file is expected to give: the file's
    // last "[size]=" line that parses replaces it, so if it is still there
    // no line of the file set the size.
    constexpr std::int32_t kNone = INT32_MIN;
    std::istringstream stream("[size]=-2147483648\n" + configurationText);
    const std::int32_t index = readConfiguration(stream).sizeIndex;
    if (index == kNone)
        return std::nullopt;
    return index;
}

bool readPlotSettings(const std::vector<std::string>& args, PlotSettings& s, bool& help, std::string& error)
{
    ParsedOptions options;
    if (!parseOptions(args, options, error))
        return false;
    help = options.help;
    if (help)
        return true;
    if (!settle(options, s, error))
        return false;
    applyConfiguration(options, s);
    if (!options.desktop && g_desktopQuery) {
        if (const std::optional<DesktopSize> d = g_desktopQuery())
            s.desktop = *d;
    }
    return true;
}

FilePlotter::FilePlotter(const PlotSettings& s) : unit_(s.unit)
{
    PlotGeometry& g = rePlot_.geometry();
    applyPlotSize(s.sizeIndex, g);
    // The screen window's start position; only its size matters for a file,
    // but a position off the desktop (the larger sizes) would make the
    // engine refuse the whole window request and fall back to its default
    // page size.
    startPosition(g, s.desktop);
    if (g.plotLeft < 0)
        g.plotLeft = 0;
    if (g.plotTop < 0)
        g.plotTop = 0;
    rePlot_.description().reset(s.desktop.width, g);

    request_.outputFolder = s.outputFolder;
    request_.output = *outputChoiceFromName(s.format);
    request_.thicknessText = std::to_string(s.thickness);
}

FilePlotter::Outcome FilePlotter::prepare(const std::string& path)
{
    Outcome o;
    o.message = refusal(path);
    if (o.message.empty()) {
        const ReadResult r = rePlot_.lightCurve().read(path);
        if (!r.opened)
            o.message = "cannot open " + path + ": " + std::strerror(r.openError);
        else if (r.readError != 0)
            o.message = "cannot read " + path + ": " + std::strerror(r.readError);
    }
    if (!o.message.empty()) {
        o.status = Outcome::Unreadable;
        prepared_ = false;
        return o;
    }
    request_.selectedPath = path;
    request_.unitText = unit_ ? *unit_ : unitFromFileName(path);
    rePlot_.fill(request_);
    prepared_ = true;
    o.status = Outcome::Prepared;
    o.plotPath = rePlot_.description().fileName;
    o.samples = rePlot_.lightCurve().sampleCount;
    return o;
}

FilePlotter::Outcome FilePlotter::draw()
{
    Outcome o;
    PlotDescription& d = rePlot_.description();
    o.plotPath = d.fileName;
    o.samples = rePlot_.lightCurve().sampleCount;
    if (!prepared_) {
        o.status = Outcome::Failed;
        o.message = "nothing read to plot";
        return o;
    }
    prepared_ = false;
    // Stdout carries only the paths written, and a failure is told on
    // stderr: the engine's own console lines of the steps before the
    // sequence switches them off (a plot file that cannot be opened at
    // disini) stay out of it.
    zedozo::engineState().warn.warnOn = false;
    plot(d, rePlot_.geometry());
    const zedozo::EngineFailure& f = zedozo::lastFailure();
    if (f.failed()) {
        o.status = Outcome::Failed;
        o.message = "cannot write " + d.fileName + ": " + failureReason(f);
        return o;
    }
    o.status = Outcome::Plotted;
    return o;
}

int runPlot(const QStringList& arguments, const std::vector<std::string>& raw, CommandIo& io)
{
    PlotSettings s;
    bool help = false;
    std::string error;
    if (!readPlotSettings(ownArguments(arguments, raw), s, help, error))
        return usageError(io, error);
    if (help) {
        io.out << kPlotUsage;
        return kExitSuccess;
    }

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
        if (prepared.status == FilePlotter::Outcome::Unreadable) {
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
    if (failed)
        return kExitPlotFailed;
    if (unreadable)
        return kExitCannotOpen;
    return kExitSuccess;
}

} // namespace quorva
