#pragma once
// The desktop's zoom: a time window over the light curve, chosen by a drag
// over the screen window's time axis, moved by the wheel and the arrow keys
// and left for the whole file again. Each re-plot applies it as the command
// line applies --from/--to (TimeWindow.h): the same kept samples, values,
// axis and file name. A window whose right end reaches the newest sample
// follows the growing file, as `watch --last` does, and is named like it.

#include "app/TimeWindow.h"

#include <string>

namespace quorva {

// The times of the whole file at its last read (before any window).
struct FileSpan {
    double first = 0.0, newest = 0.0; // hours UT
    bool any = false;                 // the file had samples
};

// Shorter windows are widened around their middle.
inline constexpr double kMinimumZoomHours = 10.0 / 3600.0;
// One wheel notch away from the user shows this part of the window.
inline constexpr double kWheelZoomFactor = 0.8;

class Zoom {
public:
    bool active() const noexcept { return active_; }
    bool following() const noexcept { return following_; }

    // What a re-plot applies; nothing asked for the whole file.
    TimeWindow window() const;
    // The window on the time axis when the newest sample is at `newest`.
    double from(double newest) const noexcept;
    double to(double newest) const noexcept;
    // "10:33:00 to 10:43:00 UT"; a following window adds "(last 15
    // minutes)". Empty for the whole file.
    std::string text(double newest) const;

    void wholeFile() noexcept { *this = Zoom(); }

    // Each returns whether the window changed.
    // The window from `from` to `to` (a drag).
    bool choose(double from, double to, const FileSpan& file);
    // `steps` wheel notches around the time `at`: positive in, negative out.
    // Out past the whole file is the whole file.
    bool wheel(double at, int steps, const FileSpan& file);
    // Half the window towards the end (+1) or the start (-1) of the file.
    bool pan(int direction, const FileSpan& file);

    bool operator==(const Zoom&) const = default;

private:
    bool set(double from, double to, const FileSpan& file);

    bool active_ = false;
    bool following_ = false;
    double from_ = 0.0, to_ = 0.0; // hours; a following window keeps only its length
    double minutes_ = 0.0;         // a following window's length
    std::string minutesText_;      // as the file name carries it
};

} // namespace quorva
