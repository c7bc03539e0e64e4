// Raster page and PNG writer: line algorithm (with clipping at the page
// edges), fills, colours, erase, and whole PNG cycles checked by pngcheck
// and by decoding the file here.
#include "WriterTestSupport.h"

#include "engine/TestSeams.h"
#include "engine/output/Crc32.h"
#include "engine/output/Deflate.h"
#include "engine/output/OutputFile.h"
#include "engine/output/PngWriter.h"
#include "engine/output/RasterPage.h"

#include <chrono>
#include <cmath>
#include <climits>
#include <random>
#include <set>

using namespace zedozo;
using namespace writertest;

namespace {

using PixelSet = std::set<std::pair<int, int>>;

PixelSet setPixels(const RasterPage& p, int value = 1)
{
    PixelSet s;
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x)
            if (p.at(x, y) == value) s.insert({x, y});
    return s;
}

// The line algorithm as stated, stepped over its whole length: the pixels it
// sets inside a page of w x h.
PixelSet referenceLine(long long x1, long long y1, long long x2, long long y2, int w, int h)
{
    PixelSet s;
    auto set = [&](long long x, long long y) {
        if (x >= 0 && x < w && y >= 0 && y < h) s.insert({int(x), int(y)});
    };
    if (y1 == y2) {
        for (long long x = std::min(x1, x2); x <= std::max(x1, x2); ++x) set(x, y1);
        return s;
    }
    if (x1 == x2) {
        for (long long y = std::min(y1, y2); y <= std::max(y1, y2); ++y) set(x1, y);
        return s;
    }
    const long long dx = std::llabs(x2 - x1), dy = std::llabs(y2 - y1);
    const int sx = x2 > x1 ? 1 : -1, sy = y2 > y1 ? 1 : -1;
    long long x = x1, y = y1;
    set(x, y);
    if (dx <= dy) {
        long long e = -dy / 2;
        for (long long i = 0; i < dy; ++i) {
            y += sy;
            e += dx;
            if (e > 0) {
                x += sx;
                e -= dy;
            }
            set(x, y);
        }
    } else {
        long long e = -dx / 2;
        for (long long i = 0; i < dx; ++i) {
            x += sx;
            e += dy;
            if (e > 0) {
                y += sy;
                e -= dx;
            }
            set(x, y);
        }
    }
    return s;
}

std::string hex(const std::string& bytes)
{
    std::string s;
    char b[4];
    for (unsigned char c : bytes) {
        std::snprintf(b, sizeof b, "%02X ", c);
        s += b;
    }
    return s;
}

} // namespace

