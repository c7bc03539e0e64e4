// Peak memory of the program on a full day of samples (345,600 lines):
// `quorva plot` stays under 80 MB on every format, and `quorva watch`
// does not grow with the number of plots it makes.

#include "SpeedSupport.h"

#include "writers/WriterTestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct ChildRun {
    int status = -1;      // exit status, -1 when it did not exit normally
    long peakKb = 0;      // largest resident set, KB
};

// Runs the program under /usr/bin/time, output thrown away. The peak is
// time's report, not this process's wait4: a child started from a large
// process counts that process's resident set as its own up to its exec.
ChildRun runQuorva(const std::vector<std::string>& arguments, const std::string& peakFile)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string v = *e;
        if (v.rfind("DISPLAY=", 0) == 0 || v.rfind("WAYLAND_DISPLAY=", 0) == 0
            || v.rfind("QT_QPA_PLATFORM=", 0) == 0 || v.rfind("SOURCE_DATE_EPOCH=", 0) == 0)
            continue;
        env.push_back(v);
    }
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("SOURCE_DATE_EPOCH=1700000000");
    std::vector<char*> envp;
    for (std::string& v : env)
        envp.push_back(v.data());
    envp.push_back(nullptr);

    std::vector<std::string> args{"/usr/bin/time", "-f", "%M", "-o", peakFile, QUORVA_BINARY};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    ChildRun run;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return run;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return run;
    if (WIFEXITED(status))
        run.status = WEXITSTATUS(status);
    // time's last line is the peak in KB (a line before it tells of a
    // child that did not exit normally).
    const std::string report = writertest::readFile(peakFile);
    const std::size_t end = report.find_last_not_of('\n');
    const std::size_t start = end == std::string::npos ? 0 : report.find_last_of('\n', end) + 1;
    run.peakKb = std::atol(report.substr(start).c_str());
    return run;
}

TEST(Memory, PlotOfAFullDayStaysUnder80MegabytesOnEveryFormat)
{
    writertest::TempDir dir;
    const std::string day = dir.file("LC20261206_SFU.txt");
    ASSERT_TRUE(speedtest::writeLightCurve(day, 345600));
    for (const char* format : {"pdf", "eps", "png"}) {
        const ChildRun r =
            runQuorva({"plot", "--format", format, "--output", dir.path().string(), day}, dir.file("peak"));
        EXPECT_EQ(r.status, 0) << format;
        EXPECT_GT(r.peakKb, 0) << format;
        EXPECT_LT(r.peakKb, 80 * 1024) << format << ": " << r.peakKb << " KB";
        RecordProperty(std::string("peak_kb_") + format, std::to_string(r.peakKb));
    }
}

TEST(Memory, WatchDoesNotGrowWithThePlotsItMakes)
{
    writertest::TempDir dir;
    const std::string file = dir.file("LC20261206_SFU.txt");
    ASSERT_TRUE(speedtest::writeLightCurve(file, 40000));
    auto watch = [&](int count) {
        return runQuorva({"watch", "--always", "--interval", "0.05", "--count", std::to_string(count), "--output",
                          dir.path().string(), file},
                         dir.file("peak"));
    };
    const ChildRun few = watch(3);
    const ChildRun many = watch(60);
    ASSERT_EQ(few.status, 0);
    ASSERT_EQ(many.status, 0);
    // 57 more plots: well under 20 KB each.
    EXPECT_LT(many.peakKb - few.peakKb, 1024) << few.peakKb << " KB after 3 plots, " << many.peakKb
                                                << " KB after 60";
}

} // namespace
