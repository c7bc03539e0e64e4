// The output cycle: device keywords, window requests, file naming and the
// existing-file policies against real files, and the failure mends.
#include "EngineTestSupport.h"
#include "engine/TestSeams.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace zedozo;
using namespace enginetest;

namespace {

class Cycle : public EngineTest {};

// One complete EPS page with a short line, warnings off as the plot job does.
void plotEps(const std::string& file, const char* mode = "DELETE")
{
    metafl("EPS");
    setfil(file);
    filmod(mode);
    disini();
    errmod("ALL", "OFF");
    drawLine(100, 100, 900, 700);
    disfin();
}

// Runs fn in a child process (optionally as an unprivileged user); the child
// reports by its exit code.
template <class Fn>
int inChild(bool dropPrivileges, Fn fn)
{
    std::fflush(stdout);
    pid_t pid = ::fork();
    if (pid == 0) {
        if (dropPrivileges && ::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(99);
        ::_exit(fn());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

} // namespace

TEST_F(Cycle, DeviceKeywordsWindowRequestAndAnUnsupportedDevice)
{
    const std::pair<const char*, int> codes[] = {{"pdf", 511}, {"MET5", 80}, {"XWI8", 79}, {"PNG", 604},
                                                 {"ps", 504},  {"pscl", 502}, {"Postscript", 501}};
    for (auto [word, code] : codes) {
        metafl(word);
        EXPECT_EQ(st().cycle.devcode, code) << word;
    }
    EXPECT_STREQ(st().cycle.devname, "POST");
    EXPECT_EQ(captureStdout([] { metafl("MET0"); }),
              " <<<< Warning   2: Incorrect parameter in metafl!   (MET0)\n");
    EXPECT_EQ(st().cycle.devcode, 501);
    EXPECT_EQ(familyOf(72), DeviceFamily::Screen);
    EXPECT_EQ(familyOf(503), DeviceFamily::PostScript);

    resetEngineForTests();
    const std::string out = captureStdout([] {
        window(0, 100, 0, 100);   // size 0: refused
        window(-5, -7, 10, 10);   // negative position: refused
        disini();                 // no metafl: GKSL, not written by this system
    });
    EXPECT_EQ(out, " <<<< Warning   2: Incorrect parameter in window!   (   0)\n"
                   " <<<< Warning   2: Incorrect parameter in window!   (  -7)\n"
                   " <<<< Warning 101: Device GKSL is not supported in disini!\n");
    EXPECT_FALSE(st().cycle.windowRequest.given);
    EXPECT_EQ(st().cycle.plotFile, "zedozo.met");
    EXPECT_EQ(st().level, 1);
    // The cycle runs on, drawing nothing, and finishes normally.
    errmod("ALL", "OFF");
    drawLine(0, 0, 100, 100);
    disfin();
    EXPECT_EQ(st().level, 0);
    EXPECT_TRUE(dir.entries().empty());
    EXPECT_EQ(lastFailure().warning, 101);
}

TEST_F(Cycle, ScalesPerDevice)
{
    open("EPS", dir.file("s.eps"));
    EXPECT_FLOAT_EQ(st().cycle.devscl, 3900.0f / 2099.0f);
    EXPECT_EQ(st().cycle.bgmode, 2);
    disfin();
    metafl("PDF");
    disini();
    EXPECT_NEAR(st().cycle.devscl, 0.263342f, 1e-6);
    disfin();
    metafl("PNG");
    window(0, 0, 960, 679);
    disini();
    EXPECT_FLOAT_EQ(st().cycle.devscl, 959.0f / 2969.0f);
    EXPECT_EQ(st().cycle.bgmode, 0);
    disfin();
    metafl("POST");
    disini();
    EXPECT_EQ(st().colour.table[255], 0xFFFFFFu);   // plain PostScript keeps the dark background
    disfin();
}

TEST_F(Cycle, VersionNamesOfCount)
{
    const std::string d = dir.path().string() + "/";
    std::string text;
    auto versioned = [&](std::string name) {
        EXPECT_EQ(chkfil(name, 0, text), 0);
        return name;
    };
    EXPECT_EQ(versioned(d + "plot.eps"), d + "plot.eps");   // free: unchanged
    for (int k = 0; k <= 9; ++k) writeFile(d + (k ? "plot_" + std::to_string(k) : "plot") + ".eps", "x");
    EXPECT_EQ(versioned(d + "plot.eps"), d + "plot_10.eps");
    writeFile(d + "lightcurve.eps", "x");
    EXPECT_EQ(versioned(d + "lightcurve.eps"), d + "lightc_1.eps");
    // A dot in a folder name is no extension; "\" also separates.
    fs::create_directory(d + "v.1");
    writeFile(d + "v.1/longname", "x");
    EXPECT_EQ(versioned(d + "v.1/longname"), d + "v.1/longna_1");
    EXPECT_EQ(versioned("C:\\data\\lightcurve.eps"), "C:\\data\\lightcurve.eps");

    std::string name = d + "plot.eps";
    EXPECT_EQ(chkfil(name, 2, text), 169);
    EXPECT_EQ(text, "Plotfile does exist");
    EXPECT_EQ(chkfil(name, 1, text), 0);   // replaceable
}

TEST_F(Cycle, CountDeleteAndTheLastNameThroughWholeCycles)
{
    const std::string f = dir.file("lightcurve.eps");
    for (int i = 0; i < 3; ++i) plotEps(f, "COUNT");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"lightc_1.eps", "lightc_2.eps", "lightcurve.eps"}));
    expectGhostscriptAccepts(dir.file("lightc_2.eps"));

