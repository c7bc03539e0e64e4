#pragma once
// Shared by the desktop tests: the one application object of the test
// program (the program's own, so that escaping exceptions can be tested),
// light-curve and configuration files, and main windows on a fixed
// 1920 x 1080 desktop with the Qt screen backend.

#include "app/forms/DesktopProgram.h"
#include "app/forms/Main.h"
#include "dialogs/FileSelect.h"
#include "engine/TestSeams.h"
#include "plotjob/PlotSequence.h"
#include "support/Support.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

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

// Opens the file dialog and clicks `file` in it, the unit chosen by its name.
inline bool openAndClick(TForm1& form, const QString& file)
{
    form.Button2Click();
    form.form2().ComboBox1->setCurrentIndex(file.contains(QLatin1String("SFU")) ? 0 : 1);
    form.form2().ComboBox1Change();
    return form.form2().clickFile(file);
}

struct Plotted {
    PlotDescription description;
    PlotGeometry geometry;
    qint64 ms; // in the plot sequence
};

// Quorva.cfg and the folders in/ and out/ in a temporary folder, and main
// windows on them (on a 1920 x 1080 desktop) whose plot step runs the real
// plot sequence (with `realPlots`), records the plot and runs `onPlot`.
class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        application();
        zedozo::resetScreenForTests();
        zedozo::resetEngineForTests();
        backend = std::make_unique<zedozo::QtWindowBackend>();
        scope = std::make_unique<zedozo::WindowBackendScope>(backend.get());
        root = tmp.path(), in = root + "/in", out = root + "/out", cfg = root + "/Quorva.cfg";
        ASSERT_TRUE(QDir().mkpath(in + "/sub") && QDir().mkpath(out));
    }
    void TearDown() override
    {
        form.reset();
        scope.reset(), backend.reset();
        zedozo::resetScreenForTests();
        zedozo::resetEngineForTests();
    }
    void config(const std::string& body) { writeFile(cfg, body); }
    std::unique_ptr<TForm1> makeForm()
    {
        TForm1::Options o;
        o.desktop = [] { return DesktopSize {1920, 1080}; };
        o.plotStep = [this](PlotDescription& d, const PlotGeometry& g) {
            QElapsedTimer clock;
            clock.start();
            if (realPlots) plot(d, g);
            plots.push_back({d, g, clock.elapsed()});
            if (onPlot) onPlot();
        };
        o.configurationPath = QFile::encodeName(cfg).toStdString();
        o.reportFailure = [this](const std::string& m) { reported.push_back(m); };
        return std::make_unique<TForm1>(std::move(o));
    }
    QTemporaryDir tmp;
    QString root, in, out, cfg;
    bool realPlots = false;
    std::vector<Plotted> plots;
    std::function<void()> onPlot;
    std::vector<std::string> reported;
    std::unique_ptr<zedozo::QtWindowBackend> backend;
    std::unique_ptr<zedozo::WindowBackendScope> scope;
    std::unique_ptr<TForm1> form;
};

} // namespace quorva
