#pragma once
// Shared pieces of the desktop tests: one application object for the test
// program (the program's own, so that escaping exceptions can be tested),
// temporary folders with configuration and light-curve files, and a main
// window on a fixed 1920 x 1080 desktop.

#include "app/forms/DesktopProgram.h"
#include "app/forms/Main.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace desktoptest {

inline quorva::QuorvaApplication& application()
{
    static int argc = 1;
    static char name[] = "test_desktop";
    static char* argv[] = {name, nullptr};
    static auto* app = new quorva::QuorvaApplication(argc, argv);
    return *app;
}

inline void writeFile(const QString& path, const std::string& text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(text.data(), static_cast<qint64>(text.size())), static_cast<qint64>(text.size()));
}

// A light curve of three samples per channel.
inline std::string lightCurveText(const char* header, const char* lines)
{
    return std::string("Tervasol light curve test\n") + header + "\n" + lines;
}

inline const char* kSimpleCurve =
    "Time_UT,45.0MHz,150.5MHz,410.0MHz";
inline const char* kSimpleSamples =
    "10.25,3.0,20.0,30.0\n"
    "10.50,52.0,25.0,35.0\n"
    "10.75,10.0,22.0,31.0\n";

inline quorva::TForm1::Options options(const QString& configPath, quorva::RePlot::PlotStep plotStep)
{
    quorva::TForm1::Options o;
    o.desktop = [] { return quorva::DesktopSize{1920, 1080}; };
    o.plotStep = std::move(plotStep);
    o.configurationPath = QFile::encodeName(configPath).toStdString();
    o.reportFailure = [](const std::string&) {};
    return o;
}

} // namespace desktoptest
