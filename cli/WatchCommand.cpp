// `quorva watch [--interval SECONDS] [--always] [--count N] [--page]
//               [--metrics FILE] [plot options] FILE|DIR`: app/Watch.h
// without windows, exit status 0, 1 when the log cannot be written, or 64
// for bad usage.

#include "app/Watch.h"
#include "cli/Cli.h"
#include "cli/PlotOptions.h"

#include <array>
#include <charconv>
#include <iterator>

namespace quorva::cli {
namespace {

const char kWatchUsageHead[] = "Usage: quorva watch [--interval SECONDS] [--always] [--count N]\n"
                               "                    [--last MINUTES] [--page] [--metrics FILE]\n"
                               "                    [OPTIONS] FILE|DIR\n"
                               "\n"
                               "Auto-plot without windows: plots FILE as 'quorva plot' does, at once and\n"
                               "then every interval whenever FILE has changed (size or modification\n"
                               "time). Given a folder DIR, it plots the newest light-curve file in it\n"
                               "(LC*SFU*.txt or LC*ADU*.txt, any case) and follows a newer one as soon as\n"
                               "it appears. Plot files are replaced whole, never seen half-written.\n"
                               "\n"
                               "Prints one line per plot, fields separated by tabs: local time, light-\n"
                               "curve file, plot file written, number of samples (data lines whose time\n"
                               "parses; the Samples of 'quorva stats'). Failures are reported on the\n"
                               "error stream (the same failure once) and watching goes on; a file\n"
                               "without samples is such a failure and the plot published before stays.\n"
                               "\n"
                               "Options:\n"
                               "  --interval SECONDS    time between two looks at the file, 0.05 to 600\n"
                               "                        (default 10)\n"
                               "  --always              plot at every tick, changed or not\n"
                               "  --count N             stop after N plots\n"
                               "  --last MINUTES        plot only the last MINUTES (0.1 to 1440) up to the\n"
                               "                        newest sample, on a time axis of that window, into\n"
                               "                        Plot_NAME_lastMINUTES.EXT (MINUTES in its shortest\n"
                               "                        decimal form: 30, 0.5); a file without samples is\n"
                               "                        reported once and watching goes on\n"
                               "  --page                publish a station page beside the plot: index.html\n"
                               "                        (the plot and its statistics, refreshing itself\n"
                               "                        every interval; it says \"No new samples since\n"
                               "                        HH:MM:SS UT\" when the file has not grown for more\n"
                               "                        than three intervals) and stats.json (as 'quorva\n"
                               "                        stats --json', with the time of the last sample);\n"
                               "                        needs --format png\n"
                               "  --metrics FILE        write the last values, the sample count and the\n"
                               "                        time of the last sample to FILE after each plot, in\n"
                               "                        the Prometheus text format (for node_exporter's\n"
                               "                        textfile collector)\n";

const char kWatchUsageTail[] = "  -h, --help            show this help\n"
                               "\n"
                               "Of an option given twice the last one counts. SIGINT (Ctrl+C), SIGTERM\n"
                               "and SIGHUP end watching once the running plot is complete. Exit status:\n"
                               "0; 1 the log cannot be written to the standard output; 64 bad usage.\n";

// The options of `watch` alone.
constexpr Option kWatchOnlyOptions[] = {
    {"interval", 0, true},
    {"always"},
    {"count", 0, true},
    {"last", 0, true},
    {"page"},
    {"metrics", 0, true},
};

// The watch options, then those of `quorva plot`.
constexpr auto kWatchOptions = joinOptions(kWatchOnlyOptions, kPlotOptions);

bool watchOptions(const Arguments& a, WatchOptions& w, std::string& error)
{
    if (const std::string* value = a.value("interval")) {
        const std::optional<double> seconds = parseInterval(*value);
        if (!seconds) {
            error = "--interval must be a number of seconds from 0.05 to 600, not '" + *value + "'";
            return false;
        }
        w.interval = *seconds;
    }
    w.always = a.has("always");
    if (const std::string* value = a.value("count")) {
        long long n = 0;
        const auto [end, ec] = std::from_chars(value->data(), value->data() + value->size(), n);
        if (value->empty() || (*value)[0] == '-' || (*value)[0] == '+' || ec != std::errc()
            || end != value->data() + value->size() || n < 1) {
            error = "--count must be a whole number of at least 1, not '" + *value + "'";
            return false;
        }
        w.count = n;
    }
    w.page = a.has("page");
    if (const std::string* value = a.value("metrics")) {
        if (value->empty()) {
            error = "--metrics needs a file name";
            return false;
        }
        w.metricsPath = *value;
    }
    return true;
}

} // namespace

int runWatch(const std::vector<std::string>& arguments, CommandIo& io)
{
    Arguments a;
    WatchOptions w;
    PlotSettings settings;
    std::string error;
    if (!readArguments(arguments, kWatchOptions, false, a, error)) return usageError(io, "watch", error);
    if (a.help) {
        const std::string help = std::string(kWatchUsageHead) + kPlotOptionsText + kWatchUsageTail;
        return writeOut(io, help) ? kExitSuccess : kExitWriteFailed;
    }
    if (!watchOptions(a, w, error)) return usageError(io, "watch", error);
    if (!plotSettings(a, settings, error))
        return usageError(io, "watch", error == "missing FILE" ? "missing FILE or DIR" : error);
    if (const std::string* value = a.value("last")) {
        settings.window.lastMinutes = parseLastMinutes(*value, settings.window.lastText);
        if (!settings.window.lastMinutes)
            return usageError(io, "watch", "--last must be a number of minutes from 0.1 to 1440, not '" + *value + "'");
    }
    // A browser shows only the PNG of the three formats.
    if (w.page && settings.format != OutputChoice::Png) return usageError(io, "watch", "--page needs --format png");
    if (settings.files.size() != 1)
        return usageError(io, "watch", "one FILE or DIR only, not " + std::to_string(settings.files.size()));
    if (settings.files.front() == "-") return usageError(io, "watch", "cannot watch the standard input");
    if (settings.outputFile == "-") return usageError(io, "watch", "-o - (the standard output) is for plot only");
    return watch(settings, w, io.out, io.err) ? kExitSuccess : kExitWriteFailed;
}

} // namespace quorva::cli