TEST(Crc32, StandardCheckValuesAndTheIendChunk)
{
    EXPECT_EQ(Crc32::of("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32::of("IEND", 4), 0xAE426082u);
    // Piecewise updates give the same value as one call.
    Crc32 c;
    c.update("1234", 4);
    c.update("56789", 5);
    EXPECT_EQ(c.value(), 0xCBF43926u);
}

TEST(RasterPageTest, LinesSetBothEndPointsInEitherDirection)
{
    RasterPage p;
    ASSERT_TRUE(p.init(20, 10, false, 0));
    p.setColour(1);
    p.line(0, 0, 4, 2);
    EXPECT_EQ(setPixels(p), (PixelSet{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}));

    p.erase();
    p.line(2, 8, 2, 6);    // vertical, upwards
    EXPECT_EQ(setPixels(p), (PixelSet{{2, 6}, {2, 7}, {2, 8}}));

    // Steep, shallow and diagonal lines in all four directions match the
    // algorithm pixel for pixel.
    const int ends[][4] = {{3, 9, 1, 1}, {18, 2, 2, 5}, {0, 9, 9, 0}};
    for (auto& e : ends) {
        p.erase();
        p.line(e[0], e[1], e[2], e[3]);
        EXPECT_EQ(setPixels(p), referenceLine(e[0], e[1], e[2], e[3], 20, 10)) << e[0] << "," << e[1] << " " << e[2] << "," << e[3];
    }
    // The pen: moveTo, then lineTo from the current point.
    p.erase();
    p.moveTo(0, 9);
    p.lineTo(3, 9);
    p.lineTo(3, 7);
    EXPECT_EQ(setPixels(p), (PixelSet{{0, 9}, {1, 9}, {2, 9}, {3, 9}, {3, 8}, {3, 7}}));
}

TEST(RasterPageTest, LinesLeavingThePageSetExactlyTheirPixelsOnThePage)
{
    // Whatever coordinates arrive, nothing is written outside the buffer and
    // the pixels on the page are those of the whole line.
    const int W = 37, H = 23;
    RasterPage p;
    ASSERT_TRUE(p.init(W, H, false, 0));
    p.setColour(1);
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> cx(-60, W + 60), cy(-60, H + 60);
    for (int i = 0; i < 4000; ++i) {
        const int x1 = cx(rng), y1 = cy(rng), x2 = cx(rng), y2 = cy(rng);
        p.erase();
        p.line(x1, y1, x2, y2);
        ASSERT_EQ(setPixels(p), referenceLine(x1, y1, x2, y2, W, H))
            << "(" << x1 << "," << y1 << ")-(" << x2 << "," << y2 << ")";
    }
    // Extreme coordinates: the line through the page from far away.
    const int far[][4] = {{INT_MIN, 5, INT_MAX, 5},           {5, INT_MIN, 5, INT_MAX},
                          {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {-2000000000, 11, 2000000000, 12},
                          {INT_MAX, INT_MAX, INT_MAX - 1, 3},    {-1000000, -999990, 1000000, 1000010}};
    for (auto& f : far) {
        p.erase();
        p.line(f[0], f[1], f[2], f[3]);
        const PixelSet got = setPixels(p);
        // Compare with the algorithm only where stepping it is affordable.
        const long long len = std::max(std::llabs((long long)f[2] - f[0]), std::llabs((long long)f[3] - f[1]));
        if (len <= 3000000) {
            EXPECT_EQ(got, referenceLine(f[0], f[1], f[2], f[3], W, H));
        }
        for (int y = 0; y < H; ++y) EXPECT_LE(p.at(0, y), 1);
    }
    p.erase();
    p.line(INT_MIN, 5, INT_MAX, 5);
    EXPECT_EQ(setPixels(p).size(), std::size_t(W));
}

TEST(RasterPageTest, RectanglesColoursPolygonsAndErase)
{
    RasterPage p;
    ASSERT_TRUE(p.init(12, 8, false, 0));
    std::uint32_t table[256];
    for (int i = 0; i < 256; ++i) table[i] = std::uint32_t(i) * 0x010101u;   // grey ramp
    table[7] = 0xFF0000;
    p.setPalette(table);

    p.fillRect(2, 1, 4, 3, 9);
    EXPECT_EQ(setPixels(p, 9).size(), 9u);
    EXPECT_EQ(p.at(4, 3), 9);
    EXPECT_EQ(p.currentIndex(), 0);   // the current colour stays
    p.fillRect(5, 1, 4, 3, 9);        // x1 > x2: nothing
    EXPECT_EQ(setPixels(p, 9).size(), 9u);
    p.fillRect(-100, 6, 100, 1000, 3);   // clamped to the page
    EXPECT_EQ(setPixels(p, 3).size(), 24u);

    // An explicit colour becomes the nearest palette index: pure red is
    // entry 7; a grey is its ramp entry.
    p.setColour(0x010000FF);
    EXPECT_EQ(p.currentIndex(), 7);
    p.setColour(0x01404040);
    EXPECT_EQ(p.currentIndex(), 0x40);
    p.setColour(0x105);   // an index is taken by its low 8 bits
    EXPECT_EQ(p.currentIndex(), 5);

    // Even-odd polygon fill, clamped to the page.
    p.setColour(4);
    const int px[] = {1, 6, 6, 1}, py[] = {1, 1, 5, 5};
    p.fillPolygon(px, py, 4);
    EXPECT_EQ(setPixels(p, 4).size(), 20u);   // columns 1..5, rows 1..4
    const int qx[] = {-50, 60, 60, -50}, qy[] = {-50, -50, 60, 60};
    p.erase();
    p.fillPolygon(qx, qy, 4);
    EXPECT_EQ(setPixels(p, 4).size(), 96u);

    // RGB page with paper background: white, and colours as bytes.
    RasterPage q;
    ASSERT_TRUE(q.init(3, 2, true, 2));
    EXPECT_EQ(q.row(1)[8], 255);
    EXPECT_EQ(q.filteredRows()[10], 0);   // filter bytes stay 0
    q.setPalette(table);
    q.setColour(7);
    q.line(0, 0, 2, 0);
    EXPECT_EQ(q.row(0)[6], 255);
    EXPECT_EQ(q.row(0)[7], 0);
    EXPECT_EQ(q.row(0)[8], 0);

    // Sizes the page refuses.
    RasterPage r;
    EXPECT_FALSE(r.init(0, 10, false, 0));
    EXPECT_FALSE(r.init(100000, 100000, false, 0));
    EXPECT_FALSE(r.allocated());
}

class PngCycle : public WriterTest {};

TEST_F(PngCycle, PageFileStructureAndPixels)
{
    const std::string f = dir.file("plot.png");
    metafl("PNG");
    window(10, 20, 960, 679);
    setfil(f);
    filmod("DELETE");
    disini();
    EXPECT_EQ(st().cycle.colourDepth, 8);
    const RasterPage* page = rasterPageOf(st().device);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->width(), 960);
    EXPECT_EQ(page->height(), 679);
    errmod("ALL", "OFF");
    // A fresh page is index 0; fill it white (index 255) as the plot job does.
    devrec(0, 0, 2969, 2099, 255);
    color("RED");
    drawLine(100, 100, 2800, 2000);
    color("BLUE");
    devrec(1000, 1000, 1100, 1100, 0x01FF0000);
    disfin();
    EXPECT_FALSE(lastFailure().failed());
    ASSERT_EQ(dir.entries(), std::vector<std::string>{"plot.png"});

    const std::string png = readFile(f);
    const auto chunks = pngChunks(png);
    ASSERT_EQ(chunks.size(), 4u);
    EXPECT_EQ(chunks[0].type + chunks[1].type + chunks[2].type + chunks[3].type, "IHDRPLTEIDATIEND");
    EXPECT_EQ(hex(chunks[0].data), "00 00 03 C0 00 00 02 A7 08 03 00 00 00 ");
    EXPECT_EQ(chunks[1].data.size(), 768u);
    EXPECT_EQ(hex(chunks[3].crc), "AE 42 60 82 ");
    // Every chunk's CRC checks out with zlib's CRC.
    for (const PngChunk& c : chunks) {
        const std::string td = c.type + c.data;
        const std::uint32_t z = std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>(td.data()), uInt(td.size())));
        EXPECT_EQ(be32(c.crc, 0), z) << c.type;
    }
    EXPECT_EQ(hex(chunks[1].data.substr(3 * 128, 3)), "00 FF 52 ");   // the rainbow table

    const PaletteImage img = decodePalettePng(png);
    ASSERT_EQ(img.rows.size(), std::size_t(679) * 961);
    const float s = 959.0f / 2969.0f;
    auto dev = [s](float v) { return int(v * s + 0.5f); };
    EXPECT_EQ(img.at(0, 0), 255);     // white page
    EXPECT_EQ(img.at(959, 678), 255);
    EXPECT_EQ(img.at(dev(100), dev(100)), 254);    // red: nearest entry of pure red
    EXPECT_EQ(img.at(dev(2800), dev(2000)), 254);
    EXPECT_EQ(img.at(dev(1050), dev(1050)), 32);   // blue square (nearest entry 32)
    int red = 0;
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) red += img.at(x, y) == 254;
    EXPECT_EQ(red, dev(2800) - dev(100) + 1);   // one pixel per column of the shallow line

    const RunResult check = run("pngcheck -v " + shellQuoted(f));
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_NE(check.out.find("960 x 679 image, 8-bit palette"), std::string::npos) << check.out;
    EXPECT_NE(check.out.find("256 palette entries"), std::string::npos) << check.out;
}

