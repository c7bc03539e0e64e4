#pragma once
// `quorva watch [--interval SECONDS] [--always] [--count N] [plot options]
//               FILE|DIR`
//
// Auto-plot without windows, for stations that publish their plots: every
// interval it runs the re-plot of `quorva plot` (same options, same output
// name) on FILE, or on the newest light-curve file in DIR
// ("LC*SFU*.txt" or "LC*ADU*.txt", any case). By default a tick re-plots
// only when the file changed since its last plot (another file, size or
// modification time); --always re-plots at every tick. The first tick comes
// at once; ticks follow on a fixed monotonic grid, and ticks missed during
// a long plot are skipped, not made up.
//
// One line per plot on stdout, tab-separated: local time of the plot, the
// light-curve file, the plot file written, the sample count. Failures go to
// stderr (the same failure once until something changes) and watching goes
// on. --count N ends after N plots; SIGINT and SIGTERM end it after the
// running plot is complete. Exit status 0, or 64 for bad usage.

#include "app/Cli.h"

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QStringList>

namespace quorva {

inline constexpr double kDefaultWatchInterval = 10.0; // seconds
inline constexpr double kMinimumWatchInterval = 0.05;
inline constexpr double kMaximumWatchInterval = 600.0;

int runWatch(const QStringList& arguments, const std::vector<std::string>& raw, CommandIo& io);

// A decimal number of seconds from 0.05 to 600 ("10", "0.5", ".25").
std::optional<double> parseInterval(std::string_view text);

// The unit's masks "LC*SFU*.txt" and "LC*ADU*.txt", letters in any case.
bool isLightCurveName(std::string_view fileName);

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
    std::timespec modified{};
    bool operator==(const FileState& o) const
    {
        return path == o.path && device == o.device && inode == o.inode && size == o.size
               && modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
    }
};
// False (and `error` set) when the path cannot be examined.
bool fileState(const std::string& path, FileState& state, std::string& error);

} // namespace quorva
