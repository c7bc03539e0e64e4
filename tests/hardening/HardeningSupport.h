#pragma once
// Helpers of the hardening tests: scratch folders that clean up after
// themselves (also when a test made them read-only), running the quorva
// program with raw byte arguments and a time limit, running a piece of a
// test in a child process (as the unprivileged user "nobody", or with a
// file-size limit), and listing a folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>
#include <grp.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace hardening {

inline constexpr uid_t kNobody = 65534;

// Removes a tree, making folders writable first.
inline void removeTree(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return;
    if (S_ISDIR(st.st_mode)) {
        ::chmod(path.c_str(), 0700);
        if (DIR* d = ::opendir(path.c_str())) {
            std::vector<std::string> names;
            while (dirent* e = ::readdir(d)) {
                if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                    names.emplace_back(e->d_name);
            }
            ::closedir(d);
            for (const std::string& n : names)
                removeTree(path + "/" + n);
        }
        ::rmdir(path.c_str());
    } else {
        ::unlink(path.c_str());
    }
}

// A fresh folder under /tmp, removed with everything in it at the end.
// Readable and searchable by everyone, so that a child process running as
// "nobody" can reach what a test puts there.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = "/tmp/quorva-hardening-XXXXXX";
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
        ::chmod(path_.c_str(), 0755);
    }
    ~ScratchFolder() { removeTree(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool ok() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline bool writeFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    return static_cast<bool>(out);
}

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// Names in a folder, sorted, without "." and "..".
inline std::vector<std::string> listFolder(const std::string& path)
{
    std::vector<std::string> names;
    if (DIR* d = ::opendir(path.c_str())) {
        while (dirent* e = ::readdir(d)) {
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                names.emplace_back(e->d_name);
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A light-curve file of `lines` data lines after a title and a header.
inline std::string lightCurveText(int lines, float scale = 1.0f)
{
    std::string text = "Test light curve\nTime_UT,45.0MHz,150.5MHz,410.0MHz\n";
    char line[96];
    for (int i = 0; i < lines; ++i) {
        std::snprintf(line, sizeof line, "%.6f,%.2f,%.2f,%.2f\n", 10.0 + i / 3600.0, scale * (20.0f + i % 50),
                      scale * (30.0f + i % 30), scale * (50.0f + i % 20));
        text += line;
    }
    return text;
}

struct ProcessResult {
    bool started = false;
    bool timedOut = false;
    int status = -1;     // exit status, or -1 when killed by a signal
    int signal = 0;      // the signal that ended it
    std::string out, err;
};

// Runs `argv` (raw bytes, argv[0] the program) with `extraEnv` ("NAME=value")
// added to the environment, in `workDir` when given, as `uid` when it is
// not root. Kills it after `timeout`.
inline ProcessResult runProgram(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv = {},
                                const std::string& workDir = {}, std::chrono::seconds timeout = std::chrono::seconds(120),
                                uid_t uid = 0, const std::function<bool()>& setUp = {})
{
    ProcessResult r;
    int outPipe[2], errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0)
        return r;
    const pid_t pid = ::fork();
    if (pid < 0)
        return r;
    if (pid == 0) {
        ::dup2(outPipe[1], STDOUT_FILENO);
        ::dup2(errPipe[1], STDERR_FILENO);
        const int devNull = ::open("/dev/null", O_RDONLY);
        if (devNull >= 0)
            ::dup2(devNull, STDIN_FILENO);
        for (const std::string& e : extraEnv)
            ::putenv(const_cast<char*>(e.c_str()));
        if (!workDir.empty() && ::chdir(workDir.c_str()) != 0)
            ::_exit(125);
        if (setUp && !setUp())
            ::_exit(125);
        if (uid != 0) {
            const gid_t groups[1] = {uid};
            if (::setgroups(1, groups) != 0 || ::setgid(uid) != 0 || ::setuid(uid) != 0)
                ::_exit(126);
        }
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    r.started = true;
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int open = 2;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            r.timedOut = true;
            ::kill(pid, SIGKILL);
            break;
        }
        if (::poll(fds, 2, static_cast<int>(std::min<long long>(left.count(), 1000))) < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP | POLLERR))) {
                char buf[65536];
                const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
                if (n > 0) {
                    (i == 0 ? r.out : r.err).append(buf, static_cast<std::size_t>(n));
                } else {
                    ::close(fds[i].fd);
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
    }
    for (pollfd& f : fds) {
        if (f.fd >= 0)
            ::close(f.fd);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status)) {
        r.status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        r.signal = WTERMSIG(status);
    }
    return r;
}

// The build folder may sit below a folder that only root can enter (a
// clone in a mktemp folder), so an unprivileged child runs a copy of the
// program from a folder everyone can reach; removed at exit.
inline const std::string& binaryForEveryone()
{
    static const std::string path = [] {
        std::string dir = "/tmp/quorva-hardening-bin-XXXXXX";
        if (!::mkdtemp(dir.data()))
            return std::string(QUORVA_BINARY);
        ::chmod(dir.c_str(), 0755);
        const std::string copy = dir + "/quorva";
        std::ifstream in(QUORVA_BINARY, std::ios::binary);
        std::ofstream out(copy, std::ios::binary);
        out << in.rdbuf();
        out.close();
        ::chmod(copy.c_str(), 0755);
        static std::string removeAtExit;
        removeAtExit = dir;
        std::atexit([] {
            ::unlink((removeAtExit + "/quorva").c_str());
            ::rmdir(removeAtExit.c_str());
        });
        return copy;
    }();
    return path;
}

inline ProcessResult runQuorva(const std::vector<std::string>& arguments, const std::vector<std::string>& extraEnv = {},
                               const std::string& workDir = {}, uid_t uid = 0,
                               std::chrono::seconds timeout = std::chrono::seconds(120),
                               const std::function<bool()>& setUp = {})
{
    std::vector<std::string> argv{uid == 0 ? std::string(QUORVA_BINARY) : binaryForEveryone()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runProgram(argv, extraEnv, workDir, timeout, uid, setUp);
}

// Checks a plot file with the format's own tool: qpdf for PDF, Ghostscript
// for EPS, pngcheck for PNG. Returns the tool's complaint, empty when the
// file passes.
inline std::string validatePlot(const std::string& path)
{
    const std::string ext = path.size() >= 4 ? path.substr(path.size() - 4) : std::string();
    if (path.size() > 1000) {
        // Ghostscript takes no command line argument of that length; it
        // reads the file through a short link.
        ScratchFolder shortFolder;
        const std::string link = shortFolder / ("plot" + ext);
        if (::symlink(path.c_str(), link.c_str()) != 0)
            return "cannot link to " + path;
        return validatePlot(link);
    }
    std::vector<std::string> argv;
    if (ext == ".PDF" || ext == ".pdf")
        argv = {"/usr/bin/qpdf", "--check", path};
    else if (ext == ".EPS" || ext == ".eps")
        argv = {"/usr/bin/gs", "-dBATCH", "-dNOPAUSE", "-dSAFER", "-dQUIET", "-sDEVICE=nullpage", path};
    else if (ext == ".PNG" || ext == ".png")
        argv = {"/usr/bin/pngcheck", "-q", path};
    else
        return "unknown plot format: " + path;
    const ProcessResult r = runProgram(argv, {}, {}, std::chrono::seconds(120));
    if (!r.started || r.timedOut || r.status != 0)
        return argv[0] + " failed (" + std::to_string(r.status) + "): " + r.out + r.err;
    if (argv[0] == "/usr/bin/qpdf" && r.out.find("No syntax or stream encoding errors found") == std::string::npos)
        return "qpdf: " + r.out + r.err;
    if (argv[0] == "/usr/bin/gs" && (r.out.find("Error") != std::string::npos || r.err.find("Error") != std::string::npos))
        return "gs: " + r.out + r.err;
    return {};
}

// Runs `body` in a forked child and returns its result (0..255), -1 when
// the child did not end by itself within `timeout` (it is then killed) or
// could not be started. `setUp` runs in the child first (drop privileges,
// set limits); when it returns false the child ends with 125.
inline int inChild(const std::function<int()>& body, const std::function<bool()>& setUp = {},
                   std::chrono::seconds timeout = std::chrono::seconds(60))
{
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        if (setUp && !setUp())
            ::_exit(125);
        const int r = body();
        std::fflush(nullptr);
        ::_exit(r);
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Child set-up: become "nobody" (when running as root; otherwise the
// process is unprivileged already).
inline bool becomeNobody()
{
    if (::geteuid() != 0)
        return true;
    const gid_t groups[1] = {kNobody};
    return ::setgroups(1, groups) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
}

// Child set-up: files may grow to `bytes` at most; a write beyond fails
// with EFBIG instead of killing the process (SIGXFSZ ignored).
inline bool limitFileSize(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

} // namespace hardening
