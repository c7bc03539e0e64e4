#pragma once
// The texts of the statistics window, formatted from the values the reader
// left behind. The window and `quorva stats` show the same texts.

#include "lightcurve/LightCurve.h"

#include <string>
#include <string_view>

namespace quorva {

struct ChannelTexts {
    std::string frequency; // "%6.2f MHz"
    std::string last;      // "%6.2f %s" with the unit
    std::string minimum;
    std::string maximum;
};

struct StatisticsTexts {
    std::string fileName; // of the selected file, without folders
    ChannelTexts channel[3];
    std::string timeCaption; // "Time"
    std::string timeMin;     // "%6.2f UT"
    std::string timeMax;
    std::string countsCaption; // "Data Points"
    std::string count;         // "%i"
};

StatisticsTexts statisticsTexts(const LightCurve& lightCurve, std::string_view selectedPath, std::string_view unitText);

} // namespace quorva
