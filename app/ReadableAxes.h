#pragma once
// Axes a reader can read closely, for the readable axis styles: a time axis
// on round steps labelled with times of day, a y axis on steps of 1, 2 or
// 5 x 10^k over the samples' own extremes, or by decades on a logarithmic
// axis. RePlot::fill puts them into the plot description for every style
// but the classic one.

#include "app/TimeWindow.h"
#include "lightcurve/LightCurve.h"
#include "plotjob/PlotDescription.h"

#include <optional>

namespace quorva {

// Label steps of the time axis, seconds: 1, 2, 5, 10, 15, 30 s; 1, 2, 5,
// 10, 15, 30 min; 1, 2, 3, 4, 6 h.
inline constexpr int kTimeSteps[]
    = {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 10800, 14400, 21600};

struct ReadableTimeAxis {
    double from = 0.0, to = 0.0; // hours UT, on whole steps
    int stepSeconds = 3600;
    int ticks = 1;            // ticks per step: ticks - 1 minor ticks between two labels
    bool showSeconds = false; // "HH:MM:SS" (a step under a minute), else "HH:MM"
    double step() const noexcept { return stepSeconds / 3600.0; }
};

// The smallest step that puts at most 10 labels on the span widened to
// whole steps (7 of the wider "HH:MM:SS"); from 30 s to 24 h that gives 4
// to 10. A span that is empty or not finite gives the whole day.
ReadableTimeAxis readableTimeAxis(double fromHours, double toHours) noexcept;

struct ReadableValueAxis {
    double from = 0.0, to = 1.0, step = 1.0; // on a logarithmic axis: exponents
    int digits = -1;                         // decimals of the labels; -1 whole numbers
    int ticks = 2;
};

// From a step-multiple at or below `lowest` to one at or above `highest`,
// the step 1, 2 or 5 x 10^k that gives 4 to 10 labels, as many decimals as
// the step needs. Equal values get a range around them; none (lowest >
// highest) gives 0 to 1.
ReadableValueAxis readableValueAxis(double lowest, double highest) noexcept;

// Decades from the one at or below `lowestPositive` to the one at or above
// `highest`, labelled every decade (every few when there are more than 10).
// Without a positive value: 1 to 10.
ReadableValueAxis logarithmicValueAxis(double lowestPositive, double highest) noexcept;

// The axes of a readable style for the light curve: the time axis over the
// window when there is one (`window`, as the window's classic axis has it),
// else over the data; the y axis over the samples of all three channels.
void setReadableAxes(
    PlotDescription& description, const LightCurve& lightCurve, const std::optional<TimeAxis>& window, AxisStyle style);

} // namespace quorva
