#include "cli/Cli.h"

#include "app/Version.h"
#include "cli/Options.h"

#include <algorithm>
#include <cstring>

namespace quorva::cli {
namespace {

struct Command {
    const char* name;
    const char* summary;
    int (*handler)(const std::vector<std::string>& arguments, CommandIo& io);
};

const Command kCommands[] = {
    {"stats", "Print the statistics of a light-curve file", &runStats},
    {"plot", "Write plots of light-curve files as PDF, EPS or PNG", &runPlot},
    {"watch", "Re-plot a light-curve file (or a folder's newest) when it changes", &runWatch},
};

const Option kTopOptions[] = {{"version", 'v'}};

} // namespace

int usageError(CommandIo& io, const std::string& command, const std::string& message)
{
    io.err << "quorva: " << message << "\nTry 'quorva " << (command.empty() ? "" : command + " ")
           << "--help' for more information.\n";
    return kExitUsage;
}

std::string usageText()
{
    std::string text = "Usage: quorva [COMMAND [OPTIONS]]\n"
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
    text += "\n"
            "Options:\n"
            "  -h, --help     show this help\n"
            "  -v, --version  show the version\n"
            "\n"
            "Run 'quorva COMMAND --help' for the options of a command.\n";
    return text;
}

int runCommandLine(const std::vector<std::string>& arguments, CommandIo& io)
{
    const std::vector<std::string> args(arguments.empty() ? arguments.end() : arguments.begin() + 1, arguments.end());
    Arguments parsed;
    std::string error;
    if (!readArguments(args, kTopOptions, true, parsed, error)) return usageError(io, "", error);
    if (parsed.help) {
        io.out << usageText();
        return kExitSuccess;
    }
    if (parsed.has("version")) {
        io.out << "quorva " << kVersion << "\n";
        return kExitSuccess;
    }
    if (parsed.operands.empty()) return kRunDesktop;

    const std::string& name = parsed.operands.front();
    for (const Command& c : kCommands) {
        if (name == c.name)
            return c.handler(std::vector<std::string>(parsed.operands.begin() + 1, parsed.operands.end()), io);
    }
    return usageError(io, "", "unknown command '" + name + "'");
}

} // namespace quorva::cli
