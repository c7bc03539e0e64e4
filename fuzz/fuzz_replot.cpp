// The whole re-plot of arbitrary light-curve file content to every file
// device: read, fill the plot description, run the plot sequence to PDF,
// EPS and PNG. Every plot must succeed and leave a complete file (header
// and trailer of its format) and nothing else in the output folder.

#include "FuzzSupport.h"
#include "support/Files.h"

#include "app/AutoPlot.h"
#include "app/RePlot.h"
#include "engine/TestSeams.h"
#include "plotjob/PlotSequence.h"

#include <sys/stat.h>

#include <cstdint>

namespace {

// A complete file: the format's header and trailer.
void checkPlot(const std::string& path, quorva::OutputChoice choice)
{
    const std::string bytes = qtest::readFile(path);
    const auto tail = [&](std::size_t n) { return bytes.substr(bytes.size() < n ? 0 : bytes.size() - n); };
    if (choice == quorva::OutputChoice::Pdf)
        fuzz::check(
            bytes.rfind("%PDF-", 0) == 0 && tail(8).find("%%EOF") != std::string::npos, "a PDF from %PDF- to %%EOF");
    if (choice == quorva::OutputChoice::Eps)
        fuzz::check(bytes.rfind("%!PS-Adobe-", 0) == 0 && tail(200).find("showpage") != std::string::npos,
            "an EPS to its page");
    if (choice == quorva::OutputChoice::Png)
        fuzz::check(
            bytes.rfind("\x89PNG\r\n\x1a\n", 0) == 0 && tail(12) == std::string("\0\0\0\0IEND\xae\x42\x60\x82", 12),
            "a PNG from its signature to IEND");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string input = fuzz::scratchFolder() + "LC20261206_SFU.txt";
    static const std::string out = [] {
        const std::string folder = fuzz::scratchFolder() + "out/";
        ::mkdir(folder.c_str(), 0755);
        return folder;
    }();
    static quorva::RePlot* rePlot = [] {
        auto* r = new quorva::RePlot;
        r->setPlotStep(&quorva::plot);
        return r;
    }();
    fuzz::writeFile(input, data, size);

    // The plot size (and so the PNG page) and the curve thickness vary with
    // the input; a small desktop keeps the raster page quick.
    const int sizeIndex = static_cast<int>(size % 5);
    quorva::applyPlotSize(sizeIndex, rePlot->geometry());
    rePlot->description().reset(640, rePlot->geometry());
    const int thickness = 1 + (size > 0 ? data[0] % 12 : 0);

    for (auto choice : {quorva::OutputChoice::Pdf, quorva::OutputChoice::Eps, quorva::OutputChoice::Png}) {
        const quorva::RePlot::Result r = rePlot->run({.selectedPath = input,
            .unitText = "SFU",
            .outputFolder = out,
            .output = choice,
            .thickness = thickness});
        fuzz::check(r.read.opened && r.plotted, "the re-plot reads and plots");
        const zedozo::EngineFailure& f = zedozo::lastFailure();
        if (f.failed()) fuzz::fail("plot failed: warning " + std::to_string(f.warning) + " " + f.text + " " + f.reason);
        checkPlot(rePlot->description().fileName, choice);
    }
    fuzz::check(qtest::listFolder(out).size() == 3, "the output folder holds the three plots and nothing else");
    return 0;
}
