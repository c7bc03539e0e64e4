// The plot sequence's page (the real re-plot and quorva::plot) on EPS, PDF
// and PNG for the golden light curves, compared with tests/golden/: EPS byte
// for byte, PDF by its objects with their inflated streams, PNG by its
// decoded palette indices, so that another zlib release changes nothing
// (the EPS bytes hold the 80-column token layout). Each page also passes
// its format's own reader; plots in a row are independent.

#include "app/FilePlotter.h"
#include "app/RePlot.h"
#include "engine/TestSeams.h"
#include "plotjob/PlotSequence.h"
#include "support/Formats.h"
#include "support/Golden.h"
#include "support/Support.h"

namespace {

using namespace qtest;

// Objects in order with their dictionaries and inflated streams; the
// lengths of compressed streams (and objects that only hold a number)
// are left out, as they follow the compressor.
std::string pdfStructure(const std::string& pdf)
{
    std::string s;
    for (const PdfObject& o : pdfObjects(pdf)) {
        std::string dict = o.dict;
        if (dict.find_first_not_of("0123456789 \n") == std::string::npos) dict = "(number)";
        const std::size_t l = dict.find("/Length ");
        if (o.dict.find("/FlateDecode") != std::string::npos && l != std::string::npos)
            dict.erase(l + 8, dict.find_first_not_of("0123456789", l + 8) - l - 8);
        s += std::to_string(o.number) + " 0 obj\n" + dict + (o.isStream ? "\nstream\n" + o.inflated : "") + "\n";
        EXPECT_TRUE(o.inflates) << "object " << o.number;
    }
    return s + pdf.substr(pdf.rfind("trailer"), pdf.rfind("startxref") - pdf.rfind("trailer"));
}

// The page passes its format's reader and is the golden page (or, with
// QUORVA_UPDATE_GOLDEN=1, becomes it).
void expectGoldenPage(const std::string& path, const std::string& goldenName)
{
    EXPECT_EQ(checkPlot(path), "");
    if (updatingGolden()) fs::copy_file(path, goldenPath(goldenName), fs::copy_options::overwrite_existing);
    if (updatingGolden() || !comparingGolden()) return;
    const std::string got = readFile(path), golden = readFile(goldenPath(goldenName));
    ASSERT_FALSE(golden.empty()) << goldenName << " missing: scripts/update-golden.sh writes it";
    if (goldenName.ends_with(".EPS")) {
        EXPECT_TRUE(got == golden) << goldenName << " differs";
    } else if (goldenName.ends_with(".PDF")) {
        EXPECT_EQ(pdfStructure(got), pdfStructure(golden)) << goldenName;
    } else {
        const PngImage a = decodePng(got), b = decodePng(golden);
        EXPECT_TRUE(a.filtersOk && b.filtersOk && a.w == b.w && a.h == b.h && a.palette == b.palette) << goldenName;
        EXPECT_TRUE(a.pixels == b.pixels) << goldenName << " pixels differ";
    }
}

class Golden : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
        zedozo::resetEngineForTests();
        rePlot.setPlotStep(quorva::plot);
        rePlot.description().reset(1280, rePlot.geometry()); // 640 x 452
    }
    const std::string& plot(const std::string& file, quorva::OutputChoice output)
    {
        rePlot.run({.selectedPath = dir / file,
            .unitText = file.find("ADU") != std::string::npos ? "ADU" : "SFU",
            .outputFolder = dir.path() + "/",
            .output = output,
            .thickness = 2});
        EXPECT_TRUE(zedozo::engineState().level == 0 && !zedozo::lastFailure().failed()) << zedozo::lastFailure().text;
        return rePlot.description().fileName;
    }
    TempDir dir;
    quorva::RePlot rePlot;
};

