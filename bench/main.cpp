// The benchmark program. The screen window needs a QApplication and the Qt
// window backend; the offscreen platform lets it run without a display and
// still draws into the same images.

#include "app/forms/QtWindowBackend.h"
#include "engine/TestSeams.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    zedozo::QtWindowBackend backend;
    zedozo::setWindowBackend(&backend);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    zedozo::setWindowBackend(nullptr);
    return 0;
}
