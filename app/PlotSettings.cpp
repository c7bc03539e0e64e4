#include "app/PlotSettings.h"

#include "app/Configuration.h"
#include "lightcurve/FileNames.h"

#include <cerrno>
#include <cstring>
#include <string_view>

namespace quorva {
void applyConfiguration(PlotSettings& s, bool outputGiven, bool sizeGiven)
{
    if (outputGiven && sizeGiven) return;
    const Configuration c = readConfiguration();
    // The main window keeps the folder part of it (up to the last '/').
    if (!outputGiven) {
        s.outputFolder = c.outputFolder;
        if (!s.outputFolder.empty())
            s.outputFolderSource = "(output folder \"" + s.outputFolder + "\" from ./" + kConfigurationFileName + ")";
    }
    // An index outside 0..4 keeps "Medium", as in the main window.
    if (!sizeGiven && c.sizeIndex && *c.sizeIndex >= 0 && *c.sizeIndex < kPlotSizeCount) s.sizeIndex = *c.sizeIndex;
}

std::string readForCommand(LightCurve& lightCurve, const std::string& path, const TimeWindow& window, TimeAxis& axis)
{
    const ReadResult r = lightCurve.read(path);
    if (!r.opened)
        return "cannot open " + path + ": " + (r.openError == EINVAL ? "not a regular file" : std::strerror(r.openError));
    if (r.readError != 0) return "cannot read " + path + ": " + std::strerror(r.readError);
    if (lightCurve.timedSampleCount == 0) return "no samples in " + path;
    if (!window.asked()) return {};
    std::string message = applyWindow(lightCurve, window, axis);
    // Lines without a time of their own carry the one before them.
    if (message.empty() && lightCurve.timedSampleCount == 0) message = "no samples in the window in " + path;
    return message;
}

bool parseCount(std::string_view text, int minimum, int maximum, int& value) noexcept
{
    if (text.empty() || text.size() > 9) return false;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v < minimum || v > maximum) return false;
    value = v;
    return true;
}

std::optional<DesktopSize> parseDesktop(const std::string& text)
{
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return std::nullopt;
    DesktopSize d;
    if (!parseCount(std::string_view(text).substr(0, x), kMinimumDesktopSide, kMaximumDesktopSide, d.width)
        || !parseCount(std::string_view(text).substr(x + 1), kMinimumDesktopSide, kMaximumDesktopSide, d.height))
        return std::nullopt;
    return d;
}

std::string leftOutWarning(std::int32_t count, const std::string& path)
{
    return std::to_string(count) + (count == 1 ? " sample" : " samples")
        + " at or below 0 left out of the logarithmic axis in " + path;
}

} // namespace quorva
