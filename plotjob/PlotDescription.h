#pragma once
// The record one plot is made from. The main window keeps one for the whole
// run and fills it before every plot (RePlot); the plot sequence reads it.
// Texts are held whole, whatever their length.

#include <cstdint>
#include <string>
#include <string_view>

namespace quorva {

// Where and how large the screen window is: the plot position (top-left
// corner in screen pixels) and the plot-size divisors of the desktop width.
// Main-window state, read at every plot.
struct PlotGeometry {
    std::int32_t plotLeft = 0;
    std::int32_t plotTop = 0;
    float widthDivisor = 2.0f;                             // "Medium"
    float heightDivisor = static_cast<float>(1.414 * 2.0); // always 1.414 x widthDivisor
};

// Where a plot goes: the screen window or a file of one of three formats
// (the main window's output buttons, `--format` on the command line).
enum class OutputChoice { Screen, Pdf, Eps, Png };

// The engine's device keyword of an output: "XWIN", "PDF", "EPS", "PNG".
const char* deviceName(OutputChoice device) noexcept;

// How the axes are labelled: the classic page (the default), or round
// steps with times of day on the time axis (readable), with a linear or a
// logarithmic y axis.
enum class AxisStyle { Classic, Readable, ReadableLog };

// What the readable styles add to the axis settings; the classic page
// reads none of it. With ReadableLog the y range and step of the
// description are exponents: 1, 4, 1 is 10 to 10000 by decades.
struct ReadableLabels {
    std::string xLabels = "TIME"; // "TIME" (HH:MM) or "SECO" (HH:MM:SS)
    std::int32_t xTicks = 2;      // ticks per x label step (minor ticks between labels)
    std::int32_t yDigits = 1;     // y label decimals; -1 whole numbers
    std::int32_t yTicks = 2;      // ticks per y label step
};

class PlotDescription {
public:
    PlotDescription() = default;

    // Window size from the desktop width (both sides from the width):
    // trunc(desktopWidth / widthDivisor) by trunc(desktopWidth /
    // heightDivisor); text height back to 50. Changes nothing else.
    void reset(int desktopWidth, float widthDivisor, float heightDivisor) noexcept;
    void reset(int desktopWidth, const PlotGeometry& geometry) noexcept
    {
        reset(desktopWidth, geometry.widthDivisor, geometry.heightDivisor);
    }

    // Texts are copied unchanged; a '%' is an ordinary character.
    void setTitle(std::string_view text) { title.assign(text); }
    void setFileName(std::string_view text) { fileName.assign(text); }
    void setXName(std::string_view text) { xName.assign(text); }
    void setYName(std::string_view text) { yName.assign(text); }
    void setDevice(OutputChoice choice) noexcept { device = choice; }

    // The first label sits at `origin`, by default the axis start.
    void setXAxis(float from, float to, float step) noexcept { setXAxis(from, to, step, from); }
    void setXAxis(float from, float to, float step, float origin) noexcept
    {
        xFrom = from;
        xTo = to;
        xStep = step;
        xOrigin = origin;
    }
    void setYAxis(float from, float to, float step) noexcept
    {
        yFrom = from;
        yTo = to;
        yStep = step;
    }

    // The arrays are the light-curve arrays; nothing is copied.
    void setXValues(const float* values) noexcept { xValues = values; }
    void setY1Values(const float* values) noexcept { y1Values = values; }
    void setY2Values(const float* values) noexcept { y2Values = values; }
    void setY3Values(const float* values) noexcept { y3Values = values; }

    void setCurveThickness(std::int32_t n) noexcept { curveThickness = n; }
    void setPointCount(std::int32_t n) noexcept { pointCount = n; }
    // Written by the plot sequence (page background by device).
    void setPageFill(std::int32_t colour) noexcept { pageFill = colour; }

    std::string title;
    std::string fileName; // output file for file devices
    std::string xName;
    std::string yName;
    OutputChoice device = OutputChoice::Screen;
    std::int32_t winWidth = 0;
    std::int32_t winHeight = 0;
    std::int32_t pageFill = 0;
    std::int32_t textHeight = 0;
    float xFrom = 0.0f, xTo = 0.0f, xStep = 0.0f, xOrigin = 0.0f;
    float yFrom = 0.0f, yTo = 0.0f, yStep = 0.0f;
    const float* xValues = nullptr;
    const float* y1Values = nullptr;
    const float* y2Values = nullptr;
    const float* y3Values = nullptr;
    std::int32_t curveThickness = 0;
    std::int32_t pointCount = 0;
    AxisStyle axisStyle = AxisStyle::Classic;
    ReadableLabels readable; // read only when axisStyle is not Classic
};

} // namespace quorva
