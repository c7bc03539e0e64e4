// `quorva stats [-u SFU|ADU] [--from T] [--to T] [--json [--samples]]
//               [--name NAME] FILE|-`

#include "app/StatisticsTexts.h"
#include "app/StatsJson.h"
#include "cli/Cli.h"
#include "cli/Options.h"
#include "cli/PlotOptions.h"
#include "cli/StandardStreams.h"
#include "lightcurve/FileNames.h"
#include "lightcurve/LightCurve.h"

namespace quorva::cli {
namespace {

const char kStatsUsage[] = "Usage: quorva stats [-u SFU|ADU] [--from T] [--to T] [--json [--samples]]\n"
                           "                    [--name NAME] FILE|-\n"
                           "\n"
                           "Reads the light-curve file FILE (- the standard input) and prints what\n"
                           "the statistics window shows: file name, channel frequencies, last,\n"
                           "minimum and maximum values, time range and Data Points, then Samples.\n"
                           "With --from/--to, those of the samples in that window, and the window\n"
                           "(windowFrom and windowTo in hours UT in the JSON, null for an open end).\n"
                           "\n"
                           "Data Points (sampleCount in the JSON) counts the points the plot draws:\n"
                           "for a whole file every line, the first two (title and header) and any\n"
                           "header or garbled line included, so a file of 3600 samples has 3602;\n"
                           "within --from/--to, the lines in the window. Samples (samples in the\n"
                           "JSON) counts the samples proper: data lines whose time parses.\n"
                           "\n"
                           "Options:\n"
                           "  -u, --unit SFU|ADU  unit printed after the values; by default SFU when\n"
                           "                      the file name contains SFU before any ADU (any\n"
                           "                      case), else ADU\n"
                           "  --from T, --to T    only the samples from T to T (both included), T in\n"
                           "                      hours UT as in the file (10.5) or HH:MM or HH:MM:SS,\n"
                           "                      0 to 24; either may be given alone (open end)\n"
                           "  --json              print one JSON object with the reader's values\n"
                           "  --samples           with --json: also the arrays times, values1, values2\n"
                           "                      and values3 (the first sampleCount entries)\n"
                           "  --name NAME         the file name of the standard input (default stdin)\n"
                           "  -h, --help          show this help\n"
                           "\n"
                           "Of an option given twice the last one counts.\n"
                           "\n"
                           "Exit status: 0; 1 the standard output cannot be written; 2 FILE cannot\n"
                           "be read or has no samples (in the window); 64 bad usage.\n";

const Option kStatsOptions[] = {
    {"unit", 'u', true},
    {"json"},
    {"samples"},
    {"from", 0, true},
    {"to", 0, true},
    {"name", 0, true},
};

std::string statsText(const LightCurve& lc, const std::string& path, const std::string& unit, const TimeWindow& window)
{
    const StatisticsTexts t = statisticsTexts(lc, path, unit);
    std::string text = "File: " + t.fileName + "\n";
    for (int c = 0; c < 3; ++c) {
        const std::string n = std::to_string(c + 1);
        text += "Freq" + n + ": " + t.channel[c].frequency + "\n";
        text += "Last" + n + ": " + t.channel[c].last + "\n";
        text += "Min" + n + ": " + t.channel[c].minimum + "\n";
        text += "Max" + n + ": " + t.channel[c].maximum + "\n";
    }
    text += t.timeCaption + " min: " + t.timeMin + "\n";
    text += t.timeCaption + " max: " + t.timeMax + "\n";
    text += t.countsCaption + ": " + t.count + "\n";
    text += "Samples: " + std::to_string(lc.timedSampleCount) + "\n";
    if (window.asked()) text += "Window: " + windowText(window) + " UT\n";
    return text;
}

} // namespace

int runStats(const std::vector<std::string>& arguments, CommandIo& io)
{
    Arguments a;
    std::string error;
    if (!readArguments(arguments, kStatsOptions, false, a, error)) return usageError(io, "stats", error);
    if (a.help) return writeOut(io, kStatsUsage) ? kExitSuccess : kExitWriteFailed;
    if (a.operands.size() != 1)
        return usageError(io, "stats", a.operands.empty() ? "missing FILE" : "more than one FILE");
    const bool json = a.has("json");
    const bool samples = a.has("samples");
    if (samples && !json) return usageError(io, "stats", "--samples needs --json");

    TimeWindow window;
    if (!windowOptions(a, window, error)) return usageError(io, "stats", error);

    std::optional<std::string> unitGiven;
    if (!unitOption(a, unitGiven, error)) return usageError(io, "stats", error);
    const bool fromStdin = a.operands.front() == "-";
    std::string name;
    if (!inputNameOption(a, fromStdin, name, error)) return usageError(io, "stats", error);

    ScratchFolder scratch;
    std::string path = a.operands.front();
    if (fromStdin && (path = scratch.copyStandardInput(name, error)).empty()) {
        io.err << "quorva: " << error << "\n";
        return kExitCannotOpen;
    }
    const std::string unit = unitGiven.value_or(unitFromFileName(path));

    LightCurve lightCurve;
    TimeAxis axis;
    const std::string message = readForCommand(lightCurve, path, window, axis);
    scratch.clear(); // read; a SIGPIPE later leaves nothing
    if (!message.empty()) {
        io.err << "quorva: " << scratch.shown(message) << "\n";
        return kExitCannotOpen;
    }
    if (fromStdin) lightCurve.inputPath = "-";
    return writeOut(io, json ? statsJson(lightCurve, samples, window) : statsText(lightCurve, path, unit, window))
        ? kExitSuccess
        : kExitWriteFailed;
}

} // namespace quorva::cli
