// `quorva stats [-u SFU|ADU] [--from T] [--to T] [--json [--samples]]
//               [--name NAME] FILE|-`

#include "app/StatisticsTexts.h"
#include "app/TextFormat.h"
#include "cli/Cli.h"
#include "cli/Options.h"
#include "cli/PlotOptions.h"
#include "cli/StandardStreams.h"
#include "lightcurve/FileNames.h"
#include "lightcurve/LightCurve.h"

#include <charconv>
#include <cmath>
#include <cstdint>

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

// The shortest text that reads back to the same float; JSON has no
// infinities or NaN, so they are strings.
void appendNumber(std::string& json, float v)
{
    if (std::isnan(v)) {
        json += "\"nan\"";
        return;
    }
    if (std::isinf(v)) {
        json += v > 0 ? "\"inf\"" : "\"-inf\"";
        return;
    }
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, v);
    json.append(text, end);
}

// A JSON string; bytes that are not UTF-8 become U+FFFD.
void appendString(std::string& json, std::string_view s)
{
    json += '"';
    for (std::size_t i = 0; i < s.size();) {
        std::uint32_t codePoint;
        const std::size_t n = utf8Sequence(s, i, codePoint);
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (n == 0) {
            json += "\\ufffd";
            ++i;
            continue;
        }
        if (c == '"' || c == '\\') {
            json += '\\';
            json += static_cast<char>(c);
        } else if (c < 0x20) {
            static const char kHex[] = "0123456789abcdef";
            json += "\\u00";
            json += kHex[c >> 4];
            json += kHex[c & 15];
        } else {
            json.append(s.substr(i, n));
        }
        i += n;
    }
    json += '"';
}

// Keys in alphabetical order, four blanks of indentation.
std::string statsJson(const LightCurve& lc, bool samples, const TimeWindow& window)
{
    std::string json = "{\n";
    bool first = true;
    const auto key = [&](const char* name) {
        json += first ? "    \"" : ",\n    \"";
        first = false;
        json += name;
        json += "\": ";
    };
    const auto number = [&](const char* name, float v) {
        key(name);
        appendNumber(json, v);
    };
    const auto array = [&](const char* name, const SampleArray& a) {
        if (!samples) return;
        key(name);
        json += '[';
        for (std::int32_t i = 0; i < lc.sampleCount; ++i) {
            json += i == 0 ? "\n        " : ",\n        ";
            appendNumber(json, a[static_cast<std::size_t>(i)]);
        }
        json += lc.sampleCount > 0 ? "\n    ]" : "]";
    };
    number("freq1", lc.freq1);
    number("freq2", lc.freq2);
    number("freq3", lc.freq3);
    key("inputPath");
    appendString(json, lc.inputPath);
    number("last1", lc.last1);
    number("last2", lc.last2);
    number("last3", lc.last3);
    key("lineCount");
    json += std::to_string(lc.lineCount);
    number("max1", lc.max1);
    number("max2", lc.max2);
    number("max3", lc.max3);
    number("min1", lc.min1);
    number("min2", lc.min2);
    number("min3", lc.min3);
    key("sampleCount");
    json += std::to_string(lc.sampleCount);
    key("samples");
    json += std::to_string(lc.timedSampleCount);
    number("timeMax", lc.timeMax);
    number("timeMin", lc.timeMin);
    array("times", lc.times);
    array("values1", lc.values1);
    array("values2", lc.values2);
    array("values3", lc.values3);
    if (window.asked()) {
        for (const auto& [name, bound] : {std::pair {"windowFrom", window.from}, std::pair {"windowTo", window.to}}) {
            key(name);
            if (!bound) {
                json += "null";
                continue;
            }
            char text[32];
            const auto [end, ec] = std::to_chars(text, text + sizeof text, *bound);
            json.append(text, end);
        }
    }
    number("yBottom", lc.yBottom);
    number("yTop", lc.yTop);
    json += "\n}\n";
    return json;
}

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
    const std::string name = a.has("name") ? *a.value("name") : kStandardInputName;
    if (a.has("name") && !fromStdin) return usageError(io, "stats", "--name is for FILE '-' (the standard input)");
    if (!validInputName(name, error)) return usageError(io, "stats", error);

    ScratchFolder scratch;
    std::string path = a.operands.front();
    if (fromStdin && (path = scratch.copyStandardInput(name, error)).empty()) {
        io.err << "quorva: " << error << "\n";
        return kExitCannotOpen;
    }
    const std::string unit = unitGiven.value_or(unitFromFileName(path));

    LightCurve lightCurve;
    std::string message = readForCommand(lightCurve, path);
    scratch.clear(); // read; a SIGPIPE later leaves nothing
    if (message.empty() && lightCurve.timedSampleCount == 0) message = "no samples in " + path;
    if (message.empty() && window.asked()) {
        TimeAxis axis;
        message = applyWindow(lightCurve, window, axis);
        // Lines without a time of their own carry the one before them.
        if (message.empty() && lightCurve.timedSampleCount == 0) message = "no samples in the window in " + path;
    }
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
