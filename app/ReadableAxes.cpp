#include "app/ReadableAxes.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace quorva {
namespace {

// Ticks per label step for each of kTimeSteps: minor ticks on the next
// smaller round time (5 s, 1 min, 5 min, 15 min, 1 h ...).
constexpr int kTimeTicks[] = {1, 2, 5, 2, 3, 3, 4, 2, 5, 2, 3, 3, 4, 2, 3, 4, 6};
static_assert(std::size(kTimeTicks) == std::size(kTimeSteps));

constexpr int kMostLabels = 10;
// "HH:MM:SS" is over half as wide again as "HH:MM": fewer of them fit side by side.
constexpr int kMostSecondLabels = 7;

// Times are float hours: a few milliseconds of rounding must not widen the
// axis by a whole step.
constexpr double kTimeSlackSeconds = 0.02;

} // namespace

ReadableTimeAxis readableTimeAxis(double fromHours, double toHours) noexcept
{
    if (!std::isfinite(fromHours) || !std::isfinite(toHours) || toHours < fromHours) fromHours = 0.0, toHours = 24.0;
    const double a = fromHours * 3600.0, b = toHours * 3600.0;
    ReadableTimeAxis axis;
    for (std::size_t i = 0; i < std::size(kTimeSteps); ++i) {
        const double s = kTimeSteps[i];
        double lo = std::floor((a + kTimeSlackSeconds) / s) * s;
        double hi = std::ceil((b - kTimeSlackSeconds) / s) * s;
        if (hi <= lo) hi = lo + s; // one instant: one step around it
        axis = {lo / 3600.0, hi / 3600.0, kTimeSteps[i], kTimeTicks[i], kTimeSteps[i] < 60};
        const int most = kTimeSteps[i] < 60 ? kMostSecondLabels : kMostLabels;
        if (std::lround((hi - lo) / s) + 1 <= most) break;
    }
    return axis;
}

ReadableValueAxis readableValueAxis(double lowest, double highest) noexcept
{
    if (!(lowest <= highest) || !std::isfinite(lowest) || !std::isfinite(highest)) lowest = 0.0, highest = 1.0;
    if (lowest == highest) {
        const double around = lowest != 0.0 ? std::fabs(lowest) * 0.1 : 1.0;
        lowest -= around, highest += around;
    }
    ReadableValueAxis axis;
    // From a step well under a tenth of the range upwards: 1, 2, 5 x 10^k.
    int k = static_cast<int>(std::floor(std::log10(highest - lowest))) - 2;
    for (int tries = 0; tries < 12; ++tries, ++k) {
        for (const int m : {1, 2, 5}) {
            // 10^k with k below 0 as a division, so that 0.1 is the nearest double to it.
            const double s = k >= 0 ? m * std::pow(10.0, k) : m / std::pow(10.0, -k);
            const double lo = std::floor(lowest / s + 1e-9) * s;
            const double hi = std::ceil(highest / s - 1e-9) * s;
            axis = {lo, hi, s, k < 0 ? -k : -1, m == 5 ? 5 : 2};
            if (std::lround((hi - lo) / s) + 1 <= kMostLabels) return axis;
        }
    }
    return axis;
}

ReadableValueAxis logarithmicValueAxis(double lowestPositive, double highest) noexcept
{
    if (!(lowestPositive > 0.0) || !std::isfinite(lowestPositive) || !(highest >= lowestPositive)
        || !std::isfinite(highest))
        lowestPositive = highest = 1.0;
    double a = std::floor(std::log10(lowestPositive) + 1e-9);
    double e = std::ceil(std::log10(highest) - 1e-9);
    if (e <= a) e = a + 1.0;
    // Every decade labelled up to 10 labels; more decades than that (values
    // far from any solar flux) are labelled every few.
    const double step = std::ceil((e - a) / (kMostLabels - 1));
    if (step > 1.0) a = std::floor(a / step) * step, e = std::ceil(e / step) * step;
    return {a, e, step, -1, step > 1.0 ? 1 : 9};
}

void setReadableAxes(PlotDescription& d, const LightCurve& lc, const std::optional<TimeAxis>& window, AxisStyle style)
{
    double from = 0.0, to = 24.0;
    const bool anySample = lc.sampleCount > 0 && lc.timeMin <= lc.timeMax;
    if (window) {
        from = window->from, to = window->to;
        // A window reaching past the day (the last 24 hours) shows the day,
        // not negative times, unless the data lie there.
        if (anySample) {
            from = std::max(from, std::min(0.0, static_cast<double>(lc.timeMin)));
            to = std::min(to, std::max(24.0, static_cast<double>(lc.timeMax)));
        }
    } else if (anySample) {
        from = lc.timeMin, to = lc.timeMax;
    }
    const ReadableTimeAxis t = readableTimeAxis(from, to);
    const float xFrom = static_cast<float>(t.from);
    d.setXAxis(xFrom, static_cast<float>(t.to), static_cast<float>(t.step()), xFrom);
    d.readable.xLabels = t.showSeconds ? "SECO" : "TIME";
    d.readable.xTicks = t.ticks;

    const ReadableValueAxis y = style == AxisStyle::ReadableLog ? logarithmicValueAxis(lc.lowestPositive, lc.highest)
                                                                : readableValueAxis(lc.lowest, lc.highest);
    d.setYAxis(static_cast<float>(y.from), static_cast<float>(y.to), static_cast<float>(y.step));
    d.readable.yDigits = y.digits;
    d.readable.yTicks = y.ticks;
}

} // namespace quorva
