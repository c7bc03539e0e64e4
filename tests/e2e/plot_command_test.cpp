// `quorva plot` from the outside: the program is run on the example files
// and every page it writes is checked by tools that know nothing of it
// (qpdf, pdftotext, pdftoppm, Ghostscript, pngcheck, QImage).

#include "app/PlotFiles.h"
#include "lightcurve/FileNames.h"
#include "plotjob/PageCheck.h"
#include "support/AppProcess.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <ostream>
#include <string>

// Sizes in failure messages as WIDTHxHEIGHT.
inline void PrintTo(const QSize& s, std::ostream* os)
{
    *os << s.width() << "x" << s.height();
}

namespace {

const QString kSfu = QStringLiteral(QUORVA_SOURCE_DIR "/examples/LC20261206_SFU.txt");
const QString kAdu = QStringLiteral(QUORVA_SOURCE_DIR "/examples/LC20261207_ADU.txt");
const QString kTitle = QStringLiteral("LC20261206_SFU.txt:r= 45.00MHz, g=150.50MHz, b=410.00MHz");

using apptest::execute;
using apptest::plainEnvironment;
using apptest::ProcessRun;

ProcessRun quorva(const QStringList& arguments, const QString& workDir = {},
                  const QProcessEnvironment& env = plainEnvironment())
{
    return apptest::quorva(QStringList{"plot"} + arguments, workDir, env);
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QSize pngSize(const QString& path)
{
    return QImageReader(path).size();
}

using pagecheck::expectPlottedPage;

class PlotCommandTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.path() + "/" + name; }
    QTemporaryDir dir;
};

TEST_F(PlotCommandTest, PdfPagePassesQpdfReadsAsTextAndRendersInsideTheFrame)
{
    const ProcessRun r = quorva({"--format", "pdf", "--output", dir.path(), kSfu});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, "");
    const QString pdf = path("Plot_LC20261206_SFU.txt.PDF");
    EXPECT_EQ(r.out, pdf + "\n");
    EXPECT_TRUE(readAll(pdf).startsWith("%PDF-1.3"));

    const ProcessRun check = execute("qpdf", {"--check", pdf});
    EXPECT_EQ(check.status, 0) << check.out.toStdString() << check.err.toStdString();
    EXPECT_TRUE(check.out.contains("No syntax or stream encoding errors")) << check.out.toStdString();

    const ProcessRun text = execute("pdftotext", {pdf, "-"});
    ASSERT_EQ(text.status, 0) << text.err.toStdString();
    for (const QString& expected : {kTitle, QString("Time [UT]"), QString("[SFU]"), QString("10.0"),
                                    QString("12.0"), QString("1415.0"),
                                    QString("VAXO 14.11.2023, 22:13:20, ZEDOZO 9.1 Tervasol")})
        EXPECT_TRUE(text.out.contains(expected)) << expected.toStdString() << " not in\n" << text.out.toStdString();

    const ProcessRun render = execute("pdftoppm", {"-r", "72", "-aa", "no", "-aaVector", "no", "-png", "-singlefile", pdf,
                                            path("pdf")});
    ASSERT_EQ(render.status, 0) << render.err.toStdString();
    expectPlottedPage(QImage(path("pdf.png")), "PDF", 1);
}

TEST_F(PlotCommandTest, EpsPageRendersInGhostscriptInsideTheFrame)
{
    const ProcessRun r = quorva({"--format", "EPS", "--output", dir.path() + "/", kAdu});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QString eps = path("Plot_LC20261207_ADU.txt.EPS");
    EXPECT_EQ(r.out, eps + "\n");
    const QByteArray bytes = readAll(eps);
    EXPECT_TRUE(bytes.startsWith("%!PS-Adobe")) << bytes.left(40).toStdString();
    EXPECT_TRUE(bytes.contains("%%BoundingBox:"));

    const ProcessRun render = execute("gs", {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=png16m", "-r72", "-dEPSCrop",
                                      "-sOutputFile=" + path("eps.png"), eps});
    ASSERT_EQ(render.status, 0) << render.out.toStdString() << render.err.toStdString();
    EXPECT_FALSE(render.out.contains("Error") || render.err.contains("Error")) << render.err.toStdString();
    expectPlottedPage(QImage(path("eps.png")), "EPS", 1);
}

