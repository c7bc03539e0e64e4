// The output cycle: device keywords, window requests, file naming and the
// existing-file policies against real files, and the failure mends.
#include "EngineTestSupport.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace zedozo;
using namespace enginetest;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

class Cycle : public EngineTest {};

// One complete EPS page with a short line, warnings switched off as the
// plot job does.
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

// Runs fn in a child process (optionally as an unprivileged user) and
// returns its exit status; the child reports by its exit code.
template <class Fn>
int inChild(bool dropPrivileges, Fn fn)
{
    std::fflush(stdout);
    pid_t pid = ::fork();
    if (pid == 0) {
        if (dropPrivileges && ::getuid() == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
        }
        ::_exit(fn());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

} // namespace

TEST_F(Cycle, DeviceKeywords)
{
    metafl("pdf");
    EXPECT_EQ(st().cycle.devcode, 511);
    EXPECT_STREQ(st().cycle.devname, "PDF");
    metafl("CONS");
    EXPECT_EQ(st().cycle.devcode, 80);
    metafl("MET5");
    EXPECT_EQ(st().cycle.devcode, 80);
    metafl("met9");
    EXPECT_EQ(st().cycle.devcode, 80);
    metafl("XWIN");
    EXPECT_EQ(st().cycle.devcode, 72);
    metafl("XWI8");
    EXPECT_EQ(st().cycle.devcode, 79);
    metafl("PNG");
    EXPECT_EQ(st().cycle.devcode, 604);
    metafl("EPS");
    EXPECT_EQ(st().cycle.devcode, 503);
    EXPECT_STREQ(st().cycle.devname, "EPS");
    metafl("ps");
    EXPECT_EQ(st().cycle.devcode, 504);
    metafl("pscl");
    EXPECT_EQ(st().cycle.devcode, 502);
    metafl("Postscript");
    EXPECT_EQ(st().cycle.devcode, 501);
    EXPECT_STREQ(st().cycle.devname, "POST");
    CaptureStdout();
    metafl("JPEG");
    metafl("MET0");
    EXPECT_EQ(GetCapturedStdout(), " <<<< Warning   2: Incorrect parameter in metafl!   (JPEG)\n"
                                   " <<<< Warning   2: Incorrect parameter in metafl!   (MET0)\n");
    EXPECT_EQ(st().cycle.devcode, 501);
    EXPECT_EQ(familyOf(72), DeviceFamily::Screen);
    EXPECT_EQ(familyOf(151), DeviceFamily::Terminal);
    EXPECT_EQ(familyOf(503), DeviceFamily::PostScript);
    EXPECT_EQ(familyOf(511), DeviceFamily::Pdf);
    EXPECT_EQ(familyOf(604), DeviceFamily::Raster);
    EXPECT_EQ(familyOf(801), DeviceFamily::Svg);
}

TEST_F(Cycle, WindowRequestAndDefaultsOfAnUnsupportedDevice)
{
    CaptureStdout();
    window(0, 100, 0, 100);    // size 0: refused
    window(-5, -7, 10, 10);    // negative position: refused
    EXPECT_FALSE(st().cycle.windowRequest.given);
    disini();                  // no metafl, no setfil: GKSL and zedozo.met, not written by this system
    std::string out = GetCapturedStdout();
    EXPECT_EQ(out, " <<<< Warning   2: Incorrect parameter in window!   (   0)\n"
                   " <<<< Warning   2: Incorrect parameter in window!   (  -7)\n"
                   " <<<< Warning 101: Device GKSL is not supported in disini!\n");
    EXPECT_EQ(st().cycle.devcode, 201);
    EXPECT_EQ(st().cycle.plotFile, "zedozo.met");
    EXPECT_EQ(st().cycle.devRect.w, 853);
    EXPECT_EQ(st().cycle.devRect.h, 603);
    EXPECT_EQ(st().level, 1);
    // The cycle runs on, drawing nothing, and finishes normally.
    errmod("ALL", "OFF");
    drawLine(0, 0, 100, 100);
    disfin();
    EXPECT_EQ(st().level, 0);
    EXPECT_TRUE(dir.entries().empty());
    EXPECT_EQ(lastFailure().warning, 101);

    window(10, 20, 960, 679);
    EXPECT_TRUE(st().cycle.windowRequest.given);
    EXPECT_EQ(st().cycle.windowRequest.w, 960);
}

TEST_F(Cycle, ScalesPerDevice)
{
    openEps(dir.file("s.eps"));
    EXPECT_FLOAT_EQ(st().cycle.devscl, 3900.0f / 2099.0f);
    EXPECT_EQ(st().cycle.colourDepth, 24);
    EXPECT_EQ(st().cycle.bgmode, 2);
    EXPECT_EQ(st().page.npagx, 2969);
    EXPECT_EQ(st().page.npagy, 2099);
    disfin();
    metafl("PDF");
    disini();   // whatever the PDF writer's state, the scale is the cycle's
    EXPECT_NEAR(st().cycle.devscl, 0.263342f, 1e-6);
    EXPECT_EQ(st().cycle.bgmode, 2);
    disfin();
    metafl("PNG");
    window(0, 0, 960, 679);
    disini();
    EXPECT_FLOAT_EQ(st().cycle.devscl, 959.0f / 2969.0f);
    EXPECT_EQ(st().cycle.bgmode, 0);
    disfin();
    metafl("POST");
    disini();
    EXPECT_EQ(st().cycle.bgmode, 0);   // plain PostScript keeps the dark background mode
    EXPECT_EQ(st().colour.table[255], 0xFFFFFFu);
    disfin();
}

TEST_F(Cycle, VersionNamesOfCount)
{
    const std::string d = dir.path().string() + "/";
    std::string text;
    std::string name = d + "plot.eps";
    EXPECT_EQ(chkfil(name, 0, text), 0);   // free: unchanged
    EXPECT_EQ(name, d + "plot.eps");

    writeFile(d + "plot.eps", "x");
    EXPECT_EQ(chkfil(name, 0, text), 0);
    EXPECT_EQ(name, d + "plot_1.eps");

    for (int k = 1; k <= 9; ++k) writeFile(d + "plot_" + std::to_string(k) + ".eps", "x");
    name = d + "plot.eps";
    EXPECT_EQ(chkfil(name, 0, text), 0);
    EXPECT_EQ(name, d + "plot_10.eps");

    writeFile(d + "lightcurve.eps", "x");
    name = d + "lightcurve.eps";
    EXPECT_EQ(chkfil(name, 0, text), 0);
    EXPECT_EQ(name, d + "lightc_1.eps");

    writeFile(d + "lightcurve", "x");
    name = d + "lightcurve";
    EXPECT_EQ(chkfil(name, 0, text), 0);
    EXPECT_EQ(name, d + "lightc_1");

    // A dot in a folder name is no extension; "\" also separates.
    fs::create_directory(d + "v.1");
    writeFile(d + "v.1/longname", "x");
    name = d + "v.1/longname";
    EXPECT_EQ(chkfil(name, 0, text), 0);
    EXPECT_EQ(name, d + "v.1/longna_1");
    std::string win = "C:\\data\\lightcurve.eps";   // does not exist here: free
    EXPECT_EQ(chkfil(win, 0, text), 0);
    EXPECT_EQ(win, "C:\\data\\lightcurve.eps");

    name = d + "plot.eps";
    EXPECT_EQ(chkfil(name, 2, text), 169);
    EXPECT_EQ(text, "Plotfile does exist");
    EXPECT_EQ(chkfil(name, 1, text), 0);   // replaceable
}

TEST_F(Cycle, CountDeleteAndBreakThroughWholeCycles)
{
    const std::string f = dir.file("lightcurve.eps");
    plotEps(f, "COUNT");
    plotEps(f, "COUNT");
    plotEps(f, "COUNT");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"lightc_1.eps", "lightc_2.eps", "lightcurve.eps"}));
    expectGhostscriptAccepts(dir.file("lightc_2.eps"));

    // DELETE rewrites the same name; the new content replaces the old one.
    const std::string g = dir.file("plot.eps");
    writeFile(g, "old content");
    plotEps(g, "DELETE");
    std::string first = readFile(g);
    EXPECT_EQ(first.rfind("%!PS-Adobe-3.0 EPSF-3.0\n", 0), 0u);
    plotEps(g, "DELETE");
    EXPECT_EQ(readFile(g), first);
    EXPECT_FALSE(lastFailure().failed());
    expectGhostscriptAccepts(g);

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
    CaptureStdout();
    disini();   // no exit: the cycle runs on drawing nothing
    EXPECT_EQ(GetCapturedStdout(), " <<<< Warning 169: Plotfile does exist in disini!   (" + f + ")\n");
    EXPECT_EQ(st().level, 1);
    errmod("ALL", "OFF");
    setAxisSystemForTests(0, 10, 0, 10, 350, 1800, 2200, 1600);
    float x[3] = {0, 5, 10}, y[3] = {0, 10, 0};
    curve(x, y, 3);
    disfin();
    EXPECT_EQ(st().level, 0);
    EXPECT_EQ(readFile(f), "precious");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"keep.eps"});
    const EngineFailure& fail = lastFailure();
    EXPECT_EQ(fail.warning, 169);
    EXPECT_EQ(fail.text, "Plotfile does exist");
    EXPECT_EQ(fail.fileName, f);

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
    int rc = inChild(true, [&] {
        resetEngineForTests();
        CaptureStdout();
        plotEps(f, "DELETE");
        std::string out = GetCapturedStdout();
        const EngineFailure& fail = lastFailure();
        if (fail.warning != 168) return 1;
        if (fail.text != "Plotfile cannot be deleted") return 2;
        if (out != " <<<< Warning 168: Plotfile cannot be deleted in disini!   (" + f + ")\n") return 3;
        if (st().level != 0) return 4;
        // A new file in the same folder cannot even be created.
        plotEps((sub / "new.eps").string(), "DELETE");
        if (lastFailure().warning != 36 || lastFailure().reason.find("Permission denied") == std::string::npos)
            return 5;
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
    int rc = inChild(false, [&] {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit lim{4096, 4096};
        if (::setrlimit(RLIMIT_FSIZE, &lim) != 0) return 9;
        resetEngineForTests();
        CaptureStdout();
        metafl("EPS");
        setfil(f);
        filmod("DELETE");
        disini();
        errmod("ALL", "OFF");
        setAxisSystemForTests(0, 1000, 0, 1000, 350, 1800, 2200, 1600);
        std::vector<float> x(20000), y(20000);
        for (int i = 0; i < 20000; ++i) {
            x[i] = float(i % 1000);
            y[i] = float((i * 37) % 1000);
        }
        curve(x.data(), y.data(), 20000);
        disfin();
        GetCapturedStdout();
        const EngineFailure& fail = lastFailure();
        if (fail.warning != 36) return 1;
        if (fail.text != "File error") return 2;
        if (fail.reason.find("File too large") == std::string::npos) return 3;
        if (fail.fileName != f) return 4;
        return 0;
    });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(readFile(f), "previous plot");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"big.eps"});

    // The same through the output file's own seam, in process.
    metafl("EPS");
    setfil(f);
    filmod("DELETE");
    disini();
    errmod("ALL", "OFF");
    st().cycle.out.failNextFlushForTests();
    disfin();
    EXPECT_EQ(lastFailure().warning, 36);
    EXPECT_NE(lastFailure().reason.find("No space left"), std::string::npos);
    EXPECT_EQ(readFile(f), "previous plot");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"big.eps"});
}

TEST_F(Cycle, SetfilKeepsTheWholeName)
{
    // A path far beyond 256 characters.
    fs::path deep = dir.path();
    for (int i = 0; i < 4; ++i) deep /= std::string(80, char('a' + i));
    fs::create_directories(deep);
    const std::string f = (deep / (std::string(60, 'p') + ".eps")).string();
    ASSERT_GT(f.size(), 300u);
    plotEps(f, "DELETE");
    EXPECT_FALSE(lastFailure().failed()) << lastFailure().reason;
    EXPECT_TRUE(fs::exists(f));
    expectGhostscriptAccepts(f);
}

TEST_F(Cycle, AnUnfinishedCycleLeavesNoTemporaryFile)
{
    const std::string f = dir.file("never.eps");
    metafl("EPS");
    setfil(f);
    disini();
    EXPECT_EQ(dir.entries().size(), 1u);   // the temporary file while drawing
    EXPECT_FALSE(fs::exists(f));            // readers never see a half-written plot
    resetEngineForTests();
    EXPECT_TRUE(dir.entries().empty());
}
