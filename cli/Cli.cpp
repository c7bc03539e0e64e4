#include "cli/Cli.h"

#include "app/Version.h"
#include "cli/Options.h"

#include <algorithm>
#include <cerrno>
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
    {"help", "Show the help of a command (quorva help plot)", &runHelp},
};

const Option kTopOptions[] = {{"version", 'v'}, {"version", 'V'}};

const char kHelpUsage[] = "Usage: quorva help [COMMAND]\n"
                          "\n"
                          "Shows the help of COMMAND (as 'quorva COMMAND --help' and\n"
                          "'quorva --help COMMAND' do), or without one the general help.\n";

const Command* findCommand(const std::string& name)
{
    for (const Command& c : kCommands)
        if (name == c.name) return &c;
    return nullptr;
}

int commandHelp(const std::string& name, CommandIo& io)
{
    const Command* c = findCommand(name);
    if (!c) return usageError(io, "", "unknown command '" + name + "'");
    return c->handler({"--help"}, io);
}

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
            "  -h, --help         show this help\n"
            "  -v, -V, --version  show the version\n"
            "\n"
            "Run 'quorva COMMAND --help' for the options of a command.\n";
    return text;
}

bool writeOut(CommandIo& io, std::string_view text)
{
    errno = 0;
    io.out.write(text.data(), static_cast<std::streamsize>(text.size()));
    io.out.flush();
    if (io.out.good()) return true;
    const int reason = errno != 0 ? errno : EIO;
    io.err << "quorva: cannot write to standard output: " << std::strerror(reason) << std::endl;
    return false;
}

int runHelp(const std::vector<std::string>& arguments, CommandIo& io)
{
    Arguments a;
    std::string error;
    if (!readArguments(arguments, {}, false, a, error)) return usageError(io, "help", error);
    if (a.help) return writeOut(io, kHelpUsage) ? kExitSuccess : kExitWriteFailed;
    if (a.operands.size() > 1) return usageError(io, "help", "one COMMAND only");
    if (a.operands.empty() || a.operands.front() == "help")
        return writeOut(io, a.operands.empty() ? usageText() : kHelpUsage) ? kExitSuccess : kExitWriteFailed;
    return commandHelp(a.operands.front(), io);
}

int runCommandLine(const std::vector<std::string>& arguments, CommandIo& io)
{
    const std::vector<std::string> args(arguments.empty() ? arguments.end() : arguments.begin() + 1, arguments.end());
    Arguments parsed;
    std::string error;
    if (!readArguments(args, kTopOptions, true, parsed, error)) return usageError(io, "", error);
    if (parsed.help) {
        // "quorva --help plot" is "quorva plot --help".
        if (!parsed.operands.empty()) return commandHelp(parsed.operands.front(), io);
        return writeOut(io, usageText()) ? kExitSuccess : kExitWriteFailed;
    }
    if (parsed.has("version"))
        return writeOut(io, std::string("quorva ") + kVersion + "\n") ? kExitSuccess : kExitWriteFailed;
    if (parsed.operands.empty()) return kRunDesktop;

    const std::string& name = parsed.operands.front();
    if (const Command* c = findCommand(name))
        return c->handler(std::vector<std::string>(parsed.operands.begin() + 1, parsed.operands.end()), io);
    return usageError(io, "", "unknown command '" + name + "'");
}

} // namespace quorva::cli
