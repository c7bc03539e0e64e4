#include "app/Cli.h"

#include "app/FileMask.h"
#include "app/PlotCommand.h"
#include "app/StatisticsTexts.h"
#include "app/WatchCommand.h"
#include "lightcurve/LightCurve.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <string_view>

namespace quorva {
namespace {

struct Command {
    const char* name;
    const char* summary;
    CommandHandler handler;
};

const Command kCommands[] = {
    {"stats", "Print the statistics of a light-curve file", &runStats},
    {"plot", "Write plots of light-curve files as PDF, EPS or PNG", &runPlot},
    {"watch", "Re-plot a light-curve file (or a folder's newest) when it changes", &runWatch},
};

const char kStatsUsage[] =
    "Usage: quorva stats [--unit SFU|ADU] [--json [--samples]] FILE\n"
    "\n"
    "Reads the light-curve file FILE and prints what the statistics window\n"
    "shows: file name, channel frequencies, last, minimum and maximum values,\n"
    "time range and number of data points.\n"
    "\n"
    "Options:\n"
    "  --unit SFU|ADU  unit printed after the values; by default the unit the\n"
    "                  file name carries (LC*SFU*.txt, LC*ADU*.txt), else ADU\n"
    "  --json          print one JSON object with the reader's values instead\n"
    "  --samples       with --json: also the arrays times, values1, values2 and\n"
    "                  values3 (the first sampleCount entries)\n"
    "  -h, --help      show this help\n";

int usageError(CommandIo& io, const QString& message, const std::string& usage)
{
    io.err << "quorva: " << message.toStdString() << "\n\n" << usage;
    return kExitUsage;
}

// The raw bytes of a decoded argument, so that file names that are not
// valid UTF-8 reach the file system unchanged.
std::string rawArgument(const QString& decoded, const std::vector<std::string>& raw)
{
    for (const std::string& r : raw) {
        if (QFile::decodeName(QByteArray::fromStdString(r)) == decoded)
            return r;
    }
    return QFile::encodeName(decoded).toStdString();
}

QJsonValue jsonNumber(float v)
{
    // A double holds every float exactly, and the writer prints doubles in
    // their shortest form that reads back to the same double.
    if (std::isnan(v))
        return QStringLiteral("nan");
    if (std::isinf(v))
        return v > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    return static_cast<double>(v);
}

QJsonArray jsonArray(const SampleArray& a, std::int32_t count)
{
    QJsonArray array;
    for (std::int32_t i = 0; i < count; ++i)
        array.append(jsonNumber(a[static_cast<std::size_t>(i)]));
    return array;
}

std::string statsText(const LightCurve& lc, const std::string& path, const std::string& unit)
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
    return text;
}

std::string statsJson(const LightCurve& lc, bool samples)
{
    QJsonObject o;
    o.insert("inputPath", QFile::decodeName(QByteArray::fromStdString(lc.inputPath)));
    o.insert("lineCount", lc.lineCount);
    o.insert("sampleCount", lc.sampleCount);
    o.insert("freq1", jsonNumber(lc.freq1));
    o.insert("freq2", jsonNumber(lc.freq2));
    o.insert("freq3", jsonNumber(lc.freq3));
    o.insert("timeMin", jsonNumber(lc.timeMin));
    o.insert("timeMax", jsonNumber(lc.timeMax));
    o.insert("min1", jsonNumber(lc.min1));
    o.insert("min2", jsonNumber(lc.min2));
    o.insert("min3", jsonNumber(lc.min3));
    o.insert("max1", jsonNumber(lc.max1));
    o.insert("max2", jsonNumber(lc.max2));
    o.insert("max3", jsonNumber(lc.max3));
    o.insert("last1", jsonNumber(lc.last1));
    o.insert("last2", jsonNumber(lc.last2));
    o.insert("last3", jsonNumber(lc.last3));
    o.insert("yTop", jsonNumber(lc.yTop));
    o.insert("yBottom", jsonNumber(lc.yBottom));
    if (samples) {
        o.insert("times", jsonArray(lc.times, lc.sampleCount));
        o.insert("values1", jsonArray(lc.values1, lc.sampleCount));
        o.insert("values2", jsonArray(lc.values2, lc.sampleCount));
        o.insert("values3", jsonArray(lc.values3, lc.sampleCount));
    }
    return QJsonDocument(o).toJson(QJsonDocument::Indented).toStdString();
}


} // namespace