    // DELETE rewrites the same name; the new content replaces the old one.
    const std::string g = dir.file("plot.eps");
    writeFile(g, "old content");
    plotEps(g, "DELETE");
    const std::string first = readFile(g);
    EXPECT_EQ(first.rfind("%!PS-Adobe-3.0 EPSF-3.0\n", 0), 0u);
    plotEps(g, "DELETE");
    EXPECT_EQ(readFile(g), first);
    EXPECT_FALSE(lastFailure().failed());

    // A later cycle without setfil reuses the last setfil name.
    metafl("EPS");
    disini();
    errmod("ALL", "OFF");
    disfin();
    EXPECT_EQ(st().cycle.plotFile, g);
    EXPECT_EQ(dir.entries().size(), 4u);
}

TEST_F(Cycle, BreakOnAnExistingFileKeepsItAndTheCallerLearnsWhy)
{
    const std::string f = dir.file("keep.eps");
    writeFile(f, "precious");
    metafl("EPS");
    setfil(f);
    filmod("BREAK");
    // No exit: the cycle runs on drawing nothing.
    EXPECT_EQ(captureStdout([] { disini(); }), " <<<< Warning 169: Plotfile does exist in disini!   (" + f + ")\n");
    EXPECT_EQ(st().level, 1);
    errmod("ALL", "OFF");
    setAxisSystemForTests(0, 10, 0, 10, 350, 1800, 2200, 1600);
    float x[3] = {0, 5, 10}, y[3] = {0, 10, 0};
    curve(x, y, 3);
    disfin();
    EXPECT_EQ(st().level, 0);
    EXPECT_EQ(readFile(f), "precious");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"keep.eps"});
    EXPECT_EQ(lastFailure().warning, 169);
    EXPECT_EQ(lastFailure().text, "Plotfile does exist");
    EXPECT_EQ(lastFailure().fileName, f);

    // The next successful cycle clears the failure.
    plotEps(f, "DELETE");
    EXPECT_FALSE(lastFailure().failed());
    EXPECT_NE(readFile(f), "precious");
}

TEST_F(Cycle, ReadOnlyFolderUnderDeleteFailsAndLeavesTheOldFile)
{
    const fs::path sub = dir.path() / "ro";
    fs::create_directory(sub);
    const std::string f = (sub / "plot.eps").string();
    writeFile(f, "old");
    ::chmod(sub.c_str(), 0555);
    ::chmod(dir.path().c_str(), 0777);   // the unprivileged child must reach it
    ::chmod(f.c_str(), 0644);
    const int rc = inChild(true, [&] {
        resetEngineForTests();
        const std::string out = captureStdout([&] { plotEps(f, "DELETE"); });
        const EngineFailure& fail = lastFailure();
        if (fail.warning != 168 || fail.text != "Plotfile cannot be deleted") return 1;
        if (out != " <<<< Warning 168: Plotfile cannot be deleted in disini!   (" + f + ")\n") return 2;
        if (st().level != 0) return 3;
        // A new file in the same folder cannot even be created.
        plotEps((sub / "new.eps").string(), "DELETE");
        if (lastFailure().warning != 36 || lastFailure().reason.find("Permission denied") == std::string::npos)
            return 4;
        return 0;
    });
    ::chmod(sub.c_str(), 0755);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(readFile(f), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(sub), fs::directory_iterator()), 1);
}

TEST_F(Cycle, WriteErrorsAreDetectedAndTheFinalNameIsNotReplaced)
{
    const std::string f = dir.file("big.eps");
    writeFile(f, "previous plot");
    // A file-size limit makes the kernel refuse the writes like a full disk.
    const int rc = inChild(false, [&] {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit lim{4096, 4096};
        if (::setrlimit(RLIMIT_FSIZE, &lim) != 0) return 9;
        resetEngineForTests();
        captureStdout([&] {
            open("EPS", f);
            errmod("ALL", "OFF");
            setAxisSystemForTests(0, 1000, 0, 1000, 350, 1800, 2200, 1600);
            std::vector<float> x(20000), y(20000);
            for (int i = 0; i < 20000; ++i) {
                x[i] = float(i % 1000);
                y[i] = float((i * 37) % 1000);
            }
            curve(x.data(), y.data(), 20000);
            disfin();
        });
        const EngineFailure& fail = lastFailure();
        if (fail.warning != 36 || fail.text != "File error") return 1;
        if (fail.reason.find("File too large") == std::string::npos) return 2;
        return fail.fileName == f ? 0 : 3;
    });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(readFile(f), "previous plot");

    // The same through the output file's own seam, in process.
    open("EPS", f);
    errmod("ALL", "OFF");
    failNextPlotFileFlushForTests();
    disfin();
    EXPECT_EQ(lastFailure().warning, 36);
    EXPECT_NE(lastFailure().reason.find("No space left"), std::string::npos);
    EXPECT_EQ(readFile(f), "previous plot");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"big.eps"});
}

TEST_F(Cycle, LongNamesAreKeptWholeAndAnUnfinishedCycleLeavesNoFile)
{
    fs::path deep = dir.path();
    for (int i = 0; i < 4; ++i) deep /= std::string(80, char('a' + i));
    fs::create_directories(deep);
    const std::string f = (deep / (std::string(60, 'p') + ".eps")).string();
    ASSERT_GT(f.size(), 300u);
    plotEps(f, "DELETE");
    EXPECT_FALSE(lastFailure().failed()) << lastFailure().reason;
    expectGhostscriptAccepts(f);
    fs::remove_all(dir.path() / std::string(80, 'a'));

    const std::string g = dir.file("never.eps");
    open("EPS", g);
    EXPECT_EQ(dir.entries().size(), 1u);   // the temporary file while drawing
    EXPECT_FALSE(fs::exists(g));            // readers never see a half-written plot
    resetEngineForTests();
    EXPECT_TRUE(dir.entries().empty());
}
