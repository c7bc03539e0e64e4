// `quorva watch` from the outside: the program runs with short intervals on
// files that the tests change under it, and is stopped with signals.

#include "app/Watch.h"
#include "lightcurve/FileNames.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <signal.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <cstdio>
#include <string>

namespace {

const QString kExample = QStringLiteral(QUORVA_SOURCE_DIR "/examples/LC20261206_SFU.txt");

QProcessEnvironment plainEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("SOURCE_DATE_EPOCH", "1700000000");
    return env;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes, QIODevice::OpenMode mode = QIODevice::WriteOnly)
{
    QFile f(path);
    return f.open(mode) && f.write(bytes) == bytes.size();
}

// Sets the modification time `secondsAgo` seconds before now.
void setAge(const QString& path, int secondsAgo)
{
    timeval now;
    gettimeofday(&now, nullptr);
    timeval times[2] = {{now.tv_sec - secondsAgo, 0}, {now.tv_sec - secondsAgo, 0}};
    ASSERT_EQ(utimes(QFile::encodeName(path).constData(), times), 0) << path.toStdString();
}

int lineCount(const QString& path)
{
    return int(readAll(path).count('\n'));
}

struct PlotLine {
    QString time, file, plot;
    int samples = -1;
};

// A running `quorva watch` whose output lines are collected as they come.
class WatchRun {
public:
    explicit WatchRun(const QStringList& arguments)
    {
        process_.setProcessEnvironment(plainEnvironment());
        process_.start(QStringLiteral(QUORVA_BINARY), QStringList{"watch"} + arguments);
        started_ = process_.waitForStarted(10000);
    }
    ~WatchRun()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(10000);
        }
    }

    bool started() const { return started_; }

    // Waits until at least n lines have come (or the time is up).
    const QList<PlotLine>& waitForLines(int n, int milliseconds = 60000)
    {
        QElapsedTimer timer;
        timer.start();
        while (lines_.size() < n && timer.elapsed() < milliseconds && process_.state() == QProcess::Running) {
            process_.waitForReadyRead(50);
            collect();
        }
        collect();
        return lines_;
    }

    // Collects what comes within the time.
    const QList<PlotLine>& linesAfter(int milliseconds)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < milliseconds && process_.state() == QProcess::Running) {
            process_.waitForReadyRead(20);
            collect();
        }
        collect();
        return lines_;
    }

    void signal(int number) { ::kill(pid_t(process_.processId()), number); }

    // Exit status after a normal exit, -1 otherwise.
    int finish(int milliseconds = 60000)
    {
        if (!process_.waitForFinished(milliseconds) || process_.exitStatus() != QProcess::NormalExit)
            return -1;
        collect();
        return process_.exitCode();
    }

    bool running() { return process_.state() == QProcess::Running; }
    QString errors()
    {
        err_ += QString::fromLocal8Bit(process_.readAllStandardError());
        return err_;
    }
    const QList<PlotLine>& lines() const { return lines_; }
    QString badLines() const { return bad_; }

private:
    void collect()
    {
        out_ += process_.readAllStandardOutput();
        int end;
        while ((end = out_.indexOf('\n')) >= 0) {
            const QString line = QString::fromLocal8Bit(out_.left(end));
            out_.remove(0, end + 1);
            const QStringList f = line.split('\t');
            bool ok = false;
            const int samples = f.size() == 4 ? f[3].toInt(&ok) : -1;
            static const QRegularExpression time("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$");
            if (f.size() != 4 || !ok || !time.match(f[0]).hasMatch())
                bad_ += line + "\n";
            else
                lines_.append(PlotLine{f[0], f[1], f[2], samples});
        }
        errors();
    }

    QProcess process_;
    bool started_ = false;
    QByteArray out_;
    QString err_;
    QString bad_;
    QList<PlotLine> lines_;
};

class WatchTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.path() + "/" + name; }
    QTemporaryDir dir;
};

