// The quorva program: a command (`quorva stats FILE`, see --help), or,
// without one, the desktop program.

#include "app/Cli.h"
#include "app/forms/DesktopProgram.h"
#include "plotjob/PlotSequence.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv, argv + argc);
    quorva::CommandIo io{std::cout, std::cerr};
    const int status = quorva::runCommandLine(arguments, io);
    if (status != quorva::kRunDesktop)
        return status;

    return quorva::runDesktopProgram(argc, argv, &quorva::plot);
}
