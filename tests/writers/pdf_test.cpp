// PDF writer: document structure, content operators, fonts and escapes,
// several content streams (with and without deflate workers), the
// uncompressed fallbacks and failures; every document goes through qpdf,
// and pdftotext / pdftoppm where text and pixels matter.
#include "WriterTestSupport.h"

#include "engine/TestSeams.h"
#include "engine/output/PdfWriter.h"
#include "engine/output/Deflate.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <random>

using namespace zedozo;
using namespace writertest;

namespace {

class Pdf : public WriterTest {
protected:
    void TearDown() override
    {
        pdfWriterOptions() = PdfWriterOptions{};
        WriterTest::TearDown();
    }

    // PDF point of a plot point on the landscape page, as "%.2f %.2f".
    std::string pt(float x, float y)
    {
        const float s = st().cycle.devscl;
        char b[64];
        std::snprintf(b, sizeof b, "%.2f %.2f", double(y * s), double(x * s));
        return b;
    }

    static void expectQpdfAccepts(const std::string& f)
    {
        const RunResult r = run("qpdf --check " + shellQuoted(f));
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_NE(r.out.find("No syntax or stream encoding errors found"), std::string::npos) << r.out;
    }

    // Object numbers in file order.
    static std::vector<int> order(const std::string& pdf)
    {
        std::vector<int> v;
        for (const auto& h : pdfObjects(pdf)) v.push_back(h.number);
        return v;
    }

    // The cross-reference table must give every object's real offset.
    static void expectXrefMatches(const std::string& pdf)
    {
        ASSERT_NE(pdf.rfind("\nxref\n"), std::string::npos);
        const std::size_t xref = pdf.rfind("\nxref\n") + 1;
        const std::size_t sx = pdf.rfind("startxref\n");
        EXPECT_EQ(std::stoul(pdf.substr(sx + 10)), xref);
        std::istringstream in(pdf.substr(xref + 5));
        int first = -1, count = 0;
        in >> first >> count;
        ASSERT_EQ(first, 0);
        in.ignore(1);
        std::string line;
        std::getline(in, line);
        EXPECT_EQ(line, "0000000000 65535 f ");
        std::vector<std::size_t> offsets(std::size_t(count), 0);
        for (int n = 1; n < count; ++n) {
            std::getline(in, line);
            ASSERT_EQ(line.size(), 19u) << line;
            EXPECT_EQ(line.substr(10), " 00000 n ");
            offsets[std::size_t(n)] = std::stoul(line.substr(0, 10));
        }
        const auto objs = pdfObjects(pdf);
        EXPECT_EQ(int(objs.size()), count - 1);
        for (const auto& h : objs) EXPECT_EQ(offsets[std::size_t(h.number)], h.offset) << "object " << h.number;
    }

    // Fills a long polyline of n points across the page.
    void zigzag(int n)
    {
        penMove(300, 300);
        for (int i = 1; i < n; ++i) {
            const float x = 300.0f + 2300.0f * float(i) / float(n);
            penDraw(x, (i % 2) ? 1700.0f : 300.0f + float(i % 97));
        }
        flushPolyline();
    }
};

} // namespace

