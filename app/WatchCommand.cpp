#include "app/WatchCommand.h"

#include "app/FileMask.h"
#include "app/PlotCommand.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <ostream>

namespace quorva {
namespace {

const char kWatchUsageHead[] =
    "Usage: quorva watch [--interval SECONDS] [--always] [--count N] [OPTIONS] FILE|DIR\n"
    "\n"
    "Auto-plot without windows: plots FILE as 'quorva plot' does, at once and\n"
    "then every interval whenever FILE has changed (size or modification\n"
    "time). Given a folder DIR, it plots the newest light-curve file in it\n"
    "(LC*SFU*.txt or LC*ADU*.txt, any case) and follows a newer one as soon as\n"
    "it appears. Plot files are replaced whole, never seen half-written.\n"
    "\n"
    "Prints one line per plot, fields separated by tabs: local time, light-\n"
    "curve file, plot file written, sample count. Failures are reported on\n"
    "the error stream (the same failure once) and watching goes on.\n"
    "\n"
    "Options:\n"
    "  --interval SECONDS    time between two looks at the file, 0.05 to 600\n"
    "                        (default 10)\n"
    "  --always              plot at every tick, changed or not\n"
    "  --count N             stop after N plots\n";

const char kWatchUsageTail[] =
    "  -h, --help            show this help\n"
    "\n"
    "SIGINT (Ctrl+C) and SIGTERM end watching once the running plot is\n"
    "complete. Exit status: 0, or 64 for bad usage.\n";

std::string watchUsage()
{
    return std::string(kWatchUsageHead) + kPlotOptionsText + kWatchUsageTail;
}

int usageError(CommandIo& io, const std::string& message)
{
    io.err << "quorva: " << message << "\n\n" << watchUsage();
    return kExitUsage;
}

struct WatchOptions {
    double interval = kDefaultWatchInterval;
    bool always = false;
    long long count = 0; // 0: no end
    bool help = false;
};

// Takes the watch options out of the arguments and leaves the rest, in
// order, for the plot options. The plot options that take a value are
// passed on with it, so that a value is never read as an option.
bool takeWatchOptions(const std::vector<std::string>& args, WatchOptions& w, std::vector<std::string>& rest,
                      std::string& error)
{
    static const char* const kPlotValueOptions[] = {"--format", "--output", "--unit",
                                                    "--size",   "--desktop", "--thickness"};
    bool interval = false, always = false, count = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            rest.insert(rest.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
            break;
        }
        if (a == "-h" || a == "--help") {
            w.help = true;
            continue;
        }
        const std::size_t eq = a.find('=');
        const std::string name = a.substr(0, eq);
        if (name == "--always") {
            if (eq != std::string::npos) {
                error = "--always takes no value";
                return false;
            }
            if (always) {
                error = "--always given more than once";
                return false;
            }
            always = w.always = true;
            continue;
        }
        if (name == "--interval" || name == "--count") {
            std::string value;
            if (eq != std::string::npos) {
                value = a.substr(eq + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                error = "missing value after '" + name + "'";
                return false;
            }
            bool& seen = name == "--interval" ? interval : count;
            if (seen) {
                error = name + " given more than once";
                return false;
            }
            seen = true;
            if (name == "--interval") {
                const std::optional<double> seconds = parseInterval(value);
                if (!seconds) {
                    error = "--interval must be a number of seconds from 0.05 to 600, not '" + value + "'";
                    return false;
                }
                w.interval = *seconds;
            } else {
                long long n = 0;
                const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
                if (value.empty() || value[0] == '-' || value[0] == '+' || ec != std::errc()
                    || end != value.data() + value.size() || n < 1) {
                    error = "--count must be a whole number of at least 1, not '" + value + "'";
                    return false;
                }
                w.count = n;
            }
            continue;
        }
        rest.push_back(a);
        if (eq == std::string::npos && i + 1 < args.size()) {
            for (const char* o : kPlotValueOptions) {
                if (name == o) {
                    rest.push_back(args[++i]);
                    break;
                }
            }
        }
    }
    return true;
}

// ---- signals ---------------------------------------------------------------

// SIGINT and SIGTERM stay blocked while a plot runs, so that no read or
// write of it is cut short, and are taken only while waiting for the next
// tick. The handler also writes to a pipe that the wait watches, which
// wakes it whichever thread the signal was delivered to.
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
        if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0)
            pipe_[0] = pipe_[1] = -1;
        g_wakeFd = pipe_[1];
        sigset_t stops;
        sigemptyset(&stops);
        sigaddset(&stops, SIGINT);
        sigaddset(&stops, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &stops, &previousMask_);
        waitMask_ = previousMask_;
        sigdelset(&waitMask_, SIGINT);
        sigdelset(&waitMask_, SIGTERM);
        struct sigaction action {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0; // no SA_RESTART: the wait returns at once
        sigaction(SIGINT, &action, &previousInt_);
        sigaction(SIGTERM, &action, &previousTerm_);
    }

