#include "app/AutoPlot.h"

#include "app/TextFormat.h"

#include <cmath>
#include <limits>

namespace quorva {
namespace {

struct PlotSizeEntry {
    const char* name;
    float widthDivisor;
};

constexpr PlotSizeEntry kPlotSizes[kPlotSizeCount] = {
    {"Extra Small", 4.0f},
    {"Small", 3.0f},
    {"Medium", 2.0f},
    {"Large", 1.0f},
    {"Extra Large", 0.5f},
};

// Cut toward zero into 32 bits; values beyond the range stay at its ends.
std::int32_t truncated(double v) noexcept
{
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (v <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

double rightLimit(const PlotGeometry& g, DesktopSize d) noexcept
{
    return static_cast<double>(d.width) - static_cast<double>(d.width) / static_cast<double>(g.widthDivisor);
}

double bottomLimit(const PlotGeometry& g, DesktopSize d) noexcept
{
    return static_cast<double>(d.height) - static_cast<double>(d.width) / static_cast<double>(g.heightDivisor);
}

} // namespace

const char* plotSizeName(int index) noexcept
{
    if (index < 0 || index >= kPlotSizeCount) return nullptr;
    return kPlotSizes[index].name;
}

bool applyPlotSize(int index, PlotGeometry& geometry) noexcept
{
    if (index < 0 || index >= kPlotSizeCount) return false;
    geometry.widthDivisor = kPlotSizes[index].widthDivisor;
    // The product in double precision, stored as a float: 1.414 : 1 windows.
    geometry.heightDivisor = static_cast<float>(1.414 * static_cast<double>(geometry.widthDivisor));
    return true;
}

WindowSize windowSize(int desktopWidth, const PlotGeometry& geometry) noexcept
{
    const double w = desktopWidth;
    return {truncated(w / static_cast<double>(geometry.widthDivisor)),
        truncated(w / static_cast<double>(geometry.heightDivisor))};
}

std::string heightText(std::int32_t height)
{
    return formatText("h=%i px", static_cast<int>(height));
}

std::string widthText(std::int32_t width)
{
    return formatText("w=%i px", static_cast<int>(width));
}

std::int32_t positionStep(int desktopWidth, bool coarse) noexcept
{
    return desktopWidth / (coarse ? 20 : 200);
}

void startPosition(PlotGeometry& geometry, DesktopSize desktop) noexcept
{
    geometry.plotLeft = truncated(rightLimit(geometry, desktop));
    geometry.plotTop = truncated(bottomLimit(geometry, desktop));
}

void movePosition(PlotGeometry& geometry, Move move, std::int32_t step, DesktopSize desktop) noexcept
{
    // In 64 bits: a position past the desktop plus a step must not wrap.
    const std::int64_t s = step;
    switch (move) {
    case Move::Up:
        geometry.plotTop = geometry.plotTop - s < 0 ? 0 : static_cast<std::int32_t>(geometry.plotTop - s);
        break;
    case Move::Left:
        geometry.plotLeft = geometry.plotLeft - s < 0 ? 0 : static_cast<std::int32_t>(geometry.plotLeft - s);
        break;
    case Move::Down: {
        const double limit = bottomLimit(geometry, desktop);
        if (static_cast<double>(geometry.plotTop + s) > limit)
            geometry.plotTop = truncated(limit);
        else
            geometry.plotTop = static_cast<std::int32_t>(geometry.plotTop + s);
        break;
    }
    case Move::Right: {
        const double limit = rightLimit(geometry, desktop);
        if (static_cast<double>(geometry.plotLeft + s) > limit)
            geometry.plotLeft = truncated(limit);
        else
            geometry.plotLeft = static_cast<std::int32_t>(geometry.plotLeft + s);
        break;
    }
    }
}

int clampInterval(std::int64_t seconds) noexcept
{
    if (seconds < kMinimumInterval) return kMinimumInterval;
    if (seconds > kMaximumInterval) return kMaximumInterval;
    return static_cast<int>(seconds);
}

bool RePlotGate::request()
{
    if (running_) {
        pending_ = true;
        return false;
    }
    struct Running {
        RePlotGate& gate;
        explicit Running(RePlotGate& g) : gate(g) { gate.running_ = true; }
        // A re-plot that throws takes the remembered requests with it.
        ~Running()
        {
            gate.running_ = false;
            gate.pending_ = false;
        }
    } running(*this);
    do {
        pending_ = false;
        ++runs_;
        if (rePlot_) rePlot_();
    } while (pending_);
    return true;
}

} // namespace quorva
