#pragma once
// The command line of the `quorva` program: `quorva COMMAND [OPTIONS]`.
// main() hands its arguments to runCommandLine and returns its status;
// without a command the result is kRunDesktop and main() starts the
// desktop program instead (a program of its own, see Desktop.h).
//
// Commands live in one table in Cli.cpp (name, one-line summary, handler);
// a new command is one more entry there. Every command reads its options
// with readArguments (Options.h).
//
// Exit statuses: 0 success, 1 a plot or the standard output could not be
// written, 2 a file cannot be opened or read or has no samples, 64 bad
// usage (the reason and a pointer to --help on the error stream), 69 the
// desktop program is not installed.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace quorva::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitPlotFailed = 1;
inline constexpr int kExitWriteFailed = 1; // the standard output
inline constexpr int kExitCannotOpen = 2;
inline constexpr int kExitUsage = 64;
inline constexpr int kExitNoDesktop = 69;
inline constexpr int kRunDesktop = -1; // no command given

struct CommandIo {
    std::ostream& out;
    std::ostream& err;
};

// `arguments` are main()'s argv, program name first, as the raw bytes the
// system passed (file names need not be valid UTF-8).
int runCommandLine(const std::vector<std::string>& arguments, CommandIo& io);

// A command's handler gets the arguments that followed its name.
int runStats(const std::vector<std::string>& arguments, CommandIo& io);
int runPlot(const std::vector<std::string>& arguments, CommandIo& io);
int runWatch(const std::vector<std::string>& arguments, CommandIo& io);
int runHelp(const std::vector<std::string>& arguments, CommandIo& io);

// Writes `text` to io.out and flushes it, so that a full disk or a closed
// pipe shows now; false after telling "quorva: cannot write to standard
// output: REASON" on io.err (the caller exits with kExitWriteFailed).
bool writeOut(CommandIo& io, std::string_view text);

// "quorva: MESSAGE" and "Try 'quorva COMMAND --help' for more information."
// (plain "quorva --help" for an empty command); returns kExitUsage.
int usageError(CommandIo& io, const std::string& command, const std::string& message);

// The general usage text (commands and global options).
std::string usageText();

} // namespace quorva::cli