std::string usageText()
{
    std::string text =
        "Usage: quorva [COMMAND [OPTIONS]]\n"
        "\n"
        "Plots the light curves of a solar radio spectrometer. Without a command\n"
        "the desktop program starts.\n"
        "\n"
        "Commands:\n";
    for (const Command& c : kCommands) {
        text += "  ";
        text += c.name;
        text += std::string(10 - std::min<std::size_t>(9, std::strlen(c.name)), ' ');
        text += c.summary;
        text += '\n';
    }
    text +=
        "\n"
        "Options:\n"
        "  -h, --help     show this help\n"
        "  -v, --version  show the version\n"
        "\n"
        "Run 'quorva COMMAND --help' for the options of a command.\n";
    return text;
}

std::string unitForFileName(const std::string& path)
{
    const std::string_view name = fileNamePart(path);
    if (matchesMask(name, kSfuMask))
        return "SFU";
    return "ADU";
}

int runCommandLine(const std::vector<std::string>& arguments, CommandIo& io)
{
    QStringList decoded;
    for (const std::string& a : arguments)
        decoded << QFile::decodeName(QByteArray::fromStdString(a));
    if (decoded.isEmpty())
        decoded << QStringLiteral("quorva");

    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help({"h", "help"}, "show this help");
    const QCommandLineOption version({"v", "version"}, "show the version");
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument("command", "command");
    if (!parser.parse(decoded))
        return usageError(io, parser.errorText(), usageText());
    if (parser.isSet(help)) {
        io.out << usageText();
        return kExitSuccess;
    }
    if (parser.isSet(version)) {
        io.out << "quorva " << kVersion << "\n";
        return kExitSuccess;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return kRunDesktop;

    const QString name = positional.first();
    for (const Command& c : kCommands) {
        if (name == QLatin1String(c.name)) {
            QStringList commandArguments = positional.mid(1);
            commandArguments.prepend(QStringLiteral("quorva ") + name);
            return c.handler(commandArguments, arguments, io);
        }
    }
    return usageError(io, QStringLiteral("unknown command '%1'").arg(name), usageText());
}

int runStats(const QStringList& arguments, const std::vector<std::string>& raw, CommandIo& io)
{
    QCommandLineParser parser;
    const QCommandLineOption help({"h", "help"}, "show this help");
    const QCommandLineOption unitOption("unit", "unit", "SFU|ADU");
    const QCommandLineOption jsonOption("json", "JSON");
    const QCommandLineOption samplesOption("samples", "samples");
    parser.addOption(help);
    parser.addOption(unitOption);
    parser.addOption(jsonOption);
    parser.addOption(samplesOption);
    parser.addPositionalArgument("FILE", "light-curve file");
    if (!parser.parse(arguments))
        return usageError(io, parser.errorText(), kStatsUsage);
    if (parser.isSet(help)) {
        io.out << kStatsUsage;
        return kExitSuccess;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1)
        return usageError(io, files.isEmpty() ? QStringLiteral("missing FILE") : QStringLiteral("more than one FILE"),
                          kStatsUsage);
    if (parser.values(unitOption).size() > 1)
        return usageError(io, QStringLiteral("--unit given more than once"), kStatsUsage);
    const bool json = parser.isSet(jsonOption);
    const bool samples = parser.isSet(samplesOption);
    if (samples && !json)
        return usageError(io, QStringLiteral("--samples needs --json"), kStatsUsage);

    const std::string path = rawArgument(files.first(), raw);
    std::string unit;
    if (parser.isSet(unitOption)) {
        const QString u = parser.value(unitOption).toUpper();
        if (u != QLatin1String("SFU") && u != QLatin1String("ADU"))
            return usageError(io, QStringLiteral("--unit must be SFU or ADU, not '%1'").arg(parser.value(unitOption)),
                              kStatsUsage);
        unit = u.toStdString();
    } else {
        unit = unitForFileName(path);
    }

    LightCurve lightCurve;
    const ReadResult r = readLightCurve(lightCurve, path);
    if (!r.opened && r.openError == EINVAL) {
        // The reader takes regular files only: a FIFO or a device could
        // block or never end.
        io.err << "quorva: cannot open " << path << ": not a regular file\n";
        return kExitCannotOpen;
    }
    if (!r.opened) {
        io.err << "quorva: cannot open " << path << ": " << std::strerror(r.openError) << "\n";
        return kExitCannotOpen;
    }
    if (r.readError != 0) {
        io.err << "quorva: cannot read " << path << ": " << std::strerror(r.readError) << "\n";
        return kExitCannotOpen;
    }
    if (json)
        io.out << statsJson(lightCurve, samples);
    else
        io.out << statsText(lightCurve, path, unit);
    io.out.flush();
    return kExitSuccess;
}

} // namespace quorva