TEST_F(WatchTest, PlotsAtOnceThenOnlyWhenTheFileChanges)
{
    const QString file = path("LC20261206_SFU.txt");
    ASSERT_TRUE(QFile::copy(kExample, file));
    ASSERT_TRUE(QDir(dir.path()).mkdir("out"));
    const QString plot = path("out/Plot_LC20261206_SFU.txt.PNG");
    const int lines = lineCount(file);

    WatchRun w({"--interval", "0.1", "--output", path("out"), file});
    ASSERT_TRUE(w.started());
    const QList<PlotLine>& first = w.waitForLines(1);
    ASSERT_EQ(first.size(), 1) << w.errors().toStdString() << w.badLines().toStdString();
    EXPECT_EQ(first[0].file, file);
    EXPECT_EQ(first[0].plot, plot);
    EXPECT_EQ(first[0].samples, lines);

    // The same re-plot as `quorva plot`: the same bytes.
    QProcess plotProcess;
    plotProcess.setProcessEnvironment(plainEnvironment());
    ASSERT_TRUE(QDir(dir.path()).mkdir("once"));
    plotProcess.start(QStringLiteral(QUORVA_BINARY), {"plot", "--output", path("once"), file});
    ASSERT_TRUE(plotProcess.waitForFinished(60000));
    ASSERT_EQ(plotProcess.exitCode(), 0);
    EXPECT_EQ(readAll(plot), readAll(path("once/Plot_LC20261206_SFU.txt.PNG")));

    // Many ticks, no change, no plot.
    EXPECT_EQ(w.linesAfter(800).size(), 1);

    // Two more samples.
    ASSERT_TRUE(writeFile(file, "23.500000,30.00,40.00,50.00\n23.500278,31.00,41.00,51.00\n", QIODevice::Append));
    const QList<PlotLine>& second = w.waitForLines(2);
    ASSERT_EQ(second.size(), 2) << w.errors().toStdString();
    EXPECT_EQ(second[1].samples, lines + 2);

    // A new modification time alone is a change as well.
    setAge(file, 30);
    ASSERT_EQ(w.waitForLines(3).size(), 3) << w.errors().toStdString();
    EXPECT_EQ(w.linesAfter(500).size(), 3);

    // SIGTERM while waiting ends it at once, with status 0.
    w.signal(SIGTERM);
    EXPECT_EQ(w.finish(10000), 0);
    EXPECT_EQ(w.lines().size(), 3);
    EXPECT_EQ(w.errors(), "");
    EXPECT_EQ(w.badLines(), "");
    EXPECT_EQ(QDir(path("out")).entryList(QDir::Files | QDir::Hidden), QStringList{"Plot_LC20261206_SFU.txt.PNG"});
}

TEST_F(WatchTest, AlwaysPlotsAtEveryTickAndCountEndsTheWatch)
{
    const QString file = path("LC20261206_SFU.txt");
    ASSERT_TRUE(QFile::copy(kExample, file));

    QElapsedTimer timer;
    timer.start();
    WatchRun always({"--always", "--interval", "0.25", "--count", "3", "--format", "eps", "--output", dir.path(), file});
    ASSERT_TRUE(always.started());
    EXPECT_EQ(always.finish(), 0) << always.errors().toStdString();
    const qint64 elapsed = timer.elapsed();
    EXPECT_EQ(always.lines().size(), 3);
    // Two waits between three plots.
    EXPECT_GE(elapsed, 500);
    EXPECT_LT(elapsed, 30000);
    for (const PlotLine& l : always.lines())
        EXPECT_EQ(l.plot, path("Plot_LC20261206_SFU.txt.EPS"));

    // Without --always an unchanged file gives one plot, so --count 2 does
    // not end it; SIGINT does.
    WatchRun once({"--interval=0.05", "--count=2", "--output", dir.path(), file});
    ASSERT_TRUE(once.started());
    ASSERT_EQ(once.waitForLines(1).size(), 1) << once.errors().toStdString();
    EXPECT_EQ(once.linesAfter(600).size(), 1);
    EXPECT_TRUE(once.running());
    once.signal(SIGINT);
    EXPECT_EQ(once.finish(10000), 0);
    EXPECT_EQ(once.errors(), "");

    // A log that cannot be written is told once; the plots go on.
    ASSERT_TRUE(QDir(dir.path()).mkdir("full"));
    QProcess full;
    full.setProcessEnvironment(plainEnvironment());
    full.setStandardOutputFile("/dev/full");
    full.start(QStringLiteral(QUORVA_BINARY), {"watch", "--always", "--count", "3", "--interval", "0.05", "--output",
                                              path("full"), file});
    ASSERT_TRUE(full.waitForFinished(60000));
    EXPECT_EQ(full.exitCode(), 0);
    EXPECT_EQ(QString::fromLocal8Bit(full.readAllStandardError()), "quorva: cannot write to the standard output\n");
    EXPECT_TRUE(QFile::exists(path("full/Plot_LC20261206_SFU.txt.PNG")));
}