TEST_F(PngCycle, DefaultSizeEraseAndReuseOfTheWriter)
{
    const std::string f = dir.file("d.png");
    open("PNG", f);
    drawLine(0, 0, 2969, 0);
    erase();   // back to index 0
    drawLine(0, 2099, 2969, 2099);
    disfin();
    ASSERT_FALSE(lastFailure().failed());
    PaletteImage img = decodePalettePng(readFile(f));
    ASSERT_EQ(img.w, 853);
    ASSERT_EQ(img.h, 603);
    EXPECT_EQ(img.at(400, 0), 0);
    EXPECT_EQ(img.at(400, 602), 255);   // foreground: white on the dark background
    EXPECT_EQ(run("pngcheck " + shellQuoted(f)).status, 0);

    // The same writer serves the next cycle on a new page.
    open("PNG", f);
    disfin();
    img = decodePalettePng(readFile(f));
    ASSERT_EQ(img.rows.size(), std::size_t(603) * 854);
    EXPECT_EQ(img.rows.find_first_not_of('\0'), std::string::npos);
}

TEST_F(PngCycle, FailuresLeaveNoFileAndAreReported)
{
    // Read-only folder (root ignores permission bits: use /proc there).
    const fs::path ro = dir.path() / "ro";
    fs::create_directory(ro);
    fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec);
    const std::string roFile = ::geteuid() == 0 ? std::string("/proc/zedozo-test.png") : (ro / "p.png").string();
    std::string out = captureStdout([&] {
        open("PNG", roFile);
        disfin();
    });
    EXPECT_EQ(lastFailure().warning, 36);
    EXPECT_NE(out.find(roFile), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(roFile));
    EXPECT_TRUE(fs::is_empty(ro));

    // Compression failure at disfin: warning 101, the older plot stays.
    const std::string f = dir.file("keep.png");
    open("PNG", f);
    disfin();
    const std::string before = readFile(f);
    ASSERT_FALSE(before.empty());
    out = captureStdout([&] {
        open("PNG", f);
        drawLine(0, 0, 2969, 2099);
        failNextDeflateForTests(DeflateStatus::Failed);
        disfin();
    });
    EXPECT_EQ(lastFailure().warning, 101);
    EXPECT_EQ(lastFailure().text, "ZLIB error");
    EXPECT_NE(out.find("ZLIB error"), std::string::npos) << out;
    EXPECT_EQ(readFile(f), before);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"keep.png", "ro"}));

    // A page too big to allocate: warning 53, the cycle runs on without output.
    out = captureStdout([&] {
        metafl("PNG");
        window(0, 0, 200000, 200000);
        setfil(dir.file("huge.png"));
        disini();
        EXPECT_EQ(st().level, 1);
        drawLine(0, 0, 100, 100);
        disfin();
    });
    EXPECT_EQ(lastFailure().warning, 53);
    EXPECT_NE(out.find("Not enough memory"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(dir.file("huge.png")));
}

