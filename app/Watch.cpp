#include "app/Watch.h"

#include "app/StationPage.h"
#include "app/TextFormat.h"
#include "lightcurve/FileNames.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <iterator>
#include <ostream>

namespace quorva {
namespace {

// ---- signals ---------------------------------------------------------------

// SIGINT, SIGTERM and SIGHUP (the end of an ssh session) stay blocked
// while a plot runs, so that no read or write of it is cut short, and are
// taken only while waiting for the next tick. The handler also writes to a
// pipe that the wait watches, which wakes it whichever thread the signal
// was delivered to.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
volatile sig_atomic_t g_stop = 0;
int g_wakeFd = -1;

extern "C" void onStopSignal(int)
{
    const int saved = errno;
    g_stop = 1;
    if (g_wakeFd >= 0) {
        const char c = 's';
        [[maybe_unused]] const ssize_t n = ::write(g_wakeFd, &c, 1);
    }
    errno = saved;
}

class StopSignals {
public:
    StopSignals()
    {
        g_stop = 0;
        if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) pipe_[0] = pipe_[1] = -1;
        g_wakeFd = pipe_[1];
        sigset_t stops;
        sigemptyset(&stops);
        for (const int s : kStopSignals) sigaddset(&stops, s);
        pthread_sigmask(SIG_BLOCK, &stops, &previousMask_);
        waitMask_ = previousMask_;
        for (const int s : kStopSignals) sigdelset(&waitMask_, s);
        struct sigaction action { };
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0; // no SA_RESTART: the wait returns at once
        for (std::size_t i = 0; i < std::size(kStopSignals); ++i) sigaction(kStopSignals[i], &action, &previous_[i]);
    }

    ~StopSignals()
    {
        // A signal still pending is taken by our handler, then the program's
        // own handlers come back.
        pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
        for (std::size_t i = 0; i < std::size(kStopSignals); ++i) sigaction(kStopSignals[i], &previous_[i], nullptr);
        g_wakeFd = -1;
        if (pipe_[0] >= 0) {
            ::close(pipe_[0]);
            ::close(pipe_[1]);
        }
    }

    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool stopped() const noexcept { return g_stop != 0; }

    // Waits with the signals open until the deadline; false when a stop
    // signal came first.
    bool waitUntil(std::chrono::steady_clock::time_point deadline)
    {
        for (;;) {
            if (g_stop) return false;
            const auto now = std::chrono::steady_clock::now();
            if (now >= deadline) return true;
            const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - now).count();
            timespec timeout {static_cast<time_t>(left / 1000000000), static_cast<long>(left % 1000000000)};
            pollfd fd {pipe_[0], POLLIN, 0};
            // The steady clock is the monotonic clock that ppoll's timeout
            // runs on; the deadline itself is fixed, so early or late
            // returns never shift the ticks.
            ::ppoll(pipe_[0] >= 0 ? &fd : nullptr, pipe_[0] >= 0 ? 1 : 0, &timeout, &waitMask_);
        }
    }

private:
    int pipe_[2] = {-1, -1};
    sigset_t previousMask_ {}, waitMask_ {};
    struct sigaction previous_[std::size(kStopSignals)] {};
};

// ---- the watch -------------------------------------------------------------

std::string localTimeText()
{
    const std::time_t now = std::time(nullptr);
    std::tm t {};
    localtime_r(&now, &t);
    char text[32];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &t);
    return std::string(text, n);
}