TEST_F(PlotCommandTest, PngIsOnePalettePageOfTheScreenWindowSize)
{
    // No display here: the desktop is 1920x1080, "Medium" is 960 x 678.
    const ProcessRun r = quorva({"--output", dir.path(), kSfu});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QString png = path("Plot_LC20261206_SFU.txt.PNG");
    EXPECT_EQ(r.out, png + "\n");

    const ProcessRun check = execute("pngcheck", {"-v", png});
    EXPECT_EQ(check.status, 0) << check.out.toStdString();
    EXPECT_TRUE(check.out.contains("960 x 678 image, 8-bit palette, non-interlaced")) << check.out.toStdString();
    EXPECT_TRUE(check.out.contains("chunk PLTE at offset 0x00025, length 768")) << check.out.toStdString();
    EXPECT_EQ(check.out.count("chunk IDAT"), 1);
    EXPECT_TRUE(check.out.contains("No errors detected"));
    expectPlottedPage(QImage(png), "PNG");

    // The thickness reaches the curves (blue lies on top of the others).
    ASSERT_TRUE(QDir(dir.path()).mkdir("thin") && QDir(dir.path()).mkdir("thick"));
    ASSERT_EQ(quorva({"--output", path("thin"), "--thickness", "1", kSfu}).status, 0);
    ASSERT_EQ(quorva({"--output", path("thick"), "--thickness", "6", kSfu}).status, 0);
    const pagecheck::Page p1 = pagecheck::analyse(QImage(path("thin/Plot_LC20261206_SFU.txt.PNG")));
    const pagecheck::Page p6 = pagecheck::analyse(QImage(path("thick/Plot_LC20261206_SFU.txt.PNG")));
    EXPECT_GT(p6.blueInside, p1.blueInside * 3 / 2);
    EXPECT_EQ(p6.colouredOutside, 0);
}

TEST_F(PlotCommandTest, PngSizeFollowsThePlotSizeAndTheDesktopWidth)
{
    // Both sides from the desktop width; "Large" and "Extra Large" reach
    // past a 1080-pixel desktop and still get their full size.
    const QSize expected[] = {{480, 339}, {640, 452}, {960, 678}, {1920, 1357}, {3840, 2715}};
    for (int size : {0, 4}) {
        const QString sub = path(QString::number(size));
        QDir().mkdir(sub);
        const ProcessRun r = quorva({"--size", QString::number(size), "--desktop", "1920x1080", "--output", sub, kAdu});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        const QString png = sub + "/Plot_LC20261207_ADU.txt.PNG";
        EXPECT_EQ(pngSize(png), expected[size]) << "size " << size;
    }
    const ProcessRun r = quorva({"--desktop", "1280X1024", "--output", dir.path(), kAdu});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(pngSize(path("Plot_LC20261207_ADU.txt.PNG")), QSize(640, 452));
    expectPlottedPage(QImage(path("Plot_LC20261207_ADU.txt.PNG")), "PNG 640");
}

TEST_F(PlotCommandTest, OutputFolderAndSizeDefaultToQuorvaCfgThenTheWorkingDirectory)
{
    auto config = [&](const QByteArray& text) {
        QFile f(path("Quorva.cfg"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    };
    ASSERT_TRUE(QDir(dir.path()).mkdir("plots") && QDir(dir.path()).mkdir("My Plots"));

    config("comment\n[output]=plots/\n[size]=1\n");
    ProcessRun r = quorva({kSfu}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "plots/Plot_LC20261206_SFU.txt.PNG\n");
    EXPECT_EQ(pngSize(path("plots/Plot_LC20261206_SFU.txt.PNG")), QSize(640, 452));

    // Command-line options win; DIR names the folder with or without '/'.
    r = quorva({"--output", "My Plots", "--size", "3", kSfu}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "My Plots/Plot_LC20261206_SFU.txt.PNG\n");
    EXPECT_EQ(pngSize(path("My Plots/Plot_LC20261206_SFU.txt.PNG")), QSize(1920, 1357));

    // As in the main window: '|' is a blank, and a folder without its
    // final separator loses its last part; a size outside 0..4 is Medium.
    config("[output]=My|Plots/\n[size]=9\n");
    r = quorva({"--format", "eps", kSfu}, dir.path());
    EXPECT_EQ(r.out, "My Plots/Plot_LC20261206_SFU.txt.EPS\n") << r.err.toStdString();
    config("[output]=plots\n[size]=0x1\n");
    r = quorva({kSfu}, dir.path());
    EXPECT_EQ(r.out, "Plot_LC20261206_SFU.txt.PNG\n") << r.err.toStdString();
    EXPECT_EQ(pngSize(path("Plot_LC20261206_SFU.txt.PNG")), QSize(640, 452));

    // No configuration: the working directory and Medium, not the
    // configuration's own start value "Extra Small".
    QFile::remove(path("Quorva.cfg"));
    QFile::remove(path("Plot_LC20261206_SFU.txt.PNG"));
    r = quorva({kSfu}, dir.path());
    EXPECT_EQ(r.out, "Plot_LC20261206_SFU.txt.PNG\n") << r.err.toStdString();
    EXPECT_EQ(pngSize(path("Plot_LC20261206_SFU.txt.PNG")), QSize(960, 678));
}

TEST_F(PlotCommandTest, UnreadableFilesAreReportedAndSkipped)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("in") && QDir(dir.path()).mkdir("out"));
    const QString fifo = path("in/LC_fifo_SFU.txt");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const ProcessRun r = quorva({"--output", path("out"), path("in/missing.txt"), path("in"), fifo, kSfu});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, path("out/Plot_LC20261206_SFU.txt.PNG") + "\n");
    EXPECT_EQ(r.err, "quorva: cannot open " + path("in/missing.txt") + ": No such file or directory\n"
                         "quorva: cannot open " + path("in") + ": Is a directory\n"
                         "quorva: cannot open " + fifo + ": not a regular file\n");
    EXPECT_EQ(QDir(path("out")).entryList(QDir::Files), QStringList{"Plot_LC20261206_SFU.txt.PNG"});
}

