#pragma once
// The test support: scratch folders and files (Files.h), one process runner
// (environment, working folder, user, file-size limit, time limit; started
// and read as it runs, or run to its end), the quorva program, and one check
// of a plot file by the format's own reader. Plain C++ and POSIX, no Qt.

#include "support/Files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <functional>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qtest {

inline constexpr uid_t kNobody = 65534;
using Seconds = std::chrono::duration<double>;

struct RunOptions {
    std::vector<std::string> env; // "NAME=value" added (DISPLAY is always removed)
    std::string workDir;          // working folder, when not empty
    uid_t uid = 0;                // run as this user when not 0 (the test runs as root)
    long fileSizeLimit = -1;      // RLIMIT_FSIZE in bytes, SIGXFSZ ignored, when >= 0
    std::string stdoutFile;       // standard output to this file instead of a pipe
    std::string stdinFile = "/dev/null";
    Seconds timeout {120};
};

struct RunResult {
    bool started = false; // ended and reaped
    bool timedOut = false;
    int status = -1; // exit status; -1 when killed by a signal
    std::string out, err;
};

// A child process whose output is collected while it runs.
class Process {
public:
    Process(const std::vector<std::string>& argv, const RunOptions& o = {})
    {
        int out[2], err[2];
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return;
        std::fflush(nullptr);
        if ((pid_ = ::fork()) == 0) {
            ::dup2(o.stdoutFile.empty() ? out[1] : ::open(o.stdoutFile.c_str(), O_WRONLY), 1);
            ::dup2(err[1], 2);
            ::dup2(::open(o.stdinFile.c_str(), O_RDONLY), 0);
            ::unsetenv("DISPLAY"), ::unsetenv("WAYLAND_DISPLAY");
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1), ::setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
            for (const std::string& e : o.env) ::putenv(const_cast<char*>(e.c_str()));
            const rlimit limit {rlim_t(o.fileSizeLimit), rlim_t(o.fileSizeLimit)};
            if (o.fileSizeLimit >= 0 && (std::signal(SIGXFSZ, SIG_IGN), ::setrlimit(RLIMIT_FSIZE, &limit)) != 0)
                ::_exit(124);
            const gid_t g = o.uid;
            if ((!o.workDir.empty() && ::chdir(o.workDir.c_str()) != 0)
                || (o.uid != 0 && (::setgroups(1, &g) != 0 || ::setgid(g) != 0 || ::setuid(o.uid) != 0)))
                ::_exit(125);
            std::vector<char*> args;
            for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            ::execvp(args[0], args.data());
            ::_exit(127);
        }
        ::close(out[1]), ::close(err[1]);
        fds_[0] = out[0], fds_[1] = err[0];
    }
    ~Process()
    {
        if (running()) ::kill(pid_, SIGKILL);
        finish(Seconds(10));
    }
    bool running() { return pid_ > 0 && (poll(0), !reap(false)); }
    void signal(int number) { ::kill(pid_, number); }

    // Reads what comes within `ms` milliseconds (or until both pipes close).
    void poll(int ms)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        do {
            pollfd p[2] = {{fds_[0], POLLIN, 0}, {fds_[1], POLLIN, 0}};
            if (::poll(p, 2, std::clamp(ms, 0, 20)) > 0)
                for (int i = 0; i < 2; ++i) {
                    char buf[65536];
                    const ssize_t n = p[i].revents ? ::read(fds_[i], buf, sizeof buf) : -1;
                    if (n > 0) (i ? result.err : result.out).append(buf, std::size_t(n));
                    if (n == 0) ::close(std::exchange(fds_[i], -1));
                }
        } while (std::chrono::steady_clock::now() < end && (fds_[0] >= 0 || fds_[1] >= 0));
    }
    // Reads until `done` holds for the output, the process ends or `ms` pass.
    bool waitFor(const std::function<bool(const RunResult&)>& done, int ms = 60000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!done(result) && std::chrono::steady_clock::now() < end && running()) poll(20);
        return done(result);
    }
    // Waits for the end (killing it after `timeout`) and returns the result.
    const RunResult& finish(Seconds timeout = Seconds(120))
    {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (!reap(false) && !(result.timedOut = std::chrono::steady_clock::now() > end)) poll(20);
        if (result.timedOut) ::kill(pid_, SIGKILL), reap(true);
        while (fds_[0] >= 0 || fds_[1] >= 0) poll(20);
        return result;
    }

    RunResult result;

