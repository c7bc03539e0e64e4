#pragma once
// `quorva` without a command runs the desktop program, a program of its
// own so that the command line needs no window toolkit. It is looked for
// next to the running program (the build tree), then at
// QUORVA_DESKTOP_RELPATH from the running program's folder (installed:
// /usr/bin/quorva and /usr/lib/quorva/quorva-desktop).

#include "cli/Cli.h"

#include <string>
#include <vector>

namespace quorva::cli {

// The places to look, in order, for a program at `self`.
std::vector<std::string> desktopCandidates(const std::string& self);

// Replaces the process with the first candidate that exists; returns only
// when none can be started, with the status after telling why on io.err.
int runDesktop(CommandIo& io);

} // namespace quorva::cli
