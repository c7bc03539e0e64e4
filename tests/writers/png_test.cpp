// The raster page and PNG writer: lines against the line algorithm stepped
// over its whole length (also from far outside the page); a failed
// compression and a page too big to allocate leave the older plot; a
// polygon fill on every file device. (Whole PNG files, their chunks with
// their CRC-32s, size, palette and pixels through pngcheck and decoded
// here: the golden pages.)

#include "engine/output/Deflate.h"
#include "engine/output/PngWriter.h"
#include "engine/output/RasterPage.h"
#include "support/Formats.h"
#include "support/Recorder.h"

#include <climits>
#include <random>
#include <set>

namespace {

using namespace zedozo;
using namespace qtest;
using PixelSet = std::set<std::pair<int, int>>;

PixelSet setPixels(const RasterPage& p)
{
    PixelSet s;
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x)
            if (p.at(x, y) == 1) s.insert({x, y});
    return s;
}

// The line algorithm as stated, stepped over its whole length: the pixels
// it sets inside a page of w x h.
PixelSet referenceLine(long long x1, long long y1, long long x2, long long y2, int w, int h)
{
    PixelSet s;
    auto set = [&](long long x, long long y) {
        if (x >= 0 && x < w && y >= 0 && y < h) s.insert({int(x), int(y)});
    };
    const long long dx = std::llabs(x2 - x1), dy = std::llabs(y2 - y1);
    const int sx = x2 > x1 ? 1 : -1, sy = y2 > y1 ? 1 : -1;
    long long x = x1, y = y1;
    set(x, y);
    const bool steep = dx <= dy;
    long long e = steep ? -dy / 2 : -dx / 2;
    for (long long i = 0; i < (steep ? dy : dx); ++i) {
        (steep ? y : x) += steep ? sy : sx;
        e += steep ? dx : dy;
        if (e > 0 && (steep ? dx : dy) > 0) {
            (steep ? x : y) += steep ? sx : sy;
            e -= steep ? dy : dx;
        }
        set(x, y);
    }
    return s;
}

TEST(RasterPage, LinesAreTheLineAlgorithmsPixelsWhereverTheyComeFrom)
{
    const int W = 37, H = 23;
    RasterPage p;
    ASSERT_TRUE(p.init(W, H, false, 0));
    p.setColour(1);
    p.line(0, 0, 4, 2);
    EXPECT_EQ(setPixels(p), (PixelSet {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}));
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> cx(-60, W + 60), cy(-60, H + 60);
    for (int i = 0; i < 4000; ++i) {
        const int x1 = cx(rng), y1 = cy(rng), x2 = cx(rng), y2 = cy(rng);
        p.erase();
        p.line(x1, y1, x2, y2);
        ASSERT_EQ(setPixels(p), referenceLine(x1, y1, x2, y2, W, H)) << x1 << "," << y1 << " " << x2 << "," << y2;
    }
    const int far[][4] = {{INT_MIN, 5, INT_MAX, 5}, {5, INT_MIN, 5, INT_MAX}, {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
        {-2000000000, 11, 2000000000, 12}, {INT_MAX, INT_MAX, INT_MAX - 1, 3}, {-1000000, -999990, 1000000, 1000010}};
    for (auto& f : far) {
        p.erase();
        p.line(f[0], f[1], f[2], f[3]);
        const long long len = std::max(std::llabs((long long)f[2] - f[0]), std::llabs((long long)f[3] - f[1]));
        if (len <= 3000000) { // where stepping the algorithm is affordable
            EXPECT_EQ(setPixels(p), referenceLine(f[0], f[1], f[2], f[3], W, H));
        } else if (f[1] == f[3]) { // level across the whole page
            EXPECT_EQ(setPixels(p).size(), std::size_t(W));
        }
    }
}

// devpol, which this program's own page never reaches: a solid fill on
// every file device, in each one's own form.
TEST_F(EngineTest, APolygonIsASolidFillOnEveryFileDevice)
{
    const float x[3] = {1000, 2000, 1500}, y[3] = {500, 500, 1500}; // plot units
    auto draw = [&](const char* device, const std::string& f) {
        metafl(device);
        window(10, 20, 960, 679);
        setfil(f);
        disini();
        errmod("ALL", "OFF");
        devrec(0, 0, 2969, 2099, 255);
        color("RED");
        devpol(x, y, 3);
        const float s = st().cycle.devscl;
        disfin();
        EXPECT_FALSE(lastFailure().failed()) << device;
        return s;
    };
    // PNG: the triangle's pixels are red, and about as many as its area.
    float s = draw("PNG", dir / "p.png");
    const PngImage img = decodePng(readFile(dir / "p.png"));
    auto r = [&s](float v) { return int(v * s + 0.5f); };
    const double area = 0.5 * (1000 * s) * (1000 * s);
    const auto red = std::count(img.pixels.begin(), img.pixels.end(), char(254));
    EXPECT_TRUE(
        img.at(r(1500), r(800)) == 254 && img.at(r(1100), r(1400)) == 255 && std::abs(double(red) - area) < 0.03 * area)
        << red << " red pixels for " << area;
    // EPS: the points on the landscape page (x and y exchanged), closed,
    // eofill (the token buffer keeps one blank between tokens).
    s = draw("EPS", dir / "p.eps");
    std::string eps = readFile(dir / "p.eps");
    eps.erase(std::remove(eps.begin(), eps.end(), '\n'), eps.end());
    char expected[160];
    std::snprintf(expected, sizeof expected, "%d %d u %d %d d %d %d d %d %d d eofill ", r(y[0]), r(x[0]), r(y[1]),
        r(x[1]), r(y[2]), r(x[2]), r(y[0]), r(x[0]));
    EXPECT_NE(eps.find(expected), std::string::npos) << expected;
    // PDF: a path of a move and two lines, closed and filled with even-odd.
    draw("PDF", dir / "p.pdf");
    const std::string content = pdfContent(readFile(dir / "p.pdf"));
    const std::size_t fill = content.find("h\nf*\n");
    ASSERT_NE(fill, std::string::npos) << content;
    const std::size_t move = content.rfind(" m\n", fill);
    EXPECT_TRUE(move != std::string::npos && content.substr(move, fill - move).find(" l\n") != std::string::npos
        && content.find(" l\n", content.find(" l\n", move) + 1) < fill)
        << content;
    EXPECT_EQ(checkPlot(dir / "p.pdf") + checkPlot(dir / "p.eps") + checkPlot(dir / "p.png"), "");
}

TEST_F(EngineTest, PngFailuresKeepTheOlderPlot)
{
    const std::string f = dir / "keep.png";
    open("PNG", f);
    disfin();
    const std::string before = readFile(f);
    std::string out = captureStdout([&] {
        open("PNG", f);
        drawLine(0, 0, 2969, 2099);
        failNextDeflateForTests(DeflateStatus::Failed);
        disfin();
    });
    EXPECT_TRUE(lastFailure().warning == 101 && out.find("ZLIB error") != std::string::npos) << out;
    EXPECT_EQ(readFile(f), before);
    out = captureStdout([&] {
        metafl("PNG");
        window(0, 0, 200000, 200000);
        setfil(dir / "huge.png");
        disini();
        drawLine(0, 0, 100, 100);
        disfin();
    });
    EXPECT_TRUE(lastFailure().warning == 53 && out.find("Not enough memory") != std::string::npos) << out;
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string> {"keep.png"});
}

} // namespace
