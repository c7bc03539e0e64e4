// `quorva stats [--unit SFU|ADU] [--json [--samples]] FILE`

#include "app/StatisticsTexts.h"
#include "app/StatsJson.h"
#include "cli/Cli.h"
#include "cli/Options.h"
#include "cli/PlotOptions.h"
#include "lightcurve/FileNames.h"
#include "lightcurve/LightCurve.h"

namespace quorva::cli {
namespace {

const char kStatsUsage[] = "Usage: quorva stats [--unit SFU|ADU] [--from T] [--to T] [--json [--samples]]\n"
                           "                    FILE\n"
                           "\n"
                           "Reads the light-curve file FILE and prints what the statistics window\n"
                           "shows: file name, channel frequencies, last, minimum and maximum values,\n"
                           "time range and number of data points. With --from/--to, those of the\n"
                           "samples in that window, and the window (windowFrom and windowTo in hours\n"
                           "UT in the JSON, null for an open end).\n"
                           "\n"
                           "Options:\n"
                           "  --unit SFU|ADU    unit printed after the values; by default SFU when the\n"
                           "                    file name contains SFU before any ADU (any case), else ADU\n"
                           "  --from T, --to T  only the samples from T to T (both included), T in hours\n"
                           "                    UT as in the file (10.5) or HH:MM or HH:MM:SS, 0 to 24;\n"
                           "                    either may be given alone (open end)\n"
                           "  --json            print one JSON object with the reader's values instead\n"
                           "  --samples         with --json: also the arrays times, values1, values2 and\n"
                           "                    values3 (the first sampleCount entries)\n"
                           "  -h, --help        show this help\n"
                           "\n"
                           "Exit status: 0; 2 FILE cannot be read or has no samples in the window;\n"
                           "64 bad usage.\n";

const Option kStatsOptions[] = {{"unit", 0, true}, {"json"}, {"samples"}, {"from", 0, true}, {"to", 0, true}};

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
    if (window.asked()) text += "Window: " + windowText(window) + " UT\n";
    return text;
}

} // namespace

int runStats(const std::vector<std::string>& arguments, CommandIo& io)
{
    Arguments a;
    std::string error;
    if (!readArguments(arguments, kStatsOptions, false, a, error)) return usageError(io, "stats", error);
    if (a.help) {
        io.out << kStatsUsage;
        return kExitSuccess;
    }
    if (a.operands.size() != 1)
        return usageError(io, "stats", a.operands.empty() ? "missing FILE" : "more than one FILE");
    const bool json = a.has("json");
    const bool samples = a.has("samples");
    if (samples && !json) return usageError(io, "stats", "--samples needs --json");

    TimeWindow window;
    if (!windowOptions(a, window, error)) return usageError(io, "stats", error);

    std::optional<std::string> unitGiven;
    if (!unitOption(a, unitGiven, error)) return usageError(io, "stats", error);
    const std::string& path = a.operands.front();
    const std::string unit = unitGiven.value_or(unitFromFileName(path));

    LightCurve lightCurve;
    if (const std::string message = readForCommand(lightCurve, path); !message.empty()) {
        io.err << "quorva: " << message << "\n";
        return kExitCannotOpen;
    }
    if (window.asked()) {
        TimeAxis axis;
        const std::string message = applyWindow(lightCurve, window, axis);
        if (!message.empty()) {
            io.err << "quorva: " << message << "\n";
            return kExitCannotOpen;
        }
    }
    io.out << (json ? statsJson(lightCurve, samples, window) : statsText(lightCurve, path, unit, window));
    io.out.flush();
    return kExitSuccess;
}

} // namespace quorva::cli
