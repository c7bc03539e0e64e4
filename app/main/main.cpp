// quorva-desktop, the desktop program: the main window, the file dialog,
// the statistics window and the screen window. `quorva` without a command
// starts it.

#include "app/forms/DesktopProgram.h"
#include "plotjob/PlotSequence.h"

int main(int argc, char** argv)
{
    return quorva::runDesktopProgram(argc, argv, &quorva::plot);
}