TEST_F(PlotCommandTest, FailedPlotsAreToldAndLeaveThePreviousFile)
{
    // A folder that does not exist.
    ProcessRun r = quorva({"--output", path("gone"), kSfu});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.err.startsWith("quorva: cannot write " + path("gone/Plot_LC20261206_SFU.txt.PNG") + ": "))
        << r.err.toStdString();
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();

    // Writing stops part-way (the file size limit): the earlier plot stays
    // as it was and no temporary file is left; the next FILE is still
    // tried, and a FILE that cannot be read does not hide the failure.
    QDir(dir.path()).mkdir("out");
    const QString previous = path("out/Plot_LC20261206_SFU.txt.PDF");
    {
        QFile f(previous);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("previous plot");
    }
    r = execute("sh", {"-c", "trap '' XFSZ; ulimit -f 8; exec \"$0\" \"$@\"", QUORVA_BINARY, "plot", "--format", "pdf",
                       "--output", path("out"), kSfu, path("missing.txt"), kAdu});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.err.contains("quorva: cannot write " + previous + ": ")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("File too large")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("quorva: cannot write " + path("out/Plot_LC20261207_ADU.txt.PDF") + ": "));
    EXPECT_TRUE(r.err.contains("quorva: cannot open " + path("missing.txt")));
    EXPECT_EQ(readAll(previous), "previous plot");
    EXPECT_EQ(QDir(path("out")).entryList(QDir::Files | QDir::Hidden), QStringList{"Plot_LC20261206_SFU.txt.PDF"});

    // Paths that cannot reach stdout are a failure too.
    r = execute("sh", {"-c", "exec \"$0\" \"$@\" > /dev/full", QUORVA_BINARY, "plot", "--output", path("out"), kAdu});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("standard output")) << r.err.toStdString();
    EXPECT_TRUE(QFile::exists(path("out/Plot_LC20261207_ADU.txt.PNG")));
    QFile::remove(path("out/Plot_LC20261207_ADU.txt.PNG"));

    // The same file name twice would overwrite the first plot.
    r = quorva({"--output", path("out"), kSfu, kSfu});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, path("out/Plot_LC20261206_SFU.txt.PNG") + "\n");
    EXPECT_EQ(r.err, "quorva: cannot write " + path("out/Plot_LC20261206_SFU.txt.PNG") + ": written already for "
                         + kSfu + "\n");
}

TEST_F(PlotCommandTest, SameInputAndSourceDateEpochGiveTheSameBytes)
{
    for (const char* sub : {"a", "b", "c"})
        ASSERT_TRUE(QDir(dir.path()).mkdir(sub));
    for (const char* format : {"pdf", "eps", "png"}) {
        for (const char* sub : {"a", "b"})
            ASSERT_EQ(quorva({"--format", format, "--output", path(sub), kSfu, kAdu}).status, 0);
    }
    const QStringList files = QDir(path("a")).entryList(QDir::Files);
    EXPECT_EQ(files.size(), 6);
    for (const QString& f : files)
        EXPECT_EQ(readAll(path("a/") + f), readAll(path("b/") + f)) << f.toStdString();

    // Another date changes the page header and the PDF's dates.
    QProcessEnvironment env = plainEnvironment();
    env.insert("SOURCE_DATE_EPOCH", "1800000000");
    ASSERT_EQ(quorva({"--format", "pdf", "--output", path("c"), kSfu}, {}, env).status, 0);
    const QByteArray a = readAll(path("a/Plot_LC20261206_SFU.txt.PDF"));
    const QByteArray c = readAll(path("c/Plot_LC20261206_SFU.txt.PDF"));
    EXPECT_NE(a, c);
    EXPECT_TRUE(a.contains("D:20231114221320")) << "creation date in UTC";
}

