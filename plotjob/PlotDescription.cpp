#include "plotjob/PlotDescription.h"

#include <cmath>
#include <limits>

namespace quorva {
namespace {

// Cut toward zero into an int32; a quotient beyond its range (a zero or
// tiny divisor) saturates instead of being undefined.
std::int32_t truncatedPixels(double v) noexcept
{
    if (std::isnan(v)) return 0;
    const double t = std::trunc(v);
    if (t >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (t <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(t);
}

} // namespace

void PlotDescription::reset(int desktopWidth, float widthDivisor, float heightDivisor) noexcept
{
    const double width = desktopWidth;
    winWidth = truncatedPixels(width / static_cast<double>(widthDivisor));
    winHeight = truncatedPixels(width / static_cast<double>(heightDivisor));
    textHeight = 50;
}

const char* deviceName(OutputChoice device) noexcept
{
    switch (device) {
    case OutputChoice::Pdf:
        return "PDF";
    case OutputChoice::Eps:
        return "EPS";
    case OutputChoice::Png:
        return "PNG";
    case OutputChoice::Screen:
        break;
    }
    return "XWIN";
}

} // namespace quorva