TEST_F(WatchTest, FollowsTheNewestLightCurveFileOfAFolder)
{
    const QString folder = path("station");
    ASSERT_TRUE(QDir(dir.path()).mkpath("station/out"));
    const QByteArray example = readAll(kExample);
    const QString older = folder + "/LC20261206_SFU.txt";
    ASSERT_TRUE(writeFile(older, example));
    setAge(older, 100);
    // Newer, but not light-curve files by the mask (or not files at all).
    for (const char* name : {"notes.txt", "LC20261206_SFU.csv", "XLC20261207_SFU.txt", "LC20261207_XYZ.txt"}) {
        ASSERT_TRUE(writeFile(folder + "/" + QString(name), example));
        setAge(folder + "/" + QString(name), 10);
    }
    ASSERT_TRUE(QDir(folder).mkdir("LC20261208_SFU.txt"));

    WatchRun w({"--interval", "0.1", "--output", folder + "/out", folder});
    ASSERT_TRUE(w.started());
    ASSERT_EQ(w.waitForLines(1).size(), 1) << w.errors().toStdString();
    EXPECT_EQ(w.lines()[0].file, older);
    EXPECT_EQ(w.linesAfter(400).size(), 1);

    // The acquisition software starts a new file (mask letters in any case).
    const QString newer = folder + "/lc20261209_adu.TXT";
    ASSERT_TRUE(writeFile(newer, example.left(example.indexOf('\n', 2000) + 1)));
    const QList<PlotLine>& lines = w.waitForLines(2);
    ASSERT_EQ(lines.size(), 2) << w.errors().toStdString();
    EXPECT_EQ(lines[1].file, newer);
    EXPECT_EQ(lines[1].plot, folder + "/out/Plot_lc20261209_adu.TXT.PNG");
    EXPECT_EQ(lines[1].samples, lineCount(newer));
    EXPECT_TRUE(QFile::exists(lines[1].plot));

    // It grows: plotted again; the older file is left alone.
    ASSERT_TRUE(writeFile(newer, "10.600000,99.00,99.00,99.00\n", QIODevice::Append));
    ASSERT_EQ(w.waitForLines(3).size(), 3);
    EXPECT_EQ(w.lines()[2].file, newer);
    EXPECT_EQ(w.lines()[2].samples, lineCount(newer));

    w.signal(SIGTERM);
    EXPECT_EQ(w.finish(10000), 0);
    EXPECT_EQ(w.errors(), "");
}

TEST_F(WatchTest, ReportsFailuresOnceAndKeepsWatching)
{
    // The file does not exist yet, and the output folder neither.
    const QString file = path("LC20261206_SFU.txt");
    const QString out = path("out");
    WatchRun w({"--interval", "0.05", "--output", out, file});
    ASSERT_TRUE(w.started());
    EXPECT_EQ(w.linesAfter(500).size(), 0);
    EXPECT_TRUE(w.running());
    const QString missing = "quorva: cannot open " + file + ": No such file or directory\n";
    EXPECT_EQ(w.errors(), missing);

    ASSERT_TRUE(QFile::copy(kExample, file));
    w.linesAfter(500);
    EXPECT_EQ(w.lines().size(), 0);
    const QString afterWrite = w.errors().mid(missing.size());
    EXPECT_TRUE(afterWrite.startsWith("quorva: cannot write " + out + "/Plot_LC20261206_SFU.txt.PNG: "))
        << afterWrite.toStdString();
    EXPECT_EQ(afterWrite.count('\n'), 1) << afterWrite.toStdString();

    // A plot that failed is tried again at the next tick, changed or not.
    ASSERT_TRUE(QDir(dir.path()).mkdir("out"));
    ASSERT_EQ(w.waitForLines(1).size(), 1) << w.errors().toStdString();
    EXPECT_EQ(w.lines()[0].plot, out + "/Plot_LC20261206_SFU.txt.PNG");

    // A file that disappears is reported again. Back unchanged, it is not
    // plotted again; back grown, it is.
    ASSERT_TRUE(QFile::rename(file, file + ".away"));
    w.linesAfter(400);
    EXPECT_TRUE(w.errors().endsWith(missing)) << w.errors().toStdString();
    ASSERT_TRUE(QFile::rename(file + ".away", file));
    EXPECT_EQ(w.linesAfter(400).size(), 1);
    ASSERT_TRUE(writeFile(file, "23.500000,30.00,40.00,50.00\n", QIODevice::Append));
    EXPECT_EQ(w.waitForLines(2).size(), 2);

    w.signal(SIGTERM);
    EXPECT_EQ(w.finish(10000), 0);
}

