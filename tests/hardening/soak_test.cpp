// Soak under a live writer: a writer appends lines at a high rate, leaves
// last lines half-written for a moment and now and then rewrites the file
// from scratch (truncated in place, or replaced by a new file), while three
// `quorva watch --always` processes re-plot it at a short interval to PNG,
// PDF and EPS. Every published file passes pngcheck, qpdf --check or
// Ghostscript; the watchers' memory stays flat; each makes exactly the
// plots it was asked for, on its tick grid, and reports no failure.
//
// QUORVA_SOAK_SECONDS sets the run time (default 8; scripts/soak.sh runs
// longer).

#include "HardeningSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using hardening::ScratchFolder;

double soakSeconds()
{
    if (const char* s = std::getenv("QUORVA_SOAK_SECONDS")) {
        const double v = std::atof(s);
        if (v >= 2)
            return v;
    }
    return 8;
}

// Resident memory of a process in kB, 0 when it is gone.
long residentKb(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    }
    return 0;
}

// A process with stdout and stderr going to files (a long run writes more
// than a pipe holds).
struct Watcher {
    std::string format;
    pid_t pid = -1;
    std::string outFile, errFile;
    int status = -1;
    Clock::time_point started, ended;
    long earlyKb = 0;    // after the warm-up
    long lateMaxKb = 0;  // largest in the last quarter
};

pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& out,
            const std::string& err)
{
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (o < 0 || e < 0)
        ::_exit(125);
    ::dup2(o, STDOUT_FILENO);
    ::dup2(e, STDERR_FILENO);
    for (const std::string& v : env)
        ::putenv(const_cast<char*>(v.c_str()));
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
}

// Appends data lines at a high rate; some lines are written in two parts
// with a pause between; every `rewriteEvery` the file starts again from
// scratch, alternately truncated in place and replaced by a new file.
class Writer {
public:
    Writer(std::string path, std::string folder) : path_(std::move(path)), folder_(std::move(folder)) {}
    ~Writer() { stop(); }

    void start()
    {
        open(true);
        thread_ = std::thread([this] { run(); });
    }
    void stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    long lines() const { return lines_; }
    int rewrites() const { return rewrites_; }
    int halfLines() const { return halfLines_; }

private:
    static constexpr const char* kHeader = "Soak light curve\nTime_UT,45.0MHz,150.5MHz,410.0MHz\n";