    ~StopSignals()
    {
        // A signal still pending is taken by our handler, then the program's
        // own handlers come back.
        pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
        sigaction(SIGINT, &previousInt_, nullptr);
        sigaction(SIGTERM, &previousTerm_, nullptr);
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
            if (g_stop)
                return false;
            const auto now = std::chrono::steady_clock::now();
            if (now >= deadline)
                return true;
            const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - now).count();
            timespec timeout{static_cast<time_t>(left / 1000000000), static_cast<long>(left % 1000000000)};
            pollfd fd{pipe_[0], POLLIN, 0};
            // The steady clock is the monotonic clock that ppoll's timeout
            // runs on; the deadline itself is fixed, so early or late
            // returns never shift the ticks.
            ::ppoll(pipe_[0] >= 0 ? &fd : nullptr, pipe_[0] >= 0 ? 1 : 0, &timeout, &waitMask_);
        }
    }

private:
    int pipe_[2] = {-1, -1};
    sigset_t previousMask_{}, waitMask_{};
    struct sigaction previousInt_ {}, previousTerm_ {};
};

// ---- the watch -------------------------------------------------------------

std::string localTimeText()
{
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    char text[32];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &t);
    return std::string(text, n);
}

class Watch {
public:
    Watch(const PlotSettings& settings, const WatchOptions& options, CommandIo& io)
        : plotter_(settings), options_(options), target_(settings.files.front()), io_(io)
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
                report(!error.empty() ? error
                                      : "no light-curve file (LC*SFU*.txt or LC*ADU*.txt) in " + target_ + " yet");
                return false;
            }
        }
        FileState state;
        if (!fileState(path, state, error)) {
            report(error);
            return false;
        }
        if (!options_.always && plotted_ && state == last_)
            return false;

        const FilePlotter::Outcome prepared = plotter_.prepare(path);
        if (prepared.status == FilePlotter::Outcome::Unreadable) {
            report(prepared.message);
            return false;
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
        io_.out << localTimeText() << '\t' << path << '\t' << drawn.plotPath << '\t' << drawn.samples << '\n'
                << std::flush;
        // The plots are what matters; a log nobody can read is told once.
        if (!io_.out.good() && !outputLost_) {
            outputLost_ = true;
            io_.err << "quorva: cannot write to the standard output" << std::endl;
        }
        return true;
    }

private:
    void report(const std::string& message)
    {
        if (message == reported_)
            return;
        reported_ = message;
        io_.err << "quorva: " << message << std::endl;
    }

    FilePlotter plotter_;
    WatchOptions options_;
    std::string target_;
    bool folder_ = false;
    CommandIo& io_;
    FileState last_;
    bool plotted_ = false;
    std::string reported_;
    bool outputLost_ = false;
};

} // namespace

std::optional<double> parseInterval(std::string_view text)
{
    if (text.empty() || text.size() > 32)
        return std::nullopt;
    for (char c : text) {
        if ((c < '0' || c > '9') && c != '.')
            return std::nullopt;
    }
    double seconds = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seconds,
                                           std::chars_format::fixed);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(seconds))
        return std::nullopt;
    // Allow for the binary form of a decimal written at the lower end.
    if (seconds < kMinimumWatchInterval - 1e-9 || seconds > kMaximumWatchInterval)
        return std::nullopt;
    return seconds;
}

bool isLightCurveName(std::string_view fileName)
{
    return matchesMask(fileName, kSfuMask) || matchesMask(fileName, kAduMask);
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
    std::timespec bestTime{};
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (!isLightCurveName(name))
            continue;
        struct stat st;
        if (::fstatat(::dirfd(dir), entry->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode))
            continue;
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
    if (errno != 0 && best.empty())
        error = "cannot read the folder " + folder + ": " + std::strerror(errno);
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

int runWatch(const QStringList& arguments, const std::vector<std::string>& raw, CommandIo& io)
{
    WatchOptions w;
    std::vector<std::string> rest;
    std::string error;
    if (!takeWatchOptions(ownArguments(arguments, raw), w, rest, error))
        return usageError(io, error);
    if (w.help) {
        io.out << watchUsage();
        return kExitSuccess;
    }
    PlotSettings settings;
    bool help = false;
    if (!readPlotSettings(rest, settings, help, error))
        return usageError(io, error == "missing FILE" ? "missing FILE or DIR" : error);
    if (settings.files.size() != 1)
        return usageError(io, "one FILE or DIR only, not " + std::to_string(settings.files.size()));

    Watch watch(settings, w, io);
    StopSignals stops;
    using Clock = std::chrono::steady_clock;
    const auto interval = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(w.interval));
    const Clock::time_point start = Clock::now();
    long long plots = 0;
    for (long long k = 0;;) {
        if (watch.tick() && ++plots == w.count)
            break;
        if (stops.stopped())
            break;
        // The next point of the grid start + k * interval that lies ahead:
        // no drift, and ticks missed during a long plot are dropped.
        const auto now = Clock::now();
        ++k;
        if (start + k * interval <= now)
            k = (now - start) / interval + 1;
        if (!stops.waitUntil(start + k * interval))
            break;
    }
    return kExitSuccess;
}

} // namespace quorva
