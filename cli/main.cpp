// The quorva program: a command (`quorva plot FILE`, see --help), or,
// without one, the desktop program.

#include "cli/Cli.h"
#include "cli/Desktop.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv, argv + argc);
    quorva::cli::CommandIo io {std::cout, std::cerr};
    const int status = quorva::cli::runCommandLine(arguments, io);
    if (status != quorva::cli::kRunDesktop) return status;
    return quorva::cli::runDesktop(io);
}