private:
    bool reap(bool block)
    {
        int st = 0;
        if (pid_ <= 0 || result.started) return true;
        if (::waitpid(pid_, &st, block ? 0 : WNOHANG) != pid_) return false;
        result.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
        return result.started = true;
    }
    pid_t pid_ = -1;
    int fds_[2] = {-1, -1};
};

inline RunResult run(const std::vector<std::string>& argv, const RunOptions& o = {})
{
    return Process(argv, o).finish(o.timeout);
}

// The build folder may sit below a folder only root can enter (a clone in a
// mktemp folder): an unprivileged child runs a copy from /tmp.
inline std::string quorvaBinary(uid_t uid = 0)
{
    if (uid == 0) return QUORVA_BINARY;
    static TempDir dir;
    static const std::string copy = [] {
        fs::copy_file(QUORVA_BINARY, dir / "quorva", fs::copy_options::overwrite_existing);
        return dir / "quorva";
    }();
    return copy;
}

inline RunResult runQuorva(std::vector<std::string> args, const RunOptions& o = {})
{
    args.insert(args.begin(), quorvaBinary(o.uid));
    return run(args, o);
}

// A number of `quorva stats --json` by its key; NaN when the key is missing.
inline float jsonNumber(const std::string& json, const std::string& key)
{
    const std::size_t at = json.find("\"" + key + "\": ");
    return at == std::string::npos ? NAN : std::strtof(json.c_str() + at + key.size() + 4, nullptr);
}

// Checks a plot file with the format's own reader: qpdf for PDF,
// Ghostscript for EPS, pngcheck for PNG (by the file name's extension).
// Returns the complaint, empty when the file passes.
inline std::string checkPlot(const std::string& path)
{
    std::string ext = path.substr(path.size() < 4 ? 0 : path.size() - 4);
    for (char& c : ext) c = char(std::toupper(static_cast<unsigned char>(c)));
    if (path.size() > 1000) { // longer than Ghostscript takes: through a short link
        TempDir d;
        fs::create_symlink(path, d / ("plot" + ext));
        return checkPlot(d / ("plot" + ext));
    }
    const std::vector<std::string> argv = ext == ".PDF" ? std::vector<std::string> {"qpdf", "--check", path}
        : ext == ".EPS"
        ? std::vector<std::string> {"gs", "-dBATCH", "-dNOPAUSE", "-dSAFER", "-dQUIET", "-sDEVICE=nullpage", path}
        : ext == ".PNG" ? std::vector<std::string> {"pngcheck", "-q", path}
                        : std::vector<std::string> {};
    if (argv.empty()) return "unknown plot format: " + path;
    const RunResult r = run(argv);
    if (r.status != 0 || (ext == ".PDF" && r.out.find("No syntax or stream encoding errors") == std::string::npos)
        || (ext == ".EPS" && (r.out + r.err).find("Error") != std::string::npos))
        return argv[0] + " on " + path + ": " + r.out + r.err;
    return {};
}

// The text Ghostscript reads from a landscape PostScript page, turned back
// so that upright text reads as lines.
inline std::string ghostscriptText(const std::string& file)
{
    const RunResult r
        = run({"gs", "-q", "-dBATCH", "-dNOPAUSE", "-dSAFER", "-sPAPERSIZE=a4", "-dFIXEDMEDIA", "-sDEVICE=txtwrite",
            "-sOutputFile=-", "-c", "<</Install {-90 rotate -842 0 translate}>> setpagedevice", "-f", file});
    return r.status == 0 ? r.out : "(gs failed) " + r.err;
}

} // namespace qtest