TEST_F(Pdf, PageWithTextHasItsObjectsInOrderAndReadersAcceptIt)
{
    const std::string f = dir.file("plot.pdf");
    open("PDF", f);
    EXPECT_EQ(st().cycle.colourDepth, 24);
    hwfont();
    height(50);
    messag("Plot (a) 1\\2", 500, 300);
    color("RED");
    drawLine(100, 200, 1000, 200);
    disfin();
    ASSERT_FALSE(lastFailure().failed()) << lastFailure().text;

    const std::string pdf = readFile(f);
    EXPECT_EQ(pdf.rfind("%PDF-1.3\n", 0), 0u);
    EXPECT_EQ(order(pdf), (std::vector<int>{3, 4, 5, 2, 1, 6}));
    expectXrefMatches(pdf);
    EXPECT_NE(pdf.find("xref\n0 7\n"), std::string::npos);
    const std::size_t sx = pdf.rfind("startxref\n");
    EXPECT_EQ(pdf.substr(pdf.rfind("trailer\n")),
              "trailer\n<< /Size 7 /Root 1 0 R /Info 6 0 R\n>>\n" + pdf.substr(sx));
    EXPECT_EQ(pdf.substr(pdf.size() - 6), "%%EOF\n");
    EXPECT_NE(pdf.find("3 0 obj\n<< /Length "), std::string::npos);
    EXPECT_NE(pdf.find("\n/Filter /FlateDecode\n>>\nstream\n"), std::string::npos);
    EXPECT_NE(pdf.find("4 0 obj\n<< /Type /Font\n/Subtype /Type1\n/BaseFont /Times-Roman\n"
                       "/Encoding /WinAnsiEncoding\n>>\nendobj\n"),
              std::string::npos);
    EXPECT_NE(pdf.find("5 0 obj\n<<\n/Type /Page\n/MediaBox [0 0 553 782]\n/Parent 2 0 R\n/Rotate 90\n"
                       "/Resources << /ProcSet [/PDF /Text]\n/Font <<\n/F1 4 0 R\n>>\n>>\n"
                       "/Contents 3 0 R\n>>\nendobj\n"),
              std::string::npos);
    EXPECT_NE(pdf.find("2 0 obj\n<< /Type /Pages /Kids [\n5 0 R\n] /Count 1\n>>\nendobj\n"), std::string::npos);
    EXPECT_NE(pdf.find("1 0 obj\n<< /Type /Catalog /Pages 2 0 R\n>>\nendobj\n"), std::string::npos);
    EXPECT_NE(pdf.find("6 0 obj\n<< /CreationDate (D:20231114221320)\n/Producer (ZEDOZO 9.0)\n>>\nendobj\n"),
              std::string::npos);

    const std::string c = pdfContent(pdf);
    EXPECT_EQ(c.rfind("0.709 w\n2 J\n2 j\n0 0 0 RG\n0 0 0 rg\n", 0), 0u) << c.substr(0, 80);
    // Size: 10 * s * 50 * 1000 / 683 tenths of a point.
    EXPECT_NE(c.find("BT\n/F1 19.3 Tf\n0 1 -1 0 "), std::string::npos) << c;
    EXPECT_NE(c.find(" Tm\n(P) Tj\n"), std::string::npos);
    EXPECT_NE(c.find(" Tm\n(\\50) Tj\n"), std::string::npos);    // "(" in octal
    EXPECT_NE(c.find(" Tm\n(\\51) Tj\n"), std::string::npos);    // ")"
    EXPECT_NE(c.find(" Tm\n(\\134) Tj\n"), std::string::npos);   // backslash
    EXPECT_NE(c.find(" Tm\n( ) Tj\n"), std::string::npos);
    // Text ends before the colour; the line follows in red.
    EXPECT_NE(c.find("(2) Tj\nET\n1 0 0 RG\n1 0 0 rg\n" + pt(100, 200) + " m\n" + pt(1000, 200) + " l\nS\n"),
              std::string::npos)
        << c;

    expectQpdfAccepts(f);
    const RunResult text = run("pdftotext " + shellQuoted(f) + " -");
    EXPECT_EQ(text.status, 0) << text.out;
    EXPECT_NE(text.out.find("Plot (a) 1\\2"), std::string::npos) << text.out;

    // Rendered, the red line lies where the page puts it: the paper is
    // landscape on screen (Rotate 90), x to the right, y downwards.
    const RunResult r = run("pdftoppm -r 72 " + shellQuoted(f) + " " + shellQuoted(dir.file("r")));
    ASSERT_EQ(r.status, 0) << r.out;
    const RgbImage img = readPpm(dir.file("r-1.ppm"));
    ASSERT_EQ(img.w, 782);
    ASSERT_EQ(img.h, 553);
    int red = 0, minX = 9999, maxX = -1, minY = 9999, maxY = -1;
    for (int y = 0; y < img.h; ++y) {
        for (int x = 0; x < img.w; ++x) {
            int R, G, B;
            img.rgb(x, y, R, G, B);
            if (R > 200 && G < 80 && B < 80) {
                ++red;
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
        }
    }
    EXPECT_GT(red, 200);
    EXPECT_NEAR(minX, 100 * 0.2633, 3);
    EXPECT_NEAR(maxX, 1000 * 0.2633, 3);
    EXPECT_NEAR(minY, 200 * 0.2633, 3);
    EXPECT_NEAR(maxY, 200 * 0.2633, 3);
}

TEST_F(Pdf, PageWithoutTextHasNoFontAndSixObjects)
{
    const std::string f = dir.file("lines.pdf");
    open("PDF", f);
    drawLine(0, 0, 2969, 2099);
    disfin();
    const std::string pdf = readFile(f);
    EXPECT_EQ(order(pdf), (std::vector<int>{3, 4, 2, 1, 5}));
    expectXrefMatches(pdf);
    EXPECT_NE(pdf.find("/Resources << /ProcSet [/PDF]\n>>\n/Contents 3 0 R\n"), std::string::npos);
    EXPECT_EQ(pdf.find("/Font"), std::string::npos);
    EXPECT_NE(pdf.find("<< /Size 6 /Root 1 0 R /Info 5 0 R\n"), std::string::npos);
    expectQpdfAccepts(f);

    // The writer keeps nothing of the page for the next cycle: the same
    // drawing gives the same file.
    open("PDF", f);
    drawLine(0, 0, 2969, 2099);
    disfin();
    EXPECT_EQ(readFile(f), pdf);
}

TEST_F(Pdf, ColourPathRectangleAndPolygonOperators)
{
    const std::string f = dir.file("ops.pdf");
    open("PDF", f);
    const float s = st().cycle.devscl;
    devcol(0x010000FF);   // red, twice: stroke twice, fill once
    devcol(0x010000FF);
    devcol(0x01FF8000);   // (0, 128, 255): components as %5.3f
    // A colour change in the middle of a polyline.
    devvec(100, 100, 3);
    devvec(200, 100, 2);
    devcol(0x0100FF00);
    devvec(300, 150, 2);
    devvec(400, 150, 3);   // a move strokes the path
    // Rectangle in a colour: only the fill colour changes.
    devrec(500, 600, 700, 900, 0x01FFFFFF);
    devrec(500, 600, 700, 900, 0x01FFFFFF);
    // A polygon: closed and filled, the pending path stroked later; a draw
    // right after the fill starts with its own "m".
    const float px[] = {1000, 1200, 1100}, py[] = {1000, 1000, 1200};
    devpol(px, py, 3);
    devvec(1300, 1300, 2);
    disfin();
    const std::string pdf = readFile(f);
    const std::string c = pdfContent(pdf);
    char rect[128];
    std::snprintf(rect, sizeof rect, "%.2f %.2f %.2f %.2f re\nf\n", double(600 * s), double(500 * s),
                  double(900 * s - 600 * s), double(700 * s - 500 * s));
    const std::string expected = "1 0 0 RG\n1 0 0 rg\n"
                                 "1 0 0 RG\n"
                                 "0 0.502 1 RG\n0 0.502 1 rg\n" +
                                 pt(100, 100) + " m\n" + pt(200, 100) + " l\nS\n" +
                                 "0 1 0 RG\n0 1 0 rg\n" + pt(200, 100) + " m\n" + pt(300, 150) + " l\nS\n" +
                                 "1 1 1 rg\n" + rect + rect +
                                 pt(1000, 1000) + " m\n" + pt(1200, 1000) + " l\n" + pt(1100, 1200) + " l\nh\nf*\n" +
                                 pt(1100, 1200) + " m\n" + pt(1300, 1300) + " l\nS\n";
    EXPECT_NE(c.find(expected), std::string::npos) << c;
    EXPECT_EQ(c.substr(c.size() - expected.size()), expected);
    expectQpdfAccepts(f);
    const RunResult r = run("pdftoppm -r 20 " + shellQuoted(f) + " " + shellQuoted(dir.file("o")));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "");   // no complaints about the content
}

