#pragma once
// Auto-plot without windows, for stations that publish their plots: every
// interval it runs the re-plot of FilePlotter (same settings, same output
// name) on a file, or on the newest light-curve file in a folder
// ("LC*SFU*.txt" or "LC*ADU*.txt", any case). By default a tick re-plots
// only when the file changed since its last plot (another file, size or
// modification time); `always` re-plots at every tick. The first tick comes
// at once; ticks follow on a fixed monotonic grid, and ticks missed during
// a long plot are skipped, not made up.
//
// One line per plot on `out`, tab-separated: local time of the plot, the
// light-curve file, the plot file written, the number of samples (data
// lines whose time parses). Failures go to `err` (the same failure once
// until something changes) and watching goes on; a file without samples
// is such a failure (the observation may not have started), and the plot
// published before it stays. `count` ends it after that many plots;
// SIGINT, SIGTERM and SIGHUP end it after the running plot is complete. A
// log line that cannot be written ends it too.
// With `page` each plot is published with the station page beside it, with
// `metricsPath` also as metrics (app/StationPage.h).

#include "app/FilePlotter.h"

#include <ctime>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace quorva {

inline constexpr double kDefaultWatchInterval = 10.0; // seconds
inline constexpr double kMinimumWatchInterval = 0.05;
inline constexpr double kMaximumWatchInterval = 600.0;

struct WatchOptions {
    double interval = kDefaultWatchInterval;
    bool always = false;
    long long count = 0;     // 0: no end
    bool page = false;       // index.html and stats.json beside the plot
    std::string metricsPath; // Prometheus text file; empty: none
};

// Watches settings.files.front(), a file or a folder, until `count` plots
// or a stop signal; false when it ended because `out` could not be written
// (told on `err` as "quorva: cannot write to standard output: REASON").
bool watch(const PlotSettings& settings, const WatchOptions& options, std::ostream& out, std::ostream& err);

// A decimal number of seconds from 0.05 to 600 ("10", "0.5", ".25").
std::optional<double> parseInterval(std::string_view text);

// The newest regular file in `folder` whose name passes isLightCurveName:
// latest modification time, of equal times the greatest name. Its path is
// folder + "/" + name; empty when there is none. `error` gets the reason
// when the folder cannot be read.
std::string newestLightCurve(const std::string& folder, std::string& error);

// What tells one state of a file from the next: the file itself, its size
// and its modification time.
struct FileState {
    std::string path;
    unsigned long long device = 0, inode = 0;
    long long size = 0;
    std::timespec modified {};
    bool operator==(const FileState& o) const
    {
        return path == o.path && device == o.device && inode == o.inode && size == o.size
            && modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
    }
};
// False (and `error` set) when the path cannot be examined.
bool fileState(const std::string& path, FileState& state, std::string& error);

} // namespace quorva