TEST_F(Golden, PagesOnEveryFileDeviceAreTheGoldenPagesAndPassTheirReaders)
{
    for (const auto& [file, text] : goldenLightCurves()) {
        ASSERT_TRUE(writeFile(dir / file, text));
        for (auto output : {quorva::OutputChoice::Eps, quorva::OutputChoice::Pdf, quorva::OutputChoice::Png}) {
            const std::string path = plot(file, output);
            expectGoldenPage(path, fs::path(path).filename().string());
        }
        // The title as the readers see it.
        const RunResult t = run({"pdftotext", dir / ("Plot_" + file + ".PDF"), "-"});
        EXPECT_NE(t.out.find(file + ":r="), std::string::npos) << t.out;
        const std::string eps = ghostscriptText(dir / ("Plot_" + file + ".EPS"));
        EXPECT_NE(eps.find(file + ":r="), std::string::npos) << eps;
    }
    // The same file name is replaced, not versioned: data and three plots each.
    EXPECT_EQ(listFolder(dir.path()).size(), 12u);
}

// The readable styles through the command line's file plotter: a whole
// day, ten minutes and ninety seconds of it, and the day on a logarithmic
// axis (its dropout to 0 and below breaks the red curve).
TEST_F(Golden, PagesOnEveryFileDeviceInTheReadableStylesAreTheGoldenPages)
{
    const std::string file = dir / "LC20261209_SFU.txt";
    ASSERT_TRUE(writeFile(file, goldenDay()));
    const struct {
        const char* golden;
        quorva::AxisStyle style;
        std::optional<double> from, to;
    } pages[] {{"Readable_day", quorva::AxisStyle::Readable, {}, {}},
        {"Readable_ten_minutes", quorva::AxisStyle::Readable, 10.55, 10 + 43 / 60.0},
        {"Readable_ninety_seconds", quorva::AxisStyle::Readable, 10.6 - 0.5 / 60, 10.6 + 1 / 60.0},
        {"Log_day", quorva::AxisStyle::ReadableLog, {}, {}}};
    for (const auto& page : pages) {
        for (const auto& [format, extension] :
            {std::pair {quorva::OutputChoice::Eps, "EPS"}, std::pair {quorva::OutputChoice::Png, "PNG"}}) {
            quorva::PlotSettings s {.format = format, .outputFolder = dir.path() + "/", .desktop = {1280, 720}};
            s.window.from = page.from, s.window.to = page.to;
            s.axisStyle = page.style;
            quorva::FilePlotter plotter(s);
            ASSERT_EQ(plotter.prepare(file).status, quorva::FilePlotter::Outcome::Prepared);
            const quorva::FilePlotter::Outcome drawn = plotter.draw();
            ASSERT_EQ(drawn.status, quorva::FilePlotter::Outcome::Plotted) << drawn.message;
            expectGoldenPage(drawn.plotPath, std::string(page.golden) + "." + extension);
        }
    }
}

// (graf's refusal of a y step of 0: engine_test.)
TEST_F(Golden, PlotsInARowAreIndependent)
{
    const auto [file, text] = goldenLightCurves()[0];
    ASSERT_TRUE(writeFile(dir / file, text));
    const std::string first = readFile(plot(file, quorva::OutputChoice::Png));
    plot(file, quorva::OutputChoice::Eps);
    plot(file, quorva::OutputChoice::Pdf);
    EXPECT_TRUE(readFile(plot(file, quorva::OutputChoice::Png)) == first);
}

// A full day on PDF fills many content streams, which worker threads
// deflate while the page is drawn: the file is the same with any number of
// them, plot after plot (the sanitizer build's ThreadSanitizer run goes
// through here).
TEST_F(Golden, AFullDayOnPdfIsTheSameWhateverThreadsDeflateIt)
{
    ASSERT_TRUE(writeFile(dir / "LC20261206_SFU.txt", lightCurveText(345600)));
    zedozo::pdfWriterOptions().deflateThreads = 0;
    const std::string serial = readFile(plot("LC20261206_SFU.txt", quorva::OutputChoice::Pdf));
    EXPECT_EQ(checkPlot(dir / "Plot_LC20261206_SFU.txt.PDF"), "");
    for (int threads : {3, -1}) {
        zedozo::pdfWriterOptions().deflateThreads = threads;
        EXPECT_TRUE(readFile(plot("LC20261206_SFU.txt", quorva::OutputChoice::Pdf)) == serial) << threads;
    }
    zedozo::pdfWriterOptions().deflateThreads = -1;
    EXPECT_GT(serial.size(), 1000000u);
}

} // namespace
