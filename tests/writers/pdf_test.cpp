// The PDF writer: document structure, content operators and escapes read
// back by pdftotext, several content streams (the same bytes with any
// number of deflate workers, joined they are the unbuffered content), the
// raw fallback, and its numbers against printf. Every document goes through
// qpdf, which also finds a cross-reference offset that is wrong.

#include "engine/output/Deflate.h"
#include "engine/output/PdfWriter.h"
#include "support/Formats.h"
#include "support/Recorder.h"

#include <bit>
#include <random>

namespace {

using namespace zedozo;
using namespace qtest;

class Pdf : public EngineTest {
protected:
    void TearDown() override { pdfWriterOptions() = PdfWriterOptions {}, EngineTest::TearDown(); }
    // PDF point of a plot point on the landscape page.
    std::string pt(float x, float y)
    {
        char b[64];
        std::snprintf(b, sizeof b, "%.2f %.2f", double(y * st().cycle.devscl), double(x * st().cycle.devscl));
        return b;
    }
};

TEST_F(Pdf, EscapedTextReadsBackAndTheReadersAgree)
{
    const std::string f = dir / "plot.PDF";
    open("PDF", f);
    hwfont();
    height(50);
    messag("Plot (a) 1\\2", 500, 300);
    disfin();
    ASSERT_FALSE(lastFailure().failed()) << lastFailure().text;
    const std::string pdf = readFile(f);
    // (Cross-reference offsets: qpdf --check below; the objects' order,
    // dictionaries, trailer, text and line operators: the golden pages.)
    EXPECT_TRUE(pdf.starts_with("%PDF-1.3\n") && pdf.ends_with("%%EOF\n"));
    const std::string c = pdfContent(pdf);
    for (const char* escaped : {"(\\50)", "(\\51)", "(\\134)", "( )"})
        EXPECT_NE(c.find(std::string(" Tm\n") + escaped + " Tj\n"), std::string::npos) << escaped;
    EXPECT_TRUE(checkPlot(f).empty() && run({"pdftotext", f, "-"}).out.find("Plot (a) 1\\2") != std::string::npos)
        << checkPlot(f);
}

TEST_F(Pdf, LargePagesSplitIntoStreamsThatJoinToTheUnbufferedStream)
{
    auto zigzag = [](int n) {
        penMove(300, 300);
        for (int i = 1; i < n; ++i)
            penDraw(300.0f + 2300.0f * float(i) / float(n), (i % 2) ? 1700.0f : 300.0f + float(i % 97));
    };
    auto plot = [&](const std::string& f) {
        open("PDF", f);
        errmod("ALL", "OFF");
        color("RED");
        zigzag(60000);
        hwfont();
        messag("end", 100, 100);
        color("BLUE");
        zigzag(30000);
        disfin();
        EXPECT_FALSE(lastFailure().failed());
        return readFile(f);
    };
    // (The same bytes with any number of deflate workers: Golden.AFullDayOnPdf...)
    pdfWriterOptions().deflateThreads = 0;
    const std::string pdf = plot(dir / "big0.pdf");
    std::string joined;
    int streams = 0;
    for (const PdfObject& o : pdfObjects(pdf))
        if (o.isStream) {
            EXPECT_TRUE(o.inflates && o.inflated.size() <= 300000u);
            joined += o.inflated, ++streams;
        }
    EXPECT_TRUE(streams >= 4 && checkPlot(dir / "big0.pdf").empty()) << streams;
    // Without a content buffer: one stream with a separate length object.
    pdfWriterOptions().contentBuffer = false;
    const std::string raw = plot(dir / "raw.pdf");
    std::string order;
    for (const PdfObject& o : pdfObjects(raw)) order += std::to_string(o.number);
    EXPECT_EQ(order, "3456217");
    EXPECT_EQ(raw.find("3 0 obj\n<< /Length 4 0 R >>\nstream\n"), 9u);
    EXPECT_TRUE(pdfObjects(raw)[0].data == joined);
    EXPECT_EQ(pdfObjects(raw)[1].dict, std::to_string(joined.size()) + "\n");
    EXPECT_TRUE(checkPlot(dir / "raw.pdf").empty());
}

TEST_F(Pdf, FailedCompressionWritesTheStreamRaw)
{
    const std::string f = dir / "nozlib.pdf";
    open("PDF", f);
    drawLine(10, 10, 20, 20);
    failNextDeflateForTests(DeflateStatus::Failed);
    disfin();
    ASSERT_FALSE(lastFailure().failed());
    const std::string body = "0.709 w\n2 J\n2 j\n0 0 0 RG\n0 0 0 rg\n" + pt(10, 10) + " m\n" + pt(20, 20) + " l\nS\n";
    const std::string pdf = readFile(f);
    EXPECT_NE(
        pdf.find("3 0 obj\n<< /Length " + std::to_string(body.size()) + " >>\nstream\n" + body), std::string::npos);
    EXPECT_EQ(checkPlot(f), "");
}

TEST(PdfNumbers, TwoDecimalsAreExactlyPrintfs)
{
    auto check = [](float v) {
        char a[64], b[64];
        std::snprintf(a, sizeof a, "%.2f", double(v));
        *formatFixed2(b, b + sizeof b, v) = '\0';
        ASSERT_STREQ(b, a) << "value " << double(v);
    };
    // Exact ties round to even as printf does; negative values that round
    // to zero keep their sign.
    for (float v : {-0.0f, 0.125f, 2.875f, -0.004f, 1.005f, 99.995f, 781.865f, 3.4e38f, -3.4e38f, 1.0e-30f}) check(v);
    std::mt19937 rng(99);
    std::uniform_real_distribution<float> page(-10.0f, 800.0f);
    std::uniform_int_distribution<int> cents(-100000, 100000);
    for (int i = 0; i < 300000; ++i) {
        check(page(rng));
        check(float(cents(rng)) / 100.0f + 0.005f); // near the rounding boundary
        check(float(cents(rng)) / 8.0f);            // exact binary ties
    }
    for (std::uint32_t bits = 0; bits < 0xFF800000u; bits += 0x10001u) // every exponent
        check(std::bit_cast<float>(bits)), check(-std::bit_cast<float>(bits));
}

} // namespace
