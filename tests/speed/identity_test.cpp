// The fast paths of the writers produce the bytes the plain paths would:
// a whole re-plot of a large file on PDF is the same file whether its
// content streams are deflated on worker threads or on the drawing thread,
// its streams joined are the content an uncompressed run writes, and they
// are cut exactly where the 300000-byte buffer overflows; the EPS body
// follows the token rules with plain decimal numbers.

#include "SpeedSupport.h"

#include "app/AutoPlot.h"
#include "app/RePlot.h"
#include "engine/TestSeams.h"
#include "engine/core/EngineState.h"
#include "engine/output/PdfWriter.h"
#include "plotjob/PlotSequence.h"
#include "engine/EngineTestSupport.h"
#include "writers/WriterTestSupport.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace {

using writertest::readFile;

class RePlotIdentity : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
        zedozo::resetEngineForTests();
        ASSERT_TRUE(speedtest::writeLightCurve(dir.file("LC20261206_SFU.txt"), kSamples));
        rePlot.setPlotStep(quorva::plot);
        quorva::applyPlotSize(quorva::kMediumPlotSize, rePlot.geometry());
        quorva::startPosition(rePlot.geometry(), {1920, 1080});
        rePlot.description().reset(1920, rePlot.geometry());
    }
    void TearDown() override
    {
        zedozo::pdfWriterOptions() = zedozo::PdfWriterOptions{};
        zedozo::resetEngineForTests();
    }

    // The whole re-plot into `folder` (created); returns the plot file's bytes.
    std::string plotInto(const std::string& folder, quorva::OutputChoice output)
    {
        std::filesystem::create_directories(dir.file(folder));
        quorva::RePlotRequest r;
        r.selectedPath = dir.file("LC20261206_SFU.txt");
        r.unitText = "SFU";
        r.outputFolder = dir.file(folder) + "/";
        r.output = output;
        r.thicknessText = "2";
        const quorva::RePlot::Result result = rePlot.run(r);
        EXPECT_TRUE(result.plotted);
        EXPECT_FALSE(zedozo::lastFailure().failed()) << zedozo::lastFailure().text;
        return readFile(rePlot.description().fileName);
    }

    static constexpr int kSamples = 120000;
    writertest::TempDir dir;
    quorva::RePlot rePlot;
};

TEST_F(RePlotIdentity, PdfIsTheSameWithAnyDeflateThreadsAndItsStreamsAreTheUncompressedContent)
{
    std::vector<std::string> files;
    for (int threads : {0, -1, 1, 3}) {
        zedozo::pdfWriterOptions().deflateThreads = threads;
        files.push_back(plotInto("t" + std::to_string(threads + 1), quorva::OutputChoice::Pdf));
    }
    const std::string& pdf = files[0];
    ASSERT_GT(pdf.size(), 100000u);
    EXPECT_TRUE(pdf.ends_with("%%EOF\n"));
    for (std::size_t i = 1; i < files.size(); ++i)
        EXPECT_TRUE(files[i] == pdf) << "file " << i << " differs from the single-threaded one";

    // Every stream but the last is cut where the next line would have
    // overflowed the content buffer.
    const auto streams = writertest::pdfStreams(pdf);
    ASSERT_GT(streams.size(), 10u);
    std::vector<std::string> raw;
    for (const auto& s : streams) {
        ASSERT_NE(s.dict.find("/FlateDecode"), std::string::npos) << s.object;
        bool ok = false;
        raw.push_back(writertest::inflateAll(s.data, ok));
        ASSERT_TRUE(ok) << s.object;
        EXPECT_LE(raw.back().size(), 300000u);
    }
    for (std::size_t i = 0; i + 1 < raw.size(); ++i) {
        const std::size_t firstLine = raw[i + 1].find('\n') + 1;
        EXPECT_GT(raw[i].size() + firstLine, 300000u) << "stream " << i << " cut early";
        EXPECT_EQ(raw[i].back(), '\n');
    }

    // Without the content buffer the page is one uncompressed stream: the
    // same text.
    zedozo::pdfWriterOptions() = zedozo::PdfWriterOptions{};
    zedozo::pdfWriterOptions().contentBuffer = false;
    const std::string plain = plotInto("plain", quorva::OutputChoice::Pdf);
    const auto plainStreams = writertest::pdfStreams(plain);
    ASSERT_EQ(plainStreams.size(), 1u);
    std::string joined;
    for (const std::string& r : raw)
        joined += r;
    EXPECT_TRUE(plainStreams[0].data == joined) << "joined streams " << joined.size() << " bytes, uncompressed "
                                                 << plainStreams[0].data.size();
}

TEST_F(RePlotIdentity, EpsBodyKeepsTheTokenRulesWithPlainNumbers)
{
    const std::string eps = plotInto("eps", quorva::OutputChoice::Eps);
    const std::vector<std::string> lines = enginetest::psBodyLines(eps);
    ASSERT_GT(lines.size(), 10000u);
    const std::regex number("-?[1-9][0-9]*|0");
    const std::regex word("[a-z]+|\\(.*\\)|[0-9]+\\.[0-9]|GermanVec|ReEncodeSmall");
    std::size_t points = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        ASSERT_LE(l.size(), 80u) << l;
        ASSERT_TRUE(!l.empty() && l.back() == ' ' && l.front() != ' ') << "[" << l << "]";
        ASSERT_EQ(l.find("  "), std::string::npos) << l;
        if (i + 1 < lines.size()) {
            const std::string first = lines[i + 1].substr(0, lines[i + 1].find(' ') + 1);
            ASSERT_GT(l.size() + first.size(), 80u) << l << "|" << first;
        }
        std::istringstream in(l);
        for (std::string t; in >> t;) {
            if (std::regex_match(t, number))
                ++points;
            else
                ASSERT_TRUE(std::regex_match(t, word)) << "token [" << t << "] in " << l;
        }
    }
    // Three curves of two passes each: at least two numbers per sample and pass.
    EXPECT_GT(points, std::size_t(kSamples) * 3 * 2 * 2);
}

} // namespace
