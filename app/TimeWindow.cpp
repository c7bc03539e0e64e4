#include "app/TimeWindow.h"

#include "app/TextFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace quorva {
namespace {

// Exactly two digits up to `limit`.
bool twoDigits(std::string_view text, int limit, int& value)
{
    if (text.size() != 2 || text[0] < '0' || text[0] > '9' || text[1] < '0' || text[1] > '9') return false;
    value = (text[0] - '0') * 10 + (text[1] - '0');
    return value <= limit;
}

long long nearestSecond(double hours)
{
    return std::llround(std::clamp(hours, -1.0e6, 1.0e6) * 3600.0);
}

std::string hhmmss(double hours, const char* separator)
{
    const long long s = nearestSecond(hours);
    const long long a = s < 0 ? -s : s;
    return formatText(
        "%s%02lld%s%02lld%s%02lld", s < 0 ? "-" : "", a / 3600, separator, a / 60 % 60, separator, a % 60);
}

} // namespace

std::optional<double> parseTimeOfDay(std::string_view text)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        const std::optional<double> hours = parseDecimal(text);
        if (!hours || *hours > 24.0) return std::nullopt;
        return hours;
    }
    const std::string_view h = text.substr(0, colon);
    std::string_view rest = text.substr(colon + 1);
    const std::size_t second = rest.find(':');
    int hh = 0, mm = 0, ss = 0;
    if (h.empty() || h.size() > 2 || h.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
    hh = h.size() == 1 ? h[0] - '0' : (h[0] - '0') * 10 + (h[1] - '0');
    if (!twoDigits(rest.substr(0, second), 59, mm)) return std::nullopt;
    if (second != std::string_view::npos && !twoDigits(rest.substr(second + 1), 59, ss)) return std::nullopt;
    const double hours = hh + mm / 60.0 + ss / 3600.0;
    if (hours > 24.0) return std::nullopt;
    return hours;
}

std::optional<double> parseLastMinutes(std::string_view text, std::string& canonical)
{
    const std::optional<double> minutes = parseDecimal(text);
    // Allow for the binary form of a decimal written at the lower end.
    if (!minutes || *minutes < kMinimumLastMinutes - 1e-9 || *minutes > kMaximumLastMinutes) return std::nullopt;
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, *minutes, std::chars_format::fixed);
    canonical.assign(buffer, ec == std::errc() ? end : buffer);
    return minutes;
}

std::string clockText(double hours)
{
    return hhmmss(hours, ":");
}

std::string windowNameSuffix(const TimeWindow& w)
{
    if (w.lastMinutes) return "_last" + w.lastText;
    if (!w.from && !w.to) return {};
    return "_" + (w.from ? hhmmss(*w.from, "") : "") + "-" + (w.to ? hhmmss(*w.to, "") : "");
}

std::string windowText(const TimeWindow& w)
{
    if (w.lastMinutes) return "last " + w.lastText + " minutes";
    if (w.from && w.to) return clockText(*w.from) + " to " + clockText(*w.to);
    if (w.from) return "from " + clockText(*w.from);
    return w.to ? "up to " + clockText(*w.to) : std::string();
}

std::string applyWindow(LightCurve& lc, const TimeWindow& w, TimeAxis& axis)
{
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    const bool anySample = lc.timeMin <= lc.timeMax;
    double from = w.from.value_or(-kInfinity);
    double to = w.to.value_or(kInfinity);
    if (w.lastMinutes) {
        to = static_cast<double>(lc.timeMax);
        from = to - *w.lastMinutes / 60.0;
    }
    lc.keepWindow(from, to);
    if (lc.sampleCount == 0) {
        const std::string where = " in " + lc.inputPath;
        if (w.lastMinutes || !anySample) return "no samples" + where;
        if (w.from && w.to) return "no samples between " + clockText(from) + " and " + clockText(to) + where;
        return "no samples " + (w.from ? "from " + clockText(from) + " on" : "up to " + clockText(to)) + where;
    }
    // Open ends at the whole hours around the data, as the whole file has.
    if (!w.from && !w.lastMinutes) from = std::trunc(static_cast<double>(lc.timeMin));
    if (!w.to && !w.lastMinutes) to = std::trunc(static_cast<double>(lc.timeMax)) + 1.0;
    if (!(to > from)) to = from + 1.0 / 3600.0;                         // one sample: a one-second axis around it
    const double tenths = std::max(1.0, std::ceil((to - from) - 1e-9)); // about ten labels at most
    const double step = tenths / 10.0;
    double origin = std::ceil(from / step - 1e-6) * step;
    if (origin > to) origin = from; // shorter than a step: the one label at the start
    axis = {static_cast<float>(from), static_cast<float>(to), static_cast<float>(step), static_cast<float>(origin)};
    return {};
}

} // namespace quorva