TEST_F(Pdf, CharactersFontsWinAnsiAndAngles)
{
    const std::string f = dir.file("chars.pdf");
    open("PDF", f);
    CharParams p;
    p.height = 60;
    p.fontIndex = 4;     // Helvetica
    p.refHeight = 718;
    devchr('A', 500, 500, 30, p);
    devchr(127, 530, 500, 30, p);   // A dieresis
    devchr(133, 560, 500, 30, p);   // sharp s
    devchr(186, 590, 500, 30, p);   // inverted question mark
    devchr(200, 620, 500, 30, p);   // beyond the table: a blank
    p.fontIndex = 17;    // ZapfDingbats: no encoding line
    p.refHeight = 685;
    devchr('a', 700, 500, 30, p);
    p.fontIndex = 4;
    p.refHeight = 718;
    p.angle = 90;        // reads upwards: 180 on the turned paper
    p.sinA = 1;
    p.cosA = 0;
    p.vOffset = 10;      // a raised character
    devchr('B', 1000, 1000, 30, p);
    p.angle = 30;
    p.sinA = 0.5f;
    p.cosA = std::sqrt(3.0f) / 2;
    p.vOffset = 0;
    devchr('C', 1200, 1000, 30, p);
    disfin();
    ASSERT_FALSE(lastFailure().failed());

    const std::string pdf = readFile(f);
    EXPECT_EQ(order(pdf), (std::vector<int>{3, 4, 5, 6, 2, 1, 7}));
    EXPECT_NE(pdf.find("4 0 obj\n<< /Type /Font\n/Subtype /Type1\n/BaseFont /Helvetica\n/Encoding /WinAnsiEncoding\n"),
              std::string::npos);
    EXPECT_NE(pdf.find("5 0 obj\n<< /Type /Font\n/Subtype /Type1\n/BaseFont /ZapfDingbats\n>>\nendobj\n"),
              std::string::npos);
    EXPECT_NE(pdf.find("/Font <<\n/F5 4 0 R\n/F18 5 0 R\n>>\n"), std::string::npos);
    expectXrefMatches(pdf);

    const std::string c = pdfContent(pdf);
    const float s = st().cycle.devscl;
    char tf[64];
    std::snprintf(tf, sizeof tf, "BT\n/F5 %.1f Tf\n", int(10.0f * s * 60.0f * 1000.0f / 718.0f + 0.5f) / 10.0);
    EXPECT_EQ(c.find(tf), c.find("BT\n"));
    EXPECT_NE(c.find("0 1 -1 0 " + pt(500, 500) + " Tm\n(A) Tj\n"), std::string::npos) << c;
    EXPECT_NE(c.find("Tm\n(\\304) Tj\n"), std::string::npos);
    EXPECT_NE(c.find("Tm\n(\\337) Tj\n"), std::string::npos);
    EXPECT_NE(c.find("Tm\n(\\277) Tj\n"), std::string::npos);
    EXPECT_NE(c.find("Tm\n(\\40) Tj\n"), std::string::npos);
    // Another font: the text object is closed and a new one opened.
    EXPECT_NE(c.find("(\\40) Tj\nET\nBT\n/F18 "), std::string::npos);
    EXPECT_NE(c.find("(a) Tj\nET\nBT\n/F5 "), std::string::npos);
    // Upwards text: a general matrix, the origin moved by the raise.
    EXPECT_NE(c.find("-1.00 0.00 -0.00 -1.00 " + pt(1000 - 10, 1000) + " Tm\n(B) Tj\n"), std::string::npos) << c;
    char m30[128];
    std::snprintf(m30, sizeof m30, "%.2f %.2f %.2f %.2f ", std::cos(120 * M_PI / 180), std::sin(120 * M_PI / 180),
                  -std::sin(120 * M_PI / 180), std::cos(120 * M_PI / 180));
    EXPECT_NE(c.find(m30 + pt(1200, 1000) + " Tm\n(C) Tj\n"), std::string::npos) << c;
    EXPECT_EQ(c.substr(c.size() - 10), "(C) Tj\nET\n");   // the finish closes the text object

    expectQpdfAccepts(f);
    const RunResult text = run("pdftotext " + shellQuoted(f) + " -");
    EXPECT_EQ(text.status, 0) << text.out;
    EXPECT_NE(text.out.find("A\xC3\x84\xC3\x9F\xC2\xBF"), std::string::npos) << text.out;   // "AÄß¿" in UTF-8
}