class Watch {
public:
    Watch(const PlotSettings& settings, const WatchOptions& options, std::ostream& out, std::ostream& err)
        : plotter_(settings), options_(options), target_(settings.files.front()), window_(settings.window), out_(out),
          err_(err), publisher_(options.page, options.metricsPath, options.interval)
    {
        struct stat st;
        folder_ = ::stat(target_.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }

    // One look at the file; true when it was plotted.
    bool tick()
    {
        std::string path = target_;
        std::string error;
        if (folder_) {
            path = newestLightCurve(target_, error);
            if (path.empty()) {
                report(
                    !error.empty() ? error : "no light-curve file (LC*SFU*.txt or LC*ADU*.txt) in " + target_ + " yet");
                return false;
            }
        }
        FileState state;
        if (!fileState(path, state, error)) {
            report(error);
            return false;
        }
        if (publisher_.active()) publisher_.looked(state.path, state.size, state.modified);
        if (!options_.always && plotted_ && state == last_) {
            // Nothing to plot, but the page may have turned stale.
            if (const std::string failed = publisher_.idle(); !failed.empty()) reportPage(failed);
            return false;
        }

        const FilePlotter::Outcome prepared = plotter_.prepare(path);
        if (prepared.status != FilePlotter::Outcome::Prepared) {
            report(prepared.message);
            return false;
        }
        // Told once per file, not at every plot of a growing one.
        if (prepared.leftOut > 0 && path != leftOutTold_) {
            leftOutTold_ = path;
            err_ << "quorva: " << leftOutWarning(prepared.leftOut, path) << std::endl;
        }
        const FilePlotter::Outcome drawn = plotter_.draw();
        if (drawn.status != FilePlotter::Outcome::Plotted) {
            report(drawn.message);
            return false;
        }
        // The state seen before the read: a change during the read shows at
        // the next tick and plots again.
        last_ = std::move(state);
        plotted_ = true;
        reported_.clear();
        if (publisher_.active()) {
            reportPage(
                publisher_.published(plotter_.rePlot().lightCurve(), window_, drawn.plotPath, plotter_.unitText()));
        }
        errno = 0;
        out_ << localTimeText() << '\t' << path << '\t' << drawn.plotPath << '\t' << drawn.samples << '\n'
             << std::flush;
        // A log that cannot be written ends the watch: a service manager
        // sees the failure and nothing plots on unnoticed.
        if (!out_.good()) {
            err_ << "quorva: cannot write to standard output: " << std::strerror(errno != 0 ? errno : EIO) << std::endl;
            outputLost_ = true;
        }
        return true;
    }

    bool outputLost() const noexcept { return outputLost_; }

private:
    // The page's failures apart from the plot's: told once until they
    // change or a write succeeds, however often the plot is made.
    void reportPage(const std::string& failed)
    {
        if (!failed.empty() && failed != pageReported_) report(failed);
        pageReported_ = failed;
    }

    void report(const std::string& message)
    {
        if (message == reported_) return;
        reported_ = message;
        // One line per failure when there are several (the page's files).
        std::string lines = message;
        for (std::size_t i = 0; (i = lines.find('\n', i)) != std::string::npos; i += 9) lines.insert(i + 1, "quorva: ");
        err_ << "quorva: " << lines << std::endl;
    }

    FilePlotter plotter_;
    WatchOptions options_;
    std::string target_;
    TimeWindow window_;
    bool folder_ = false;
    std::ostream& out_;
    std::ostream& err_;
    StationPublisher publisher_;
    FileState last_;
    bool plotted_ = false;
    std::string reported_;
    std::string leftOutTold_; // the file whose values left out of a logarithmic axis were told
    std::string pageReported_;
    bool outputLost_ = false;
};

} // namespace

std::optional<double> parseInterval(std::string_view text)
{
    const std::optional<double> seconds = parseDecimal(text);
    // Allow for the binary form of a decimal written at the lower end.
    if (!seconds || *seconds < kMinimumWatchInterval - 1e-9 || *seconds > kMaximumWatchInterval) return std::nullopt;
    return seconds;
}

std::string newestLightCurve(const std::string& folder, std::string& error)
{
    error.clear();
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        error = "cannot read the folder " + folder + ": " + std::strerror(errno);
        return {};
    }
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    std::string best;
    std::string bestName;
    std::timespec bestTime {};
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (!isLightCurveName(name)) continue;
        struct stat st;
        if (::fstatat(::dirfd(dir), entry->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
        const std::timespec t = st.st_mtim;
        const bool newer = best.empty() || t.tv_sec > bestTime.tv_sec
            || (t.tv_sec == bestTime.tv_sec
                && (t.tv_nsec > bestTime.tv_nsec || (t.tv_nsec == bestTime.tv_nsec && name > bestName)));
        if (newer) {
            bestName = name;
            best = prefix + bestName;
            bestTime = t;
        }
        errno = 0;
    }
    if (errno != 0 && best.empty()) error = "cannot read the folder " + folder + ": " + std::strerror(errno);
    ::closedir(dir);
    return best;
}

bool fileState(const std::string& path, FileState& state, std::string& error)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    state.path = path;
    state.device = static_cast<unsigned long long>(st.st_dev);
    state.inode = static_cast<unsigned long long>(st.st_ino);
    state.size = static_cast<long long>(st.st_size);
    state.modified = st.st_mtim;
    return true;
}

bool watch(const PlotSettings& settings, const WatchOptions& w, std::ostream& out, std::ostream& err)
{
    Watch watch(settings, w, out, err);
    StopSignals stops;
    using Clock = std::chrono::steady_clock;
    const auto interval = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(w.interval));
    const Clock::time_point start = Clock::now();
    long long plots = 0;
    for (long long k = 0;;) {
        if ((watch.tick() && ++plots == w.count) || watch.outputLost() || stops.stopped()) break;
        // The next point of the grid start + k * interval that lies ahead:
        // no drift, and ticks missed during a long plot are dropped.
        const auto now = Clock::now();
        ++k;
        if (start + k * interval <= now) k = (now - start) / interval + 1;
        if (!stops.waitUntil(start + k * interval)) break;
    }
    return !watch.outputLost();
}

} // namespace quorva
