#pragma once
// Auto-plot, plot size and plot position: the rules behind the main
// window's groups "AutoPlot", "Plot Size" and "Change Plot Position", kept
// free of any toolkit so that the desktop program and the command line
// (`watch`) follow the same rules.
//
// - Plot size: five entries, each a pair of divisors of the desktop WIDTH
//   (the height divisor is always 1.414 x the width divisor); the screen
//   window is trunc(width / widthDivisor) by trunc(width / heightDivisor).
// - Plot position: starts in the bottom-right corner; four moves by a fine
//   (width / 200) or coarse (width / 20) step, held at 0 on the left and top
//   and at the limits of the current size on the right and bottom.
// - Auto-plot: an interval of 1 to 600 seconds and the Run/Stop state.
// - RePlotGate: a re-plot asked for while one runs (the screen window hands
//   on waiting window events during a plot) is remembered and run once
//   after the current one returns, never inside it.

#include "plotjob/PlotDescription.h"

#include <cstdint>
#include <functional>
#include <string>

namespace quorva {

// The pixel size of the whole desktop, read afresh at each use.
struct DesktopSize {
    int width = 0;
    int height = 0;
};

// ---- plot size -------------------------------------------------------------

inline constexpr int kPlotSizeCount = 5;
inline constexpr int kMediumPlotSize = 2;

// "Extra Small", "Small", "Medium", "Large", "Extra Large"; null outside 0..4.
const char* plotSizeName(int index) noexcept;

// Sets the divisors of the entry; false (and nothing changed) outside 0..4.
bool applyPlotSize(int index, PlotGeometry& geometry) noexcept;

struct WindowSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};
// The screen window's size for the divisors: both sides from the desktop width.
WindowSize windowSize(int desktopWidth, const PlotGeometry& geometry) noexcept;

std::string heightText(std::int32_t height); // "h=%i px"
std::string widthText(std::int32_t width);   // "w=%i px"

// ---- plot position ---------------------------------------------------------

enum class Move { Up, Down, Left, Right };

// desktop width / 20 when coarse, else / 200 (integer division).
std::int32_t positionStep(int desktopWidth, bool coarse) noexcept;

// Bottom-right corner of the desktop for the current size.
void startPosition(PlotGeometry& geometry, DesktopSize desktop) noexcept;

// One move by `step`; the limits are those of the current size.
void movePosition(PlotGeometry& geometry, Move move, std::int32_t step, DesktopSize desktop) noexcept;

// ---- auto-plot -------------------------------------------------------------

inline constexpr int kMinimumInterval = 1;   // seconds
inline constexpr int kMaximumInterval = 600; // seconds

// The interval spin box's range: values outside 1..600 go to the nearer end.
int clampInterval(std::int64_t seconds) noexcept;

// The auto-plot timer's state: off at start; Run/Stop toggles it.
class AutoPlot {
public:
    explicit AutoPlot(int intervalSeconds = 10) noexcept : interval_(clampInterval(intervalSeconds)) { }

    bool running() const noexcept { return running_; }
    // "Stop" while running, "Run" otherwise.
    const char* buttonCaption() const noexcept { return running_ ? "Stop" : "Run"; }
    // Run becomes Stop and the other way round.
    void toggle() noexcept { running_ = !running_; }

    int intervalSeconds() const noexcept { return interval_; }
    int intervalMilliseconds() const noexcept { return interval_ * 1000; }
    // Returns the interval actually in force (clamped).
    int setIntervalSeconds(std::int64_t seconds) noexcept { return interval_ = clampInterval(seconds); }

private:
    int interval_;
    bool running_ = false;
};

// ---- coalescing of re-plot requests ----------------------------------------

// Every re-plot request goes through request(). Outside a re-plot it runs
// the re-plot at once. Inside one (a timer tick, a click or the dialog's file
// click dispatched while the screen window updates) it only remembers the
// request; when the running re-plot returns, the remembered requests run as
// ONE more re-plot, which reads the controls as they are by then.
class RePlotGate {
public:
    explicit RePlotGate(std::function<void()> rePlot) : rePlot_(std::move(rePlot)) { }
    RePlotGate(const RePlotGate&) = delete;
    RePlotGate& operator=(const RePlotGate&) = delete;

    // True when the re-plot ran (with any requests that arrived meanwhile),
    // false when it was remembered for the re-plot in progress.
    bool request();

    bool running() const noexcept { return running_; }
    bool pending() const noexcept { return pending_; }
    // Re-plots run so far, deferred ones included.
    std::uint64_t runs() const noexcept { return runs_; }

private:
    std::function<void()> rePlot_;
    bool running_ = false;
    bool pending_ = false;
    std::uint64_t runs_ = 0;
};

} // namespace quorva
