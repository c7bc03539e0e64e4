// The whole re-plot as "RePlot" and every auto-plot tick run it: read the
// file, fill the plot description, run the plot sequence on one device.
// Thickness 2, plot size "Medium" on a 1920 x 1080 desktop (a 960 x 678
// PNG page and screen window), as `quorva plot` does by default. Real time:
// the PDF writer deflates on worker threads.

#include "app/AutoPlot.h"
#include "app/RePlot.h"
#include "bench/BenchFiles.h"
#include "engine/TestSeams.h"
#include "engine/output/PdfWriter.h"
#include "plotjob/PlotSequence.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void rePlot(benchmark::State& state, quorva::OutputChoice output)
{
    const int samples = static_cast<int>(state.range(0));
    quorva::RePlot rePlot;
    rePlot.setPlotStep(quorva::plot);
    quorva::PlotGeometry& g = rePlot.geometry();
    const quorva::DesktopSize desktop {1920, 1080};
    quorva::applyPlotSize(quorva::kMediumPlotSize, g);
    quorva::startPosition(g, desktop);
    rePlot.description().reset(desktop.width, g);

    quorva::RePlotRequest request;
    request.selectedPath = quorva::bench::lightCurveFile(samples);
    request.unitText = "SFU";
    request.outputFolder = quorva::bench::outputFolder();
    request.output = output;
    request.thickness = 2;

    for (auto _ : state) {
        const quorva::RePlot::Result r = rePlot.run(request);
        if (!r.plotted || zedozo::lastFailure().failed()) {
            state.SkipWithError("the plot failed");
            break;
        }
    }
    if (rePlot.lightCurve().sampleCount != samples + 2) state.SkipWithError("wrong sample count");
}

void BM_rePlot_PDF(benchmark::State& state)
{
    rePlot(state, quorva::OutputChoice::Pdf);
}
// For comparison: every content stream deflated on the drawing thread.
void BM_rePlot_PDF_oneThread(benchmark::State& state)
{
    zedozo::pdfWriterOptions().deflateThreads = 0;
    rePlot(state, quorva::OutputChoice::Pdf);
    zedozo::pdfWriterOptions().deflateThreads = -1;
}
void BM_rePlot_EPS(benchmark::State& state)
{
    rePlot(state, quorva::OutputChoice::Eps);
}
void BM_rePlot_PNG(benchmark::State& state)
{
    rePlot(state, quorva::OutputChoice::Png);
}
void BM_rePlot_Screen(benchmark::State& state)
{
    rePlot(state, quorva::OutputChoice::Screen);
}

#define QUORVA_REPLOT_BENCHMARK(name)                                                                                  \
    BENCHMARK(name)->Arg(40000)->Arg(345600)->Unit(benchmark::kMillisecond)->UseRealTime()

QUORVA_REPLOT_BENCHMARK(BM_rePlot_PDF);
QUORVA_REPLOT_BENCHMARK(BM_rePlot_PDF_oneThread);
QUORVA_REPLOT_BENCHMARK(BM_rePlot_EPS);
QUORVA_REPLOT_BENCHMARK(BM_rePlot_PNG);
QUORVA_REPLOT_BENCHMARK(BM_rePlot_Screen);

} // namespace
