#include "app/StatisticsTexts.h"

#include "app/TextFormat.h"
#include "lightcurve/FileNames.h"

namespace quorva {

StatisticsTexts statisticsTexts(const LightCurve& lc, std::string_view selectedPath, std::string_view unitText)
{
    const std::string unit(unitText);
    auto value = [&unit](float v) { return formatText("%6.2f %s", static_cast<double>(v), unit.c_str()); };
    auto frequency = [](float v) { return formatText("%6.2f MHz", static_cast<double>(v)); };

    StatisticsTexts t;
    t.fileName.assign(fileNamePart(selectedPath));
    t.channel[0] = {frequency(lc.freq1), value(lc.last1), value(lc.min1), value(lc.max1)};
    t.channel[1] = {frequency(lc.freq2), value(lc.last2), value(lc.min2), value(lc.max2)};
    t.channel[2] = {frequency(lc.freq3), value(lc.last3), value(lc.min3), value(lc.max3)};
    t.timeCaption = "Time";
    t.timeMin = formatText("%6.2f UT", static_cast<double>(lc.timeMin));
    t.timeMax = formatText("%6.2f UT", static_cast<double>(lc.timeMax));
    t.countsCaption = "Data Points";
    t.count = formatText("%i", static_cast<int>(lc.sampleCount));
    return t;
}

} // namespace quorva
