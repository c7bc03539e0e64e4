#include "app/Zoom.h"

#include "app/TextFormat.h"

#include <algorithm>
#include <cmath>

namespace quorva {

TimeWindow Zoom::window() const
{
    TimeWindow w;
    if (!active_) return w;
    if (following_) {
        w.lastMinutes = minutes_;
        w.lastText = minutesText_;
    } else {
        w.from = from_;
        w.to = to_;
    }
    return w;
}

double Zoom::from(double newest) const noexcept
{
    return following_ ? newest - minutes_ / 60.0 : from_;
}

double Zoom::to(double newest) const noexcept
{
    return following_ ? newest : to_;
}

std::string Zoom::text(double newest) const
{
    if (!active_) return {};
    std::string t = clockText(from(newest)) + " to " + clockText(to(newest)) + " UT";
    if (following_) t += " (last " + minutesText_ + " minutes)";
    return t;
}

bool Zoom::set(double from, double to, const FileSpan& file)
{
    if (!std::isfinite(from) || !std::isfinite(to) || !file.any) return false;
    if (to - from < kMinimumZoomHours) {
        const double middle = (from + to) / 2.0;
        from = middle - kMinimumZoomHours / 2.0;
        to = middle + kMinimumZoomHours / 2.0;
    }
    const Zoom before = *this;
    if (from <= file.first && to >= file.newest) {
        wholeFile();
    } else if (to >= file.newest) {
        // Like `watch --last`: whole tenths of a minute, which name the file.
        const double minutes
            = std::clamp(std::round((to - from) * 600.0) / 10.0, kMinimumLastMinutes, kMaximumLastMinutes);
        active_ = following_ = true;
        parseLastMinutes(formatText("%.1f", minutes), minutesText_);
        minutes_ = minutes;
        from_ = to_ = 0.0;
    } else {
        active_ = true;
        following_ = false;
        from_ = from;
        to_ = to;
        minutes_ = 0.0;
        minutesText_.clear();
    }
    return !(*this == before);
}

bool Zoom::choose(double from, double to, const FileSpan& file)
{
    return set(std::min(from, to), std::max(from, to), file);
}

bool Zoom::wheel(double at, int steps, const FileSpan& file)
{
    if (steps == 0 || !file.any) return false;
    // The whole file shows whole hours around its samples.
    const double a = active_ ? from(file.newest) : std::trunc(file.first);
    const double b = active_ ? to(file.newest) : std::trunc(file.newest) + 1.0;
    at = std::clamp(at, a, b);
    const double factor = std::pow(kWheelZoomFactor, steps);
    double from = at - (at - a) * factor, to = at + (b - at) * factor;
    if (steps < 0 && from < file.first && to < file.newest) { // out: keep to the samples
        to = std::min(file.newest, to + (file.first - from));
        from = file.first;
    }
    return set(from, to, file);
}

bool Zoom::pan(int direction, const FileSpan& file)
{
    if (!active_ || direction == 0 || !file.any) return false;
    if (following_ && direction > 0) return false; // already at the end
    const double a = from(file.newest), b = to(file.newest);
    const double shift = (b - a) / 2.0 * (direction > 0 ? 1.0 : -1.0);
    double from = a + shift, to = b + shift;
    if (from < file.first) { // held at the first sample
        to += file.first - from;
        from = file.first;
    }
    if (to >= file.newest) { // reached the end: follow it with the same length
        from = file.newest - (b - a);
        to = file.newest;
    }
    if (std::fabs(from - a) < 1e-9 && std::fabs(to - b) < 1e-9) return false;
    return set(from, to, file);
}

} // namespace quorva
