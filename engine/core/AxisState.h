#pragma once
// Axis settings of the engine state: position and lengths of the axis
// system, and per axis (X, Y, Z) scaling, labels, ticks and name. Set to the
// defaults by axisDefaults() at disini (Axis.cpp); the mapping that graf
// fixes lives in UserMapping (EngineState.h).

#include <cstddef>
#include <string>

namespace zedozo {

// Longest axis name kept; the rest of a longer name is ignored.
inline constexpr std::size_t kAxisNameChars = 132;

// Label types of `labels`, numbered as its keyword table.
inline constexpr int kLabelNone = 0;
inline constexpr int kLabelFloat = 1;
inline constexpr int kLabelLog = 3;      // powers of ten: the axis value is the exponent
inline constexpr int kLabelTime = 9;     // hours as a time of day "HH:MM"
inline constexpr int kLabelHour = 10;    // hours as "HH"
inline constexpr int kLabelSeconds = 11; // hours as a time of day "HH:MM:SS"

// What a side of the axis rectangle carries.
inline constexpr int kSideNothing = 0;
inline constexpr int kSideLine = 1;
inline constexpr int kSideTicks = 2;
inline constexpr int kSideLabels = 3;
inline constexpr int kSideName = 4;

// The settings of one axis.
struct AxisSettings {
    int scaling = 0;             // 0 linear, 1 logarithmic (axsscl)
    int labelType = kLabelFloat; // labels: 0 none, 1 float, 2.. other forms
    bool plainNumbers = true;    // FLOAT: no powers of ten, no time or map form
    int digits = 1;              // labdig: -1 integer, 0.. digits after the point
    int ticksPerStep = 2;        // ticks per label step (ticks)
    bool lineDrawn = true;       // axis line
    std::string name;            // up to kAxisNameChars characters
    int tickPosition = 0;        // 0 outside (label side), 1 inside, 2 centred
    int labelDistance = 24;
    int labelJustification = 0; // 0 automatic (1, 3, 4 align the y labels)
    int labelSelection = 0;     // 0 all, 1 without the first, 2 without the last, 3 without both
    int nameDistance = 30;
    int nameJustification = 0; // 0 centred, 1 at the start, 2 at the end
    int lineColour = -1;       // colours: -1 the current colour
    int tickColour = -1;
    int labelColour = -1;
    int nameColour = -1;
};

struct AxisState {
    int posX = 494; // lower left corner of the axis system
    int posY = 1799;
    int lenX = 1980; // axis lengths, plot units
    int lenY = 1400;
    AxisSettings axis[3]; // X, Y, Z
    int minorTick = 16;   // tick lengths
    int majorTick = 24;
    int nameHeight = 36;        // hname
    int modeLowerX = kSideName; // side modes
    int modeLeftY = kSideName;
    int modeUpperX = kSideTicks;
    int modeRightY = kSideTicks;
    int frameThickness = 1;
    int frameColour = -1;
    int backgroundColour = -1;            // -1: no fill
    int otherDigits[5] = {1, 1, 1, 1, 1}; // labdig of BAR, CON, PIE, DAT, PER (other plot kinds)

    // Direction of the next tick line. One for the whole process, so that a
    // pen plotter moves little between ticks: never reset by disini.
    bool tickReversed = false;
};

} // namespace zedozo
