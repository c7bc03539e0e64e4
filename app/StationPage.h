#pragma once
// The station page of `quorva watch --page`: beside each plot it publishes,
// the watch writes index.html (the plot with the statistics, refreshing
// itself) and stats.json (the JSON of `quorva stats --json` for the plot,
// plus what the page and a monitor need), and with --metrics a file in
// the Prometheus text format. Every file is written to a temporary file in
// its folder and renamed over the old one, as the plots are, so a web
// server never sends half a file.
//
// The page goes stale when the light-curve file has not grown for more
// than three intervals. The watch writes that state into the page itself;
// the page's script also works it out on its own from stats.json, so a
// visitor who left the page open sees it when the watch has stopped too.

#include "app/StatisticsTexts.h"
#include "app/StatsJson.h"
#include "app/TimeWindow.h"
#include "lightcurve/LightCurve.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorva {

inline constexpr int kStaleIntervals = 3;

// Everything one publication shows, taken from the light curve right
// after its plot, so that a later rewrite (the stale state) needs no read.
struct PageData {
    std::vector<JsonMember> stats; // as `quorva stats --json`, window keys included
    StatisticsTexts texts;
    std::string unit;                  // "SFU" or "ADU"
    std::string plotFile;              // the plot's name in the page's folder
    std::string windowText;            // "last 30 minutes"; empty without a window
    float frequency[3] {}, last[3] {}; // MHz; the channels' last values
    float timeMin = 0, timeMax = 0;    // hours UT
    std::int32_t sampleCount = 0;
    float lastTime = 0;                  // hours UT of the last sample (0 without one)
    std::optional<double> lastTimestamp; // Unix seconds of it, when the file name has the date
    long long updated = 0;               // Unix seconds of the plot (SOURCE_DATE_EPOCH when set)
    long long plotCount = 0;             // plots published by this watch
    double interval = 10;                // seconds between two looks
    double sinceGrowth = 0;              // seconds since the file last grew, when written
    bool stale = false;
};

// The data of the plot just made from `lightCurve` (its samples as
// plotted, after any window) into `plotPath`.
PageData pageData(const LightCurve& lightCurve, const TimeWindow& window, std::string_view plotPath,
    std::string_view unit, double interval);

// The three files, from the data alone.
std::string stationPageHtml(const PageData& data);
std::string stationPageJson(const PageData& data);
std::string prometheusMetrics(const PageData& data);

// "No new samples since HH:MM:SS UT" for the last sample at `hours`.
std::string staleText(float hours);

// The time a plot carries: SOURCE_DATE_EPOCH when set, else the clock.
long long plotTime();

// Unix seconds of the time `hours` UT on the date a light-curve file name
// carries after its "LC" (LCYYYYMMDD...); nothing for other names.
std::optional<double> timestampFromFileName(std::string_view path, float hours);

// Writes `content` to a temporary file in the folder of `path`, then
// renames it over `path`. Empty on success, else the reason.
std::string writeAtomically(const std::string& path, std::string_view content);

// What the watch keeps between its ticks for the page and the metrics.
class StationPublisher {
public:
    // The page goes beside each plot; `metricsPath` empty: no metrics.
    StationPublisher(bool page, std::string metricsPath, double interval);

    // At every look at the file: its path, size and modification time.
    // Tells growth from a file that only stands still.
    void looked(const std::string& path, long long size, const std::timespec& modified);

    // After a plot: publishes it. Empty, or the messages of what failed.
    std::string published(
        const LightCurve& lightCurve, const TimeWindow& window, const std::string& plotPath, std::string_view unit);

    // At a look without a plot: rewrites the page once it turns stale (or
    // fresh again). Empty, or the messages of what failed.
    std::string idle();

    bool active() const noexcept { return page_ || !metricsPath_.empty(); }

private:
    double sinceGrowth() const;
    std::string writePage();

    bool page_;
    std::string metricsPath_;
    double interval_;
    std::string pageFolder_;
    std::optional<PageData> data_;
    long long plots_ = 0;
    std::string lastPath_;
    long long lastSize_ = -1;
    std::timespec grewAt_ {};
};

} // namespace quorva