TEST_F(PlotCommandTest, ProgressLineOnlyOnATerminal)
{
    QDir(dir.path()).mkdir("t");
    // `script` gives the program a terminal.
    const QString command = QString("'%1' plot --output '%2' '%3' '%4'")
                                .arg(QUORVA_BINARY, path("t"), kSfu, kAdu);
    const ProcessRun t = execute("script", {"-qec", command, "/dev/null"});
    EXPECT_EQ(t.status, 0) << t.out.toStdString();
    EXPECT_TRUE(t.out.contains("\rquorva: plotting 1/2: " + kSfu)) << t.out.toStdString();
    EXPECT_TRUE(t.out.contains("\rquorva: plotting 2/2: " + kAdu)) << t.out.toStdString();
    EXPECT_TRUE(t.out.contains(path("t/Plot_LC20261207_ADU.txt.PNG")));

    const ProcessRun plain = quorva({"--output", path("t"), kSfu, kAdu});
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.err, "");
    EXPECT_EQ(plain.out, path("t/Plot_LC20261206_SFU.txt.PNG") + "\n" + path("t/Plot_LC20261207_ADU.txt.PNG") + "\n");
}

TEST_F(PlotCommandTest, BadUsageIsRefusedWithTheUsage)
{
    const QList<QStringList> bad = {
        {},
        {"--format", "gif", kSfu},
        {"--size", "5", kSfu},
        {"--desktop", "1920x1080x2", kSfu},
        {"--thickness", "0", kSfu},
        {"--unit", "Jy", kSfu},
        {"--colour", "red", kSfu},
        {"--format", "pdf", "--format=eps", kSfu},
        {kSfu, "--output"},
    };
    for (const QStringList& arguments : bad) {
        const ProcessRun r = quorva(arguments, dir.path());
        EXPECT_EQ(r.status, 64) << arguments.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("quorva: ")) << r.err.toStdString();
        EXPECT_TRUE(r.err.endsWith("\nTry 'quorva plot --help' for more information.\n"))
            << arguments.join(' ').toStdString();
        EXPECT_EQ(r.out, "");
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty()) << "nothing written";

    const ProcessRun help = quorva({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: quorva plot"));
    const ProcessRun general = execute(QUORVA_BINARY, {"--help"});
    EXPECT_TRUE(general.out.contains("\n  plot ")) << general.out.toStdString();

    // After "--" a name that starts with '-' is a FILE.
    QFile::copy(kSfu, path("-LC_SFU.txt"));
    const ProcessRun dashed = quorva({"--output", dir.path(), "--", "-LC_SFU.txt"}, dir.path());
    EXPECT_EQ(dashed.status, 0) << dashed.err.toStdString();
    EXPECT_EQ(dashed.out, dir.path() + "/Plot_-LC_SFU.txt.PNG\n");
}

TEST(PlotCommandParts, UnitDesktopAndConfiguredSize)
{
    EXPECT_EQ(quorva::unitFromFileName("/data/SFU/LC_a_ADU.txt"), "ADU");
    EXPECT_EQ(quorva::unitFromFileName("flux_sfu.txt"), "SFU");
    EXPECT_EQ(quorva::unitFromFileName("LC_a.txt"), "ADU");
    EXPECT_EQ(quorva::unitFromFileName("LC_ADU_SFU.txt"), "ADU");

    const std::optional<quorva::DesktopSize> d = quorva::parseDesktop("2560x1440");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->width, 2560);
    EXPECT_EQ(d->height, 1440);
    EXPECT_FALSE(quorva::parseDesktop("99x1000"));
    EXPECT_FALSE(quorva::parseDesktop("16385x1000"));
    EXPECT_FALSE(quorva::parseDesktop("+1920x1080"));

    EXPECT_EQ(quorva::configuredSizeIndex(""), std::nullopt);
    EXPECT_EQ(quorva::configuredSizeIndex("[SIZE]=3\n[size]=\n# [size]=1\n"), std::nullopt);
    EXPECT_EQ(quorva::configuredSizeIndex("[size]=4\n[size]=x\n"), 4);
    EXPECT_EQ(quorva::configuredSizeIndex("[size]=010\n"), 8);
    // Reading stops at a line of 240 characters; what came before counts.
    EXPECT_EQ(quorva::configuredSizeIndex("[size]=1\n" + std::string(300, 'a') + "\n[size]=3\n"), 1);
}

} // namespace
