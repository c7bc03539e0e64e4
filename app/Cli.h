#pragma once
// The command line of the `quorva` program: `quorva COMMAND [OPTIONS]`.
// main() hands its arguments to runCommandLine and returns its status;
// without a command the result is kRunDesktop and main() starts the
// desktop program instead.
//
// Commands live in one table in Cli.cpp (name, one-line summary, handler);
// a new command is one more entry there.
//
// Exit statuses: 0 success, 2 a file cannot be opened or read,
// 64 bad usage (the usage is printed on the error stream).

#include <ostream>
#include <string>
#include <vector>

#include <QStringList>

namespace quorva {

inline constexpr char kVersion[] = "1.2.0"; // keep in step with project() in CMakeLists.txt

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitCannotOpen = 2;
inline constexpr int kExitUsage = 64;
inline constexpr int kRunDesktop = -1; // no command given

struct CommandIo {
    std::ostream& out;
    std::ostream& err;
};

// `arguments` are main()'s argv, program name first, as the raw bytes the
// system passed (file names need not be valid UTF-8).
int runCommandLine(const std::vector<std::string>& arguments, CommandIo& io);

// A command's handler gets its own arguments: argument 0 is "quorva NAME",
// then what followed NAME. `raw` holds the same arguments undecoded.
using CommandHandler = int (*)(const QStringList& arguments, const std::vector<std::string>& raw, CommandIo& io);

// `quorva stats [--unit SFU|ADU] [--json [--samples]] FILE`.
int runStats(const QStringList& arguments, const std::vector<std::string>& raw, CommandIo& io);

// The general usage text (commands and global options).
std::string usageText();

// The unit a light-curve file name carries, as the file dialog's masks
// select them: "SFU" for LC*SFU*.txt, "ADU" for LC*ADU*.txt, else "ADU"
// (the dialog's start unit).
std::string unitForFileName(const std::string& path);

} // namespace quorva
