#include "plotjob/PlotSequence.h"

#include "engine/Engine.h"

namespace quorva {

namespace {

// Screen and PNG start from a dark table, so they fill the page with
// colour 255 and draw the axes in black; PDF and EPS draw on paper, where
// the engine has swapped the first and last table entries.
bool lightPage(OutputChoice device) noexcept
{
    return device == OutputChoice::Screen || device == OutputChoice::Png;
}

// What the readable styles add to the axis settings: label forms, minor
// ticks, and curves that break where a logarithmic axis cannot show a
// value. The classic page makes exactly its 34 calls.
void readableAxisSettings(const PlotDescription& d)
{
    if (d.axisStyle == AxisStyle::Classic) return;
    zedozo::labels(d.readable.xLabels, "x");
    zedozo::ticks(d.readable.xTicks, "x");
    zedozo::ticks(d.readable.yTicks, "y");
    if (d.axisStyle == AxisStyle::ReadableLog) zedozo::loggap("ON");
}

} // namespace

void plot(PlotDescription& d, const PlotGeometry& g)
{
    const bool logY = d.axisStyle == AxisStyle::ReadableLog;
    zedozo::metafl(deviceName(d.device));                           // 1
    zedozo::window(g.plotLeft, g.plotTop, d.winWidth, d.winHeight); // 2
    zedozo::setfil(d.fileName);                                     // 3
    zedozo::filmod("DELETE");                                       // 4
    zedozo::disini();                                               // 5
    zedozo::winmod("NONE");                                         // 6
    zedozo::errmod("ALL", "OFF");                                   // 7
    zedozo::pagera();                                               // 8
    d.setPageFill(lightPage(d.device) ? 255 : 0);
    zedozo::pagfll(d.pageFill);                                                         // 9
    zedozo::hwfont();                                                                   // 10
    zedozo::height(d.textHeight);                                                       // 11
    zedozo::paghdr("VAXO", "Tervasol", 1, 1);                                           // 12
    zedozo::axspos(350, 1800);                                                          // 13
    zedozo::axslen(2200, 1600);                                                         // 14
    zedozo::name(d.xName, "x");                                                         // 15
    zedozo::name(d.yName, "y");                                                         // 16
    zedozo::titlin(d.title, 4);                                                         // 17
    zedozo::color(lightPage(d.device) ? "black" : "white");                             // 18
    zedozo::labdig(1, "x");                                                             // 19
    readableAxisSettings(d);                                                            // readable only
    zedozo::axsscl(logY ? "LOG" : "LIN", "y");                                          // 20
    zedozo::labdig(d.axisStyle == AxisStyle::Classic ? 1 : d.readable.yDigits, "y");    // 21
    zedozo::hname(55);                                                                  // 22
    zedozo::labels(logY ? "LOG" : "FLOAT", "y");                                        // 23
    zedozo::thkcrv(d.curveThickness);                                                   // 24
    zedozo::graf(d.xFrom, d.xTo, d.xOrigin, d.xStep, d.yFrom, d.yTo, d.yFrom, d.yStep); // 25
    zedozo::title();                                                                    // 26
    // Red, green, blue: blue lies on top where the curves overlap.
    zedozo::color("red");                               // 27
    zedozo::curve(d.xValues, d.y1Values, d.pointCount); // 28
    zedozo::color("green");                             // 29
    zedozo::curve(d.xValues, d.y2Values, d.pointCount); // 30
    zedozo::color("blue");                              // 31
    zedozo::curve(d.xValues, d.y3Values, d.pointCount); // 32
    zedozo::endgrf();                                   // 33
    zedozo::disfin();                                   // 34
}

} // namespace quorva
