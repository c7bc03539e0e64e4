#pragma once
// A time window of the command line: the samples of a light curve between
// two times of day (`plot`/`stats --from --to`), or the last minutes up to
// the newest sample (`watch --last`). The light curve keeps only the
// window's samples and derives its values from them (LightCurve::keepWindow),
// so the plot and the statistics show the window as they show a whole file.

#include "lightcurve/LightCurve.h"

#include <optional>
#include <string>
#include <string_view>

namespace quorva {

inline constexpr double kMinimumLastMinutes = 0.1;
inline constexpr double kMaximumLastMinutes = 1440.0;

struct TimeWindow {
    std::optional<double> from, to;    // hours UT; unset: open at that end
    std::optional<double> lastMinutes; // the minutes up to the newest sample
    std::string lastText;              // lastMinutes as written in the file name

    bool asked() const noexcept { return from || to || lastMinutes; }
};

// Hours UT as in the file ("10.5") or "HH:MM" / "HH:MM:SS", 0 to 24 hours.
std::optional<double> parseTimeOfDay(std::string_view text);

// Minutes from 0.1 to 1440 ("30", "0.5"); `canonical` gets the shortest
// decimal text of the value ("30.0" and "30" give "30", ".5" gives "0.5").
std::optional<double> parseLastMinutes(std::string_view text, std::string& canonical);

// "HH:MM:SS" of the nearest second.
std::string clockText(double hours);

// What the plot file name carries before its extension: "_103000-110000"
// (HHMMSS of the nearest second; an open end is left empty, "_103000-"),
// "_last30", or nothing without a window.
std::string windowNameSuffix(const TimeWindow& window);

// "10:30:00 to 11:00:00", "from 10:30:00", "up to 11:00:00", "last 30 minutes".
std::string windowText(const TimeWindow& window);

// The time axis of a windowed plot: the window itself (an open end at the
// whole hour around the data), a first label and a step of whole tenths
// of an hour, so that the one-decimal labels name their places.
struct TimeAxis {
    float from = 0.0f, to = 0.0f, step = 0.0f, origin = 0.0f;
};

// Keeps the window's samples in the light curve just read. Empty on
// success; else the message for the user ("no samples between 10:30:00 and
// 11:00:00 in PATH"), and the light curve holds no samples.
std::string applyWindow(LightCurve& lightCurve, const TimeWindow& window, TimeAxis& axis);

} // namespace quorva