TEST_F(Pdf, LargePageHasSeveralStreamsIdenticalWithOrWithoutWorkers)
{
    std::string files[3];
    const int threads[3] = {0, 1, 3};
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
        ASSERT_FALSE(lastFailure().failed());
    };
    for (int k = 0; k < 3; ++k) {
        pdfWriterOptions().deflateThreads = threads[k];
        files[k] = dir.file("big" + std::to_string(k) + ".pdf");
        plot(files[k]);
    }
    const std::string pdf = readFile(files[0]);
    EXPECT_EQ(readFile(files[1]), pdf);
    EXPECT_EQ(readFile(files[2]), pdf);

    const auto streams = pdfStreams(pdf);
    ASSERT_GE(streams.size(), 4u);
    std::string contents = "/Contents [\n";
    std::string joined;
    for (std::size_t i = 0; i < streams.size(); ++i) {
        EXPECT_EQ(streams[i].object, int(i) + 3);
        contents += std::to_string(streams[i].object) + " 0 R\n";
        bool ok = false;
        const std::string raw = inflateAll(streams[i].data, ok);
        EXPECT_TRUE(ok);
        EXPECT_LE(raw.size(), 300000u);
        // Every stream but the last was cut only because the next operator
        // did not fit.
        if (i + 1 < streams.size()) {
            EXPECT_GT(raw.size(), 300000u - 40);
        }
        joined += raw;
    }
    contents += "]\n>>\nendobj\n";
    EXPECT_NE(pdf.find(contents), std::string::npos);
    expectXrefMatches(pdf);
    expectQpdfAccepts(files[0]);
    EXPECT_EQ(run("pdftoppm -r 10 " + shellQuoted(files[0]) + " " + shellQuoted(dir.file("b"))).status, 0);
    EXPECT_NE(run("pdftotext " + shellQuoted(files[0]) + " -").out.find("end"), std::string::npos);

    // Without a content buffer the same operators go straight into one
    // stream with a separate length object.
    pdfWriterOptions().contentBuffer = false;
    const std::string u = dir.file("raw.pdf");
    plot(u);
    const std::string raw = readFile(u);
    EXPECT_EQ(order(raw), (std::vector<int>{3, 4, 5, 6, 2, 1, 7}));
    EXPECT_EQ(raw.find("3 0 obj\n<< /Length 4 0 R >>\nstream\n"), 9u);
    const std::size_t data = raw.find("stream\n") + 7;
    const std::size_t end = raw.find("endstream\nendobj\n4 0 obj\n");
    ASSERT_NE(end, std::string::npos);
    const std::size_t lengthAt = end + 17 + 8;   // after "endstream\nendobj\n4 0 obj\n"
    EXPECT_EQ(raw.substr(lengthAt, raw.find("endobj\n", lengthAt) - lengthAt), std::to_string(end - data) + "\n");
    EXPECT_EQ(raw.substr(data, end - data), joined);
    expectXrefMatches(raw);
    expectQpdfAccepts(u);
}

