#pragma once
// Shared by the desktop tests: the one application object of the test
// program (the program's own, so that escaping exceptions can be tested),
// light-curve and configuration files, and the options of a main window on
// a fixed 1920 x 1080 desktop.

#include "app/forms/DesktopProgram.h"
#include "app/forms/Main.h"
#include "support/Support.h"

#include <QFile>

#include <gtest/gtest.h>

namespace quorva {

inline QuorvaApplication& application()
{
    static int argc = 1;
    static char name[] = "test_desktop";
    static char* argv[] = {name, nullptr};
    static auto* app = new QuorvaApplication(argc, argv);
    return *app;
}

inline void writeFile(const QString& path, const std::string& text)
{
    ASSERT_TRUE(qtest::writeFile(QFile::encodeName(path).toStdString(), text)) << path.toStdString();
}

inline std::string lightCurveText(const char* header, const char* lines)
{
    return std::string("Tervasol light curve test\n") + header + "\n" + lines;
}
inline const char* kSimpleCurve = "Time_UT,45.0MHz,150.5MHz,410.0MHz";
inline const char* kSimpleSamples = "10.25,3.0,20.0,30.0\n10.50,52.0,25.0,35.0\n10.75,10.0,22.0,31.0\n";

inline TForm1::Options options(const QString& configPath, RePlot::PlotStep plotStep)
{
    TForm1::Options o;
    o.desktop = [] { return DesktopSize {1920, 1080}; };
    o.plotStep = std::move(plotStep);
    o.configurationPath = QFile::encodeName(configPath).toStdString();
    o.reportFailure = [](const std::string&) {};
    return o;
}

} // namespace quorva
