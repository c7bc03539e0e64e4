#include "app/RePlot.h"

#include "app/Latin1Text.h"
#include "app/ReadableAxes.h"
#include "app/TextFormat.h"
#include "lightcurve/Ascii.h"
#include "lightcurve/FileNames.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace quorva {
namespace {

// Cut toward zero; -0 becomes 0 as it would through an integer.
double whole(double v) noexcept
{
    return std::trunc(v) + 0.0;
}

// The y range and label step: start and end cut to integers, the step
// their difference over 10 in integer division. A step of 0 for a range
// that is not empty (under 10 units) would leave the page without axes and
// curves, so such a range gets a tenth of itself as a fractional step.
void yAxis(float bottom, float top, float& start, float& end, float& step) noexcept
{
    constexpr double kLimit = 4.0e18; // integers well inside int64
    const double s = whole(bottom);
    const double e = whole(top);
    double integerStep;
    if (std::isfinite(s) && std::isfinite(e) && std::fabs(s) < kLimit && std::fabs(e) < kLimit) {
        const std::int64_t si = static_cast<std::int64_t>(s);
        const std::int64_t ei = static_cast<std::int64_t>(e);
        integerStep = static_cast<double>((ei - si) / 10);
    } else {
        integerStep = whole((e - s) / 10.0);
    }
    start = static_cast<float>(s);
    end = static_cast<float>(e);
    step = static_cast<float>(integerStep);
    if (step == 0.0f && e > s) step = static_cast<float>((e - s) / 10.0);
}

} // namespace

const char* plotFileExtension(OutputChoice choice) noexcept
{
    return choice == OutputChoice::Screen ? "PNG" : deviceName(choice);
}

std::optional<OutputChoice> outputChoiceFromName(std::string_view name) noexcept
{
    if (equalsIgnoringCase(name, "Screen")) return OutputChoice::Screen;
    if (equalsIgnoringCase(name, "PDF")) return OutputChoice::Pdf;
    if (equalsIgnoringCase(name, "EPS")) return OutputChoice::Eps;
    if (equalsIgnoringCase(name, "PNG")) return OutputChoice::Png;
    return std::nullopt;
}

std::int32_t integerFromText(std::string_view text) noexcept
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    constexpr std::int64_t kCap = std::int64_t {1} << 40; // far past int32, no overflow
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value < kCap) value = value * 10 + (text[i] - '0');
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

RePlot::Result RePlot::run(const RePlotRequest& request)
{
    Result result;
    if (running_) {
        result.skipped = true;
        return result;
    }
    struct RunningScope {
        bool& flag;
        explicit RunningScope(bool& f) : flag(f) { flag = true; }
        ~RunningScope() { flag = false; }
    } scope(running_);

    result.read = lightCurve_.read(request.selectedPath);
    result.fileTimeMin = lightCurve_.timeMin;
    result.fileTimeMax = lightCurve_.timeMax;
    result.fileSamples = lightCurve_.sampleCount;
    // A time window keeps only its samples, and the plot is named and
    // scaled after it, as on the command line.
    std::optional<RePlotRequest> windowed;
    if (request.window.asked() && lightCurve_.sampleCount > 0) {
        TimeAxis axis;
        result.windowMessage = applyWindow(lightCurve_, request.window, axis);
        if (!result.windowMessage.empty()) return result;
        windowed = request;
        windowed->nameSuffix = windowNameSuffix(request.window);
        windowed->timeAxis = axis;
    }
    if (refresh_) refresh_();
    fill(windowed ? *windowed : request);
    if (plot_) {
        plot_(description_, geometry_);
        result.plotted = true;
    }
    return result;
}

void RePlot::fill(const RePlotRequest& request)
{
    const LightCurve& lc = lightCurve_;
    PlotDescription& d = description_;

    // The description refers to the light-curve arrays.
    d.setPointCount(lc.sampleCount);
    d.setXValues(lc.times.data());
    d.setY1Values(lc.values1.data());
    d.setY2Values(lc.values2.data());
    d.setY3Values(lc.values3.data());

    // The time axis: whole hours around the data.
    const float xStart = static_cast<float>(whole(static_cast<double>(lc.timeMin)));
    const float xEnd = static_cast<float>(whole(static_cast<double>(lc.timeMax)) + 1.0);

    // Title and axis names.
    const std::string fileName(fileNamePart(request.selectedPath));
    const std::string titleName = engineTextFromUtf8(fileName);
    d.setTitle(formatText("%s:r=%6.2fMHz, g=%6.2fMHz, b=%6.2fMHz", titleName.c_str(), static_cast<double>(lc.freq1),
        static_cast<double>(lc.freq2), static_cast<double>(lc.freq3)));
    d.setXName("Time [UT]");
    d.setYName("[" + request.unitText + "]");

    // The y range, and the output file name "%sPlot_%s.%s".
    float yStart, yEnd, yStep;
    yAxis(lc.yBottom, lc.yTop, yStart, yEnd, yStep);
    std::string outputName(folderPart(request.outputFolder));
    outputName += "Plot_";
    outputName += fileName;
    outputName += request.nameSuffix;
    outputName += '.';
    outputName += plotFileExtension(request.output);
    d.setFileName(outputName);

    // Thickness, the axes (a time window's own time axis), device.
    d.setCurveThickness(request.thickness);
    if (const std::optional<TimeAxis>& t = request.timeAxis)
        d.setXAxis(t->from, t->to, t->step, t->origin);
    else
        d.setXAxis(xStart, xEnd, static_cast<float>(static_cast<double>(xEnd - xStart) * 0.1));
    d.setYAxis(yStart, yEnd, yStep);
    d.setDevice(request.output);
    d.axisStyle = request.axisStyle;
    if (request.axisStyle != AxisStyle::Classic) setReadableAxes(d, lc, request.timeAxis, request.axisStyle);
}

} // namespace quorva
