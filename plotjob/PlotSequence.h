#pragma once
// The plot sequence: the one place that talks to the plot engine. plot()
// turns the filled plot description into exactly one page on its device
// ("XWIN" screen window, "PDF", "EPS" or "PNG") with 34 engine calls from
// metafl to disfin, mostly with fixed arguments (page layout, axis position
// and length, label formats, text heights, curve colours). The readable
// axis styles add a few settings calls before graf (time-of-day labels,
// minor ticks, a logarithmic y axis); the classic style makes the 34 alone.
//
// It checks nothing and always runs all 34 calls; the engine reports bad
// values itself (its warnings are switched off right after disini). A file
// that could not be written is told by zedozo::lastFailure() afterwards.
//
// Its signature is the re-plot's plot step, so windows and command line
// share one path:
//   rePlot.setPlotStep(quorva::plot);

#include "plotjob/PlotDescription.h"

namespace quorva {

// Runs the sequence once, to its end. Writes description.pageFill (the only
// field it changes): 255 for the screen and PNG, 0 for PDF and EPS. Reads
// geometry.plotLeft and plotTop for the screen window's position.
void plot(PlotDescription& description, const PlotGeometry& geometry);

} // namespace quorva