TEST_F(WatchTest, SigtermDuringAPlotLetsItFinish)
{
    // A full day on PDF takes long enough to be caught in the middle.
    const QString file = path("LC20261206_SFU.txt");
    {
        std::FILE* f = std::fopen(QFile::encodeName(file).constData(), "w");
        ASSERT_TRUE(f);
        std::fputs("Tervasol light curve\nTime_UT,45.0MHz,150.5MHz,410.0MHz\n", f);
        for (int i = 0; i < 345600; ++i)
            std::fprintf(f, "%.6f,%.2f,%.2f,%.2f\n", i / 14400.0, 20.0 + i % 7, 30.0 + i % 11, 50.0 + i % 5);
        ASSERT_EQ(std::fclose(f), 0);
    }
    ASSERT_TRUE(QDir(dir.path()).mkdir("out"));
    const QString pdf = path("out/Plot_LC20261206_SFU.txt.PDF");

    WatchRun w({"--format", "pdf", "--output", path("out"), file});
    ASSERT_TRUE(w.started());
    // The plot is in progress while its temporary file exists.
    QElapsedTimer timer;
    timer.start();
    bool caught = false;
    while (!caught && timer.elapsed() < 60000 && w.running()) {
        caught = !QDir(path("out")).entryList({".zedozo-*"}, QDir::Files | QDir::Hidden).isEmpty();
        if (!caught)
            QThread::msleep(2);
    }
    ASSERT_TRUE(caught) << w.errors().toStdString();
    w.signal(SIGTERM);
    EXPECT_EQ(w.finish(), 0);
    ASSERT_EQ(w.lines().size(), 1) << w.errors().toStdString();
    EXPECT_EQ(w.lines()[0].plot, pdf);
    EXPECT_EQ(w.lines()[0].samples, 345602);
    EXPECT_EQ(w.errors(), "");
    EXPECT_EQ(QDir(path("out")).entryList(QDir::Files | QDir::Hidden), QStringList{"Plot_LC20261206_SFU.txt.PDF"});

    const QByteArray bytes = readAll(pdf);
    EXPECT_TRUE(bytes.startsWith("%PDF-1.3\n"));
    EXPECT_TRUE(bytes.endsWith("%%EOF\n"));
    QProcess qpdf;
    qpdf.start("qpdf", {"--check", pdf});
    ASSERT_TRUE(qpdf.waitForFinished(120000));
    EXPECT_EQ(qpdf.exitCode(), 0) << qpdf.readAllStandardOutput().toStdString();
}

TEST(WatchUsage, BadArgumentsAreUsageErrors)
{
    const QStringList bad[] = {
        {"--interval", "0.04", "x"}, {"--interval", "600.5", "x"}, {"--interval", "abc", "x"},
        {"--interval", "-1", "x"},   {"--interval", "1e1", "x"},   {"--interval"},
        {"--count", "0", "x"},       {"--count", "-3", "x"},       {"--count", "2x", "x"},
        {"--always=yes", "x"},       {"--always", "--always", "x"}, {"--interval", "1", "--interval", "2", "x"},
        {"a", "b"},                  {},                           {"--format", "svg", "x"},
        {"--frobnicate", "x"},
    };
    for (const QStringList& arguments : bad) {
        QProcess p;
        p.setProcessEnvironment(plainEnvironment());
        p.start(QStringLiteral(QUORVA_BINARY), QStringList{"watch"} + arguments);
        ASSERT_TRUE(p.waitForFinished(30000));
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        EXPECT_EQ(p.exitCode(), 64) << arguments.join(' ').toStdString();
        EXPECT_TRUE(err.startsWith("quorva: ")) << err.toStdString();
        EXPECT_TRUE(err.endsWith("\nTry 'quorva watch --help' for more information.\n")) << err.toStdString();
        EXPECT_EQ(p.readAllStandardOutput(), "");
    }

    QProcess help;
    help.start(QStringLiteral(QUORVA_BINARY), {"watch", "--help"});
    ASSERT_TRUE(help.waitForFinished(30000));
    EXPECT_EQ(help.exitCode(), 0);
    const QString text = QString::fromLocal8Bit(help.readAllStandardOutput());
    for (const char* option : {"--interval", "--always", "--count", "--format", "--output", "--thickness"})
        EXPECT_TRUE(text.contains(option)) << option;
}

TEST(WatchParts, IntervalsAndFileNames)
{
    EXPECT_EQ(quorva::parseInterval("10"), 10.0);
    EXPECT_EQ(quorva::parseInterval("0.05"), 0.05);
    EXPECT_EQ(quorva::parseInterval(".5"), 0.5);
    EXPECT_EQ(quorva::parseInterval("600"), 600.0);
    for (const char* text : {"", "0.049", "600.01", "+1", "-0.5", "1..2", " 1", "1 ", "inf", "nan", "0x10", "1e2"})
        EXPECT_FALSE(quorva::parseInterval(text).has_value()) << text;

    for (const char* name : {"LC20261206_SFU.txt", "lc_sfu.TXT", "LCSFU.txt", "LC20261207_ADU_b.txt", "LCadu.Txt"})
        EXPECT_TRUE(quorva::isLightCurveName(name)) << name;
    for (const char* name : {"LC20261206_SFU.csv", "XLC_SFU.txt", "LC20261206.txt", "LC_SFU.txt.bak", "SFU.txt", ""})
        EXPECT_FALSE(quorva::isLightCurveName(name)) << name;
}

} // namespace
