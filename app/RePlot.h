#pragma once
// The re-plot: read the selected light-curve file, refresh the statistics,
// fill the plot description, plot. The main window ("RePlot", auto-plot
// ticks, size and position changes, a click in the file dialog) and the
// command line all run it through this one class, which owns the light
// curve, the plot description and the plot geometry for the whole run.
//
// Typical use:
//   quorva::RePlot rePlot;
//   rePlot.setRefreshStep([&] { statisticsWindow.RefreshValues(); });
//   rePlot.setPlotStep(quorva::plot);   // the plot sequence (plotjob/PlotSequence.h)
//   rePlot.description().reset(desktopWidth, rePlot.geometry());
//   ...
//   rePlot.run({.selectedPath = path, .unitText = "SFU", .outputFolder = "/data/out/",
//               .output = quorva::OutputChoice::Pdf, .thickness = 2});

#include "app/TimeWindow.h"
#include "lightcurve/LightCurve.h"
#include "plotjob/PlotDescription.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quorva {

// The extension of an output's file name: "PDF", "EPS", "PNG"; "PNG" for
// the screen too.
const char* plotFileExtension(OutputChoice choice) noexcept;

// "Screen", "PDF", "EPS" or "PNG" (any case); nothing for other texts.
std::optional<OutputChoice> outputChoiceFromName(std::string_view name) noexcept;

// Reads a number as atoi does: leading white space, optional sign, decimal
// digits up to the first other character; no digits give 0. Beyond 32 bits
// it is held at the nearer end of the range.
std::int32_t integerFromText(std::string_view text) noexcept;

// What the main window hands to a re-plot: the state of its controls and of
// the file selection dialog at that moment.
struct RePlotRequest {
    std::string selectedPath;     // full path of the selected file; empty when none
    std::string unitText = "ADU"; // "SFU" or "ADU"
    std::string outputFolder;     // only its folder part (up to the last '/') is used
    OutputChoice output = OutputChoice::Screen;
    std::int32_t thickness = 2; // of the curves; the engine refuses values below 1
    // A time window (command line only): the file name carries it before
    // the extension, and the time axis is the window's.
    std::string nameSuffix;
    std::optional<TimeAxis> timeAxis;
    AxisStyle axisStyle = AxisStyle::Classic;
    // A time window that run() applies to the file just read, before the
    // statistics see it (the desktop's zoom); it sets nameSuffix and
    // timeAxis. Nothing asked: the whole file. A file without samples is
    // plotted whole.
    TimeWindow window;
};

class RePlot {
public:
    // Refreshes the statistics window (also while it is hidden) after the read.
    using RefreshStep = std::function<void()>;
    // Runs the plot sequence on the filled description; the geometry
    // carries plotLeft/plotTop for the screen window. The description is
    // not const: the sequence writes its pageFill.
    using PlotStep = std::function<void(PlotDescription&, const PlotGeometry&)>;

    struct Result {
        ReadResult read;      // what the file system said (the plot runs anyway)
        bool plotted = false; // the plot step ran
        bool skipped = false; // dropped: asked for while a re-plot was running
        // The whole file's time range and sample count as read, before the
        // request's window kept part of it.
        float fileTimeMin = 0.0f, fileTimeMax = 0.0f;
        std::int32_t fileSamples = 0;
        // The request's window holds no samples of the file: the message
        // ("no samples between ..."); nothing was refreshed or plotted.
        std::string windowMessage;
    };

    RePlot() = default;
    RePlot(const RePlot&) = delete;
    RePlot& operator=(const RePlot&) = delete;

    LightCurve& lightCurve() noexcept { return lightCurve_; }
    const LightCurve& lightCurve() const noexcept { return lightCurve_; }
    PlotDescription& description() noexcept { return description_; }
    const PlotDescription& description() const noexcept { return description_; }
    PlotGeometry& geometry() noexcept { return geometry_; }
    const PlotGeometry& geometry() const noexcept { return geometry_; }

    void setRefreshStep(RefreshStep step) { refresh_ = std::move(step); }
    void setPlotStep(PlotStep step) { plot_ = std::move(step); }

    // The whole re-plot: read, apply the window, refresh, fill, plot. A request
    // that arrives while one runs (the screen output hands on waiting window
    // messages during a plot) is dropped and reported as skipped.
    Result run(const RePlotRequest& request);

    // Only fills the description from the light curve as it stands (no
    // read, no refresh, no plot).
    void fill(const RePlotRequest& request);

    bool running() const noexcept { return running_; }

private:
    LightCurve lightCurve_;
    PlotDescription description_;
    PlotGeometry geometry_;
    RefreshStep refresh_;
    PlotStep plot_;
    bool running_ = false;
};

} // namespace quorva