    void put(const std::string& s)
    {
        const char* p = s.data();
        std::size_t left = s.size();
        while (left > 0) {
            const ssize_t n = ::write(fd_, p, left);
            if (n <= 0)
                return;
            p += n;
            left -= static_cast<std::size_t>(n);
        }
    }
    void open(bool truncateInPlace)
    {
        if (truncateInPlace) {
            if (fd_ < 0)
                fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
            if (::ftruncate(fd_, 0) != 0)
                return;
            put(kHeader);
        } else {
            // A new file under a temporary name, renamed over the old one.
            const std::string fresh = folder_ + "/.soak-new";
            const int fd = ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
            if (fd < 0)
                return;
            if (fd_ >= 0)
                ::close(fd_);
            fd_ = fd;
            put(kHeader);
            ::rename(fresh.c_str(), path_.c_str());
        }
    }
    void run()
    {
        std::mt19937 random(7);
        auto lastRewrite = Clock::now();
        double t = 10.0;
        char line[128];
        while (!stop_) {
            if (Clock::now() - lastRewrite > std::chrono::milliseconds(1500)) {
                open(rewrites_ % 2 == 0);
                ++rewrites_;
                lastRewrite = Clock::now();
                t = 10.0;
            }
            t += 0.25 / 3600.0;
            const int n = std::snprintf(line, sizeof line, "%.6f,%.2f,%.2f,%.2f\n", t, 20.0 + random() % 500 / 10.0,
                                        30.0 + random() % 300 / 10.0, 50.0 + random() % 200 / 10.0);
            const std::string text(line, static_cast<std::size_t>(n));
            if (random() % 50 == 0) {
                // Half a line, the rest a moment later.
                const std::size_t cut = 1 + random() % (text.size() - 1);
                put(text.substr(0, cut));
                std::this_thread::sleep_for(std::chrono::milliseconds(3));
                put(text.substr(cut));
                ++halfLines_;
            } else {
                put(text);
            }
            ++lines_;
            if (lines_ % 4 == 0)
                std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    }

    std::string path_, folder_;
    int fd_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<long> lines_{0};
    std::atomic<int> rewrites_{0};
    std::atomic<int> halfLines_{0};
};

TEST(Soak, ThreeWatchersReplotALiveFile)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.ok());
    const std::string input = dir / "LC20261206_SFU.txt";
    const std::string out = dir / "out";
    ASSERT_EQ(::mkdir(out.c_str(), 0755), 0);

    const double seconds = soakSeconds();
    const double interval = 0.2;
    const int count = static_cast<int>(seconds / interval);

    Writer writer(input, dir.path());
    writer.start();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    // A sanitizer build keeps freed memory in quarantine for a while; a
    // small quarantine lets the resident size settle.
    std::vector<std::string> env{"QT_QPA_PLATFORM=offscreen"};
    if (const char* asan = std::getenv("ASAN_OPTIONS"))
        env.push_back(std::string("ASAN_OPTIONS=") + asan + ":quarantine_size_mb=4");
    std::vector<Watcher> watchers;
    for (const char* format : {"png", "pdf", "eps"}) {
        Watcher w;
        w.format = format;
        w.outFile = dir / (std::string("watch-") + format + ".out");
        w.errFile = dir / (std::string("watch-") + format + ".err");
        w.started = Clock::now();
        w.pid = spawn({QUORVA_BINARY, "watch", "--always", "--interval", "0.2", "--count", std::to_string(count),
                       "--format", format, "--size", "1", "--output", out, input},
                      env, w.outFile, w.errFile);
        ASSERT_GT(w.pid, 0);
        watchers.push_back(w);
    }

    // While they run: snapshots of the published files (each read is of one
    // whole file: a plot is renamed into place complete), and the watchers'
    // resident memory.
    struct Snapshot {
        std::string file, bytes;
    };
    std::vector<Snapshot> snapshots;
    std::map<std::string, std::string> lastSeen;
    const double snapshotEvery = std::max(0.5, seconds / 60.0);
    auto nextSnapshot = Clock::now();
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds * 4 + 60);
    int running = static_cast<int>(watchers.size());
    while (running > 0 && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const double elapsed = std::chrono::duration<double>(Clock::now() - watchers[0].started).count();
        for (Watcher& w : watchers) {
            if (w.status != -1)
                continue;
            const long kb = residentKb(w.pid);
            if (elapsed >= seconds * 0.25 && w.earlyKb == 0)
                w.earlyKb = kb;
            if (elapsed >= seconds * 0.75)
                w.lateMaxKb = std::max(w.lateMaxKb, kb);
            int status = 0;
            if (::waitpid(w.pid, &status, WNOHANG) == w.pid) {
                w.ended = Clock::now();
                w.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                --running;
            }
        }
        if (Clock::now() >= nextSnapshot) {
            nextSnapshot = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(snapshotEvery));
            for (const char* ext : {"PNG", "PDF", "EPS"}) {
                const std::string file = out + "/Plot_LC20261206_SFU.txt." + ext;
                std::string bytes = hardening::readFile(file);
                if (!bytes.empty() && bytes != lastSeen[ext]) {
                    lastSeen[ext] = bytes;
                    snapshots.push_back({file, std::move(bytes)});
                }
            }
        }
    }
    for (Watcher& w : watchers) {
        if (w.status == -1) {
            ::kill(w.pid, SIGKILL);
            ::waitpid(w.pid, nullptr, 0);
            ADD_FAILURE() << w.format << " watcher did not finish its " << count << " plots";
        }
    }
    writer.stop();
    EXPECT_GT(writer.rewrites(), 0);
    EXPECT_GT(writer.halfLines(), 0);

    for (const Watcher& w : watchers) {
        SCOPED_TRACE(w.format);
        EXPECT_EQ(w.status, 0);
        const std::string err = hardening::readFile(w.errFile);
        EXPECT_EQ(err, "") << "no failure is reported";
        // One line per plot: exactly the count asked for, each naming the
        // plot file.
        std::istringstream lines(hardening::readFile(w.outFile));
        std::string line;
        int plots = 0;
        while (std::getline(lines, line)) {
            ++plots;
            EXPECT_NE(line.find("\t" + input + "\t" + out + "/Plot_LC20261206_SFU.txt."), std::string::npos) << line;
        }
        EXPECT_EQ(plots, count);
        // Plots follow the tick grid: never more often than the interval.
        const double took = std::chrono::duration<double>(w.ended - w.started).count();
        EXPECT_GE(took, (count - 1) * interval - 0.05) << "plots came faster than the ticks";
        // Memory: what it holds after the warm-up, it holds at the end.
        EXPECT_GT(w.earlyKb, 0);
        EXPECT_LT(w.lateMaxKb - w.earlyKb, 12 * 1024) << "resident " << w.earlyKb << " kB early, up to "
                                                      << w.lateMaxKb << " kB late";
    }

    std::printf("soak: %.0f s, %ld lines written, %d rewrites, %d half-written lines, %zu snapshots\n", seconds,
                writer.lines(), writer.rewrites(), writer.halfLines(), snapshots.size());
    for (const Watcher& w : watchers)
        std::printf("soak: %s watcher: %.1f s for %d plots, resident %ld kB after warm-up, at most %ld kB at the end\n",
                    w.format.c_str(), std::chrono::duration<double>(w.ended - w.started).count(), count, w.earlyKb,
                    w.lateMaxKb);

    // Every snapshot and the final files pass their format's checker.
    EXPECT_GE(snapshots.size(), 3u);
    ScratchFolder checks;
    int n = 0;
    for (const Snapshot& s : snapshots) {
        const std::string copy = checks / ("snapshot" + std::to_string(n++) + s.file.substr(s.file.size() - 4));
        ASSERT_TRUE(hardening::writeFile(copy, s.bytes));
        EXPECT_EQ(hardening::validatePlot(copy), "") << s.file;
        ::unlink(copy.c_str());
    }
    EXPECT_EQ(hardening::listFolder(out),
              (std::vector<std::string>{"Plot_LC20261206_SFU.txt.EPS", "Plot_LC20261206_SFU.txt.PDF",
                                        "Plot_LC20261206_SFU.txt.PNG"}))
        << "no temporary file is left";
    for (const std::string& f : hardening::listFolder(out))
        EXPECT_EQ(hardening::validatePlot(out + "/" + f), "") << f;
}

} // namespace
