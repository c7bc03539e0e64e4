// A whole plot page (the 34 engine calls of a plot) on PDF and PNG: the
// readers accept the files, the texts come out as text, and the red, green
// and blue curves lie inside the axis frame and nowhere else.
#include "WriterTestSupport.h"

#include <cmath>

using namespace zedozo;
using namespace writertest;

namespace {

constexpr int kPoints = 3600;

class PlotPage : public WriterTest {
protected:
    void SetUp() override
    {
        WriterTest::SetUp();
        for (int i = 0; i < kPoints; ++i) {
            t[i] = 10.0f + 2.0f * float(i) / float(kPoints - 1);
            r[i] = 200.0f + 100.0f * std::sin(float(i) * 0.01f);
            g[i] = 150.0f + 60.0f * std::cos(float(i) * 0.013f);
            b[i] = 250.0f + 120.0f * std::sin(float(i) * 0.007f + 1.0f);
        }
    }

    // The plot sequence with the plot job's fixed arguments.
    void plotPage(const char* device, const std::string& file)
    {
        const bool screenLike = std::string(device) == "PNG";
        metafl(device);
        window(0, 0, 960, 678);
        setfil(file);
        filmod("DELETE");
        disini();
        winmod("NONE");
        errmod("ALL", "OFF");
        pagera();
        pagfll(screenLike ? 255 : 0);
        hwfont();
        height(50);
        paghdr("VAXO", "Tervasol", 1, 1);
        axspos(350, 1800);
        axslen(2200, 1600);
        name("Time [UT]", "x");
        name("Flux [ADU]", "y");
        titlin("LC_test.txt:r=  45.00MHz, g= 150.50MHz, b= 410.00MHz", 4);
        color(screenLike ? "black" : "white");
        labdig(1, "x");
        axsscl("LIN", "y");
        labdig(1, "y");
        hname(55);
        labels("FLOAT", "y");
        thkcrv(2);
        graf(10.0f, 12.0f, 10.0f, 0.5f, 0.0f, 400.0f, 0.0f, 50.0f);
        title();
        color("red");
        curve(t, r, kPoints);
        color("green");
        curve(t, g, kPoints);
        color("blue");
        curve(t, b, kPoints);
        endgrf();
        disfin();
    }

    // Counts coloured pixels inside and outside the axis frame of an image
    // whose pixel (x, y) shows the plot point (x / scale, y / scale).
    template <class RgbAt>
    void expectCurvesInsideFrame(int w, int h, double scale, RgbAt rgbAt)
    {
        const double left = 350 * scale, right = 2550 * scale, top = 200 * scale, bottom = 1800 * scale;
        int inside[3] = {}, outside = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                int R, G, B;
                rgbAt(x, y, R, G, B);
                int k = -1;
                if (R > 200 && G < 90 && B < 90) k = 0;
                else if (G > 200 && R < 90 && B < 90) k = 1;
                else if (B > 200 && R < 90 && G < 90) k = 2;
                if (k < 0) continue;
                if (x >= left - 1 && x <= right + 1 && y >= top - 1 && y <= bottom + 1) ++inside[k];
                else ++outside;
            }
        }
        EXPECT_GT(inside[0], 300);
        EXPECT_GT(inside[1], 300);
        EXPECT_GT(inside[2], 300);
        EXPECT_EQ(outside, 0);
    }

    float t[kPoints], r[kPoints], g[kPoints], b[kPoints];
};

} // namespace

TEST_F(PlotPage, PdfPageReadsAndRendersWithCurvesInTheFrame)
{
    const std::string f = dir.file("Plot_LC_test.txt.PDF");
    plotPage("PDF", f);
    ASSERT_FALSE(lastFailure().failed()) << lastFailure().text;
    const std::string pdf = readFile(f);
    std::vector<int> order;
    for (const auto& h : pdfObjects(pdf)) order.push_back(h.number);
    // Content stream(s) first; page tree, catalog and information last.
    ASSERT_GE(order.size(), 6u);
    EXPECT_EQ(order.front(), 3);
    const std::size_t n = order.size();
    EXPECT_EQ(std::vector<int>(order.end() - 3, order.end()), (std::vector<int>{2, 1, int(n)}));
    EXPECT_NE(pdf.find("<< /Size " + std::to_string(n + 1) + " /Root 1 0 R /Info " + std::to_string(n) + " 0 R\n"),
              std::string::npos);
    EXPECT_NE(pdf.find("/MediaBox [0 0 553 782]\n/Parent 2 0 R\n/Rotate 90\n"), std::string::npos);
    EXPECT_NE(pdf.find("/BaseFont /Times-Roman\n"), std::string::npos);

    const RunResult check = run("qpdf --check " + shellQuoted(f));
    EXPECT_EQ(check.status, 0) << check.out;
    const RunResult text = run("pdftotext -layout " + shellQuoted(f) + " -");
    EXPECT_EQ(text.status, 0) << text.out;
    // (-layout prints runs of blanks as one.)
    for (const char* s : {"LC_test.txt:r= 45.00MHz, g= 150.50MHz, b= 410.00MHz", "VAXO 14.11.2023, 22:13:20", "Time [UT]", "10.5", "350.0"})
        EXPECT_NE(text.out.find(s), std::string::npos) << s << "\n" << text.out;

    const RunResult render = run("pdftoppm -r 72 " + shellQuoted(f) + " " + shellQuoted(dir.file("page")));
    ASSERT_EQ(render.status, 0) << render.out;
    EXPECT_EQ(render.out, "");
    const RgbImage img = readPpm(dir.file("page-1.ppm"));
    ASSERT_EQ(img.w, 782);
    ASSERT_EQ(img.h, 553);
    int R, G, B;
    img.rgb(5, 5, R, G, B);   // white paper
    EXPECT_EQ(R + G + B, 765);
    expectCurvesInsideFrame(img.w, img.h, 0.263342, [&](int x, int y, int& r0, int& g0, int& b0) { img.rgb(x, y, r0, g0, b0); });
}

TEST_F(PlotPage, PngPageHasThePaletteImageWithCurvesInTheFrame)
{
    const std::string f = dir.file("Plot_LC_test.txt.PNG");
    plotPage("PNG", f);
    ASSERT_FALSE(lastFailure().failed()) << lastFailure().text;
    const std::string png = readFile(f);
    const auto chunks = pngChunks(png);
    ASSERT_EQ(chunks.size(), 4u);
    EXPECT_EQ(chunks[1].data.size(), 768u);
    const RunResult check = run("pngcheck " + shellQuoted(f));
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_NE(check.out.find("(960x678, 8-bit palette"), std::string::npos) << check.out;

    const PaletteImage img = decodePalettePng(png);
    ASSERT_EQ(img.rows.size(), std::size_t(678) * 961);
    const std::string& plte = chunks[1].data;
    auto rgbAt = [&](int x, int y, int& r0, int& g0, int& b0) {
        const int i = img.at(x, y);
        r0 = static_cast<unsigned char>(plte[3 * i]);
        g0 = static_cast<unsigned char>(plte[3 * i + 1]);
        b0 = static_cast<unsigned char>(plte[3 * i + 2]);
    };
    int R, G, B;
    rgbAt(2, 2, R, G, B);   // white page
    EXPECT_EQ(R + G + B, 765);
    expectCurvesInsideFrame(img.w, img.h, double(st().cycle.devscl), rgbAt);
    // Black text and frame on white.
    int black = 0;
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            rgbAt(x, y, R, G, B);
            black += R + G + B == 0;
        }
    EXPECT_GT(black, 2000);
}