TEST_F(Pdf, FailedCompressionWritesTheStreamRaw)
{
    const std::string f = dir.file("nozlib.pdf");
    open("PDF", f);
    drawLine(10, 10, 20, 20);
    failNextDeflateForTests(DeflateStatus::Failed);
    disfin();
    ASSERT_FALSE(lastFailure().failed());
    const std::string pdf = readFile(f);
    const std::string body = "0.709 w\n2 J\n2 j\n0 0 0 RG\n0 0 0 rg\n" + pt(10, 10) + " m\n" + pt(20, 20) + " l\nS\n";
    EXPECT_NE(pdf.find("3 0 obj\n<< /Length " + std::to_string(body.size()) + " >>\nstream\n" + body +
                       "endstream\nendobj\n4 0 obj\n"),
              std::string::npos)
        << pdf;
    expectXrefMatches(pdf);
    expectQpdfAccepts(f);
}

TEST_F(Pdf, FailuresLeaveNoFileAndAreReported)
{
    std::string out = captureStdout([&] {
        open("PDF", dir.file("none/p.pdf"));
        drawLine(0, 0, 100, 100);
        disfin();
    });
    EXPECT_EQ(lastFailure().warning, 36);
    EXPECT_NE(out.find("Warning  36: File error in disini!"), std::string::npos) << out;

    const fs::path ro = dir.path() / "ro";
    fs::create_directory(ro);
    fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec);
    const std::string roFile = ::geteuid() == 0 ? std::string("/proc/zedozo-test.pdf") : (ro / "p.pdf").string();
    out = captureStdout([&] {
        open("PDF", roFile);
        disfin();
    });
    EXPECT_EQ(lastFailure().warning, 36);
    EXPECT_NE(out.find(roFile), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(roFile));

    // A write error (disk full) at the end: no file at the final name, the
    // older plot untouched.
    const std::string f = dir.file("keep.pdf");
    open("PDF", f);
    disfin();
    const std::string before = readFile(f);
    captureStdout([&] {
        open("PDF", f);
        drawLine(0, 0, 2969, 2099);
        failNextPlotFileFlushForTests();
        disfin();
    });
    EXPECT_EQ(lastFailure().warning, 36);
    EXPECT_EQ(readFile(f), before);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"keep.pdf", "ro"}));

    // A cycle dropped with streams still being deflated (the engine reset
    // before disfin) waits for them and leaves nothing behind.
    pdfWriterOptions().deflateThreads = 2;
    open("PDF", dir.file("dropped.pdf"));
    errmod("ALL", "OFF");
    zigzag(80000);
    resetEngineForTests();
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"keep.pdf", "ro"}));
}

