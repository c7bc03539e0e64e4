#include "app/FilePlotter.h"

#include "engine/Engine.h"
#include "lightcurve/FileNames.h"
#include "plotjob/PlotSequence.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

namespace quorva {

FilePlotter::FilePlotter(const PlotSettings& s)
    : unit_(s.unit), window_(s.window), outputFile_(s.outputFile),
      folderSource_(s.outputFile.empty() ? s.outputFolderSource : "")
{
    PlotGeometry& g = rePlot_.geometry();
    applyPlotSize(s.sizeIndex, g);
    // The screen window's start position; only its size matters for a file,
    // but a position off the desktop (the larger sizes) would make the
    // engine refuse the whole window request and fall back to its default
    // page size.
    startPosition(g, s.desktop);
    if (g.plotLeft < 0) g.plotLeft = 0;
    if (g.plotTop < 0) g.plotTop = 0;
    rePlot_.description().reset(s.desktop.width, g);

    request_.outputFolder = s.outputFolder;
    request_.output = s.format;
    request_.thickness = s.thickness;
    request_.axisStyle = s.axisStyle;
}

FilePlotter::Outcome FilePlotter::prepare(const std::string& path)
{
    Outcome o;
    prepared_ = false;
    TimeAxis axis;
    o.message = readForCommand(rePlot_.lightCurve(), path, window_, axis);
    const LightCurve& lc = rePlot_.lightCurve();
    if (o.message.empty() && request_.axisStyle == AxisStyle::ReadableLog && !(lc.lowestPositive <= lc.highest))
        o.message = "no sample above 0 for the logarithmic axis in " + path;
    if (!o.message.empty()) {
        o.status = Outcome::Refused;
        return o;
    }
    if (request_.axisStyle == AxisStyle::ReadableLog) o.leftOut = lc.atOrBelowZero;
    request_.nameSuffix = windowNameSuffix(window_);
    request_.timeAxis = window_.asked() ? std::optional<TimeAxis>(axis) : std::nullopt;
    request_.selectedPath = path;
    request_.unitText = unit_ ? *unit_ : unitFromFileName(path);
    rePlot_.fill(request_);
    if (!outputFile_.empty()) rePlot_.description().setFileName(outputFile_);
    prepared_ = true;
    o.status = Outcome::Prepared;
    o.plotPath = rePlot_.description().fileName;
    o.samples = rePlot_.lightCurve().timedSampleCount;
    return o;
}

FilePlotter::Outcome FilePlotter::draw()
{
    Outcome o;
    PlotDescription& d = rePlot_.description();
    o.plotPath = d.fileName;
    o.samples = rePlot_.lightCurve().timedSampleCount;
    if (!prepared_) {
        o.status = Outcome::Failed;
        o.message = "nothing read to plot";
        return o;
    }
    prepared_ = false;
    // Stdout carries only the paths written, and a failure is told on
    // stderr: the engine's own console lines of the steps before the
    // sequence switches them off (a plot file that cannot be opened at
    // disini) stay out of it.
    zedozo::setWarnings(false);
    const std::string folder(folderPart(d.fileName));
    if (std::find(sweptFolders_.begin(), sweptFolders_.end(), folder) == sweptFolders_.end()) {
        zedozo::removeStaleTemporaryFiles(folder);
        sweptFolders_.push_back(folder);
    }
    plot(d, rePlot_.geometry());
    const zedozo::EngineFailure& f = zedozo::lastFailure();
    if (f.failed()) {
        o.status = Outcome::Failed;
        o.message = "cannot write " + d.fileName + ": " + zedozo::failureText(f);
        if (!folderSource_.empty()) o.message += " " + folderSource_;
        return o;
    }
    o.status = Outcome::Plotted;
    return o;
}

} // namespace quorva