TEST_F(PngCycle, ManyShortVectorsStayCheap)
{
    // A full day of samples as short line pieces, one cycle to the file.
    const std::string f = dir.file("day.png");
    metafl("PNG");
    window(0, 0, 960, 678);
    setfil(f);
    filmod("DELETE");
    const auto t0 = std::chrono::steady_clock::now();
    disini();
    errmod("ALL", "OFF");
    devrec(0, 0, 2969, 2099, 255);
    std::vector<DevVec> v(345600);
    for (std::size_t i = 0; i < v.size(); ++i) {
        const float x = 350.0f + 2200.0f * float(i) / float(v.size());
        v[i] = {x, 1000.0f + 500.0f * std::sin(float(i) * 0.01f), i == 0 ? 3 : 2};
    }
    for (std::size_t i = 0; i < v.size(); i += 1000) sendVectors(&v[i], int(std::min<std::size_t>(1000, v.size() - i)));
    disfin();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    ASSERT_FALSE(lastFailure().failed());
    EXPECT_EQ(run("pngcheck " + shellQuoted(f)).status, 0);
    // Generous bound for a shared test machine; the budget is far below it.
    EXPECT_LT(ms, 1000.0);
    std::printf("[ timing ] 345600 vectors to PNG: %.1f ms\n", ms);
}

TEST(PngFile, RgbPageIsColourType2WithoutPalette)
{
    TempDir dir;
    RasterPage page;
    ASSERT_TRUE(page.init(7, 5, true, 2));   // white paper
    page.setColour(0x0100FF00);             // green
    page.line(0, 4, 6, 4);
    OutputFile out;
    const std::string f = dir.file("rgb.png");
    ASSERT_TRUE(out.open(f));
    std::vector<std::uint8_t> scratch;
    ASSERT_EQ(writePng(out, page, scratch), kPngOk);
    ASSERT_TRUE(out.commit());
    const std::string png = readFile(f);
    const auto chunks = pngChunks(png);
    ASSERT_EQ(chunks.size(), 3u);   // IHDR, IDAT, IEND
    EXPECT_EQ(hex(chunks[0].data), "00 00 00 07 00 00 00 05 08 02 00 00 00 ");
    EXPECT_EQ(chunks[1].type, "IDAT");
    bool ok = false;
    const std::string rows = inflateAll(chunks[1].data, ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(rows.size(), 5u * 22);
    EXPECT_EQ(hex(rows.substr(0, 4)), "00 FF FF FF ");
    EXPECT_EQ(hex(rows.substr(4 * 22, 7)), "00 00 FF 00 00 FF 00 ");
    const RunResult check = run("pngcheck " + shellQuoted(f));
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_NE(check.out.find("7x5, 24-bit RGB"), std::string::npos) << check.out;
}