TEST_F(Pdf, FullDayOfVectorsStaysWithinBudget)
{
    const std::string f = dir.file("day.pdf");
    std::vector<DevVec> v(345600);
    const auto t0 = std::chrono::steady_clock::now();
    open("PDF", f);
    errmod("ALL", "OFF");
    for (std::size_t i = 0; i < v.size(); ++i) {
        const float x = 350.0f + 2200.0f * float(i) / float(v.size());
        v[i] = {x, 1000.0f + 500.0f * std::sin(float(i) * 0.01f), i == 0 ? 3 : 2};
    }
    for (std::size_t i = 0; i < v.size(); i += 1000) sendVectors(&v[i], int(std::min<std::size_t>(1000, v.size() - i)));
    disfin();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    ASSERT_FALSE(lastFailure().failed());
    expectQpdfAccepts(f);
    EXPECT_LT(ms, 2000.0);
    std::printf("[ timing ] 345600 vectors to PDF: %.1f ms, %zu bytes\n", ms, std::size_t(fs::file_size(f)));
}

TEST(PdfNumbers, TwoDecimalsAreExactlyPrintfs)
{
    auto check = [](float v) {
        char a[64], b[64];
        std::snprintf(a, sizeof a, "%.2f", double(v));
        char* e = formatFixed2(b, b + sizeof b, v);
        *e = '\0';
        ASSERT_STREQ(b, a) << "value " << double(v);
    };
    // Exact ties round to even as printf does; negative values that round
    // to zero keep their sign.
    for (float v : {-0.0f, 0.125f, 2.875f, -0.004f, 1.005f, 99.995f, 781.865f, 3.4e38f, -3.4e38f, 1.0e-30f})
        check(v);
    std::mt19937 rng(99);
    std::uniform_real_distribution<float> page(-10.0f, 800.0f);
    std::uniform_int_distribution<int> cents(-100000, 100000);
    for (int i = 0; i < 1000000; ++i) {
        check(page(rng));
        check(float(cents(rng)) / 100.0f + 0.005f);   // near the rounding boundary
        check(float(cents(rng)) / 8.0f);              // exact binary ties
    }
    for (std::uint32_t bits = 0; bits < 0xFF800000u; bits += 0x10001u) {   // every exponent, sparse mantissas
        float v;
        std::memcpy(&v, &bits, 4);
        check(v);
        check(-v);
    }
}
