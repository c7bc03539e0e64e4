// Plot pages read back by independent readers: polylines break into paths
// of at most 99 segments, the page fill covers the border on EPS as on PDF,
// punctuation sits on the baseline, and the banner after a failed cycle.
#include "writers/WriterTestSupport.h"

#include <cmath>

using namespace zedozo;
using namespace writertest;

namespace {

// Grey levels of a binary PPM (Ghostscript writes a comment line).
struct Grey {
    int w = 0, h = 0;
    std::string px;
    bool dark(int x, int y) const
    {
        const auto* p = reinterpret_cast<const unsigned char*>(px.data()) + (std::size_t(y) * w + x) * 3;
        return p[0] + p[1] + p[2] < 3 * 128;
    }
};

Grey readGreyPpm(const std::string& name)
{
    Grey img;
    std::istringstream in(readFile(name));
    std::string magic;
    int maxval = 0;
    in >> magic >> std::ws;
    while (in.peek() == '#') in.ignore(1 << 20, '\n');
    in >> img.w >> img.h >> maxval;
    in.get();
    img.px.assign(std::istreambuf_iterator<char>(in), {});
    if (magic != "P6" || img.px.size() < std::size_t(img.w) * img.h * 3) return Grey{};
    return img;
}

class PlotPages : public WriterTest {
protected:
    // A light-curve file of n samples: three slow waves over the day.
    std::string lightCurve(int n)
    {
        const std::string p = dir.file("LC_pages_SFU.txt");
        std::ofstream out(p);
        out << "Tervasol\nTime_UT,45.0MHz,150.5MHz,410.0MHz\n";
        for (int i = 0; i < n; ++i) {
            const double t = 23.9 * i / n;
            out << t << ',' << 100 + 50 * std::sin(t) << ',' << 80 + 30 * std::cos(t / 2) << ',' << 60 + 20 * std::sin(t * 3)
                << '\n';
        }
        return p;
    }

    // quorva plot into the test folder; the path of the plot file.
    std::string plot(const std::string& input, const std::string& format)
    {
        const RunResult r = run(std::string(QUORVA_BINARY) + " plot --format " + format + " --output " +
                                shellQuoted(dir.path().string()) + " " + shellQuoted(input));
        EXPECT_EQ(r.status, 0) << r.out;
        std::string ext = format;
        for (char& c : ext) c = char(std::toupper(c));
        return dir.file("Plot_" + fs::path(input).filename().string() + "." + ext);
    }
};

} // namespace

TEST_F(PlotPages, EveryPathOfALongCurveHasAtMost99Segments)
{
    std::istringstream ops(pdfContent(readFile(plot(lightCurve(40000), "pdf"))));
    long lines = 0, moves = 0, path = 0, longest = 0;
    for (std::string op; std::getline(ops, op);) {
        if (op.size() > 2 && op.compare(op.size() - 2, 2, " l") == 0) longest = std::max(longest, ++path), ++lines;
        else if (op.size() > 2 && op.compare(op.size() - 2, 2, " m") == 0) path = 0, ++moves;
    }
    EXPECT_GT(lines, 3L * 39999) << "the three curves are not in the content";
    EXPECT_LE(longest, 99);
    EXPECT_GE(moves, lines / 99);
}

TEST_F(PlotPages, ThePageFillCoversTheBorderOnEpsAsOnPdf)
{
    const std::string input = lightCurve(500), eps = plot(input, "eps"), pdf = plot(input, "pdf");
    ASSERT_EQ(run("gs -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -r72 -sDEVICE=ppmraw -sOutputFile=" +
                  shellQuoted(dir.file("eps.ppm")) + " " + shellQuoted(eps)).status, 0);
    ASSERT_EQ(run("pdftoppm -r 72 -singlefile " + shellQuoted(pdf) + " " + shellQuoted(dir.file("pdf"))).status, 0);
    for (const char* name : {"pdf.ppm", "eps.ppm"}) {
        const Grey img = readGreyPpm(dir.file(name));
        ASSERT_GT(img.w, 500) << name;
        // A dark line along 90% of an outer row or column is the border.
        auto darkRow = [&](int y) { int n = 0; for (int x = 0; x < img.w; ++x) n += img.dark(x, y); return n > img.w * 9 / 10; };
        auto darkColumn = [&](int x) { int n = 0; for (int y = 0; y < img.h; ++y) n += img.dark(x, y); return n > img.h * 9 / 10; };
        for (int k = 0; k < 3; ++k) {
            EXPECT_FALSE(darkRow(k) || darkRow(img.h - 1 - k)) << name << " row " << k << " from the edge";
            EXPECT_FALSE(darkColumn(k) || darkColumn(img.w - 1 - k)) << name << " column " << k << " from the edge";
        }
    }
}

TEST_F(PlotPages, APeriodSitsOnTheBaselineOfTheDigits)
{
    metafl("PNG");
    window(0, 0, 1600, 1131);
    open("PNG", dir.file("label.png"));
    errmod("ALL", "OFF");
    pagfll(255);
    hwfont();
    height(300);
    color("black");
    messag("10.0", 400, 600);
    disfin();
    const PaletteImage img = decodePalettePng(readFile(dir.file("label.png")));
    ASSERT_FALSE(img.rows.empty()) << "PNG not decoded";
    // Characters are the runs of columns with ink, in the left half (the
    // page ends a pixel short of the image's right edge); their lowest rows.
    std::vector<int> bottoms;
    bool inGlyph = false;
    for (int x = 0; x < img.w / 2; ++x) {
        int low = -1;
        for (int y = 0; y < img.h; ++y)
            if (img.at(x, y) != 255) low = y; // ink: anything but the fill
        if (low >= 0 && !inGlyph) bottoms.push_back(low);
        else if (low >= 0) bottoms.back() = std::max(bottoms.back(), low);
        inGlyph = low >= 0;
    }
    std::string seen;
    for (int b : bottoms) seen += std::to_string(b) + " ";
    ASSERT_EQ(bottoms.size(), 4u) << "expected 1, 0, . and 0; lowest rows " << seen;
    EXPECT_EQ(bottoms[0], bottoms[1]);
    EXPECT_EQ(bottoms[3], bottoms[1]);
    EXPECT_EQ(bottoms[2], bottoms[1]) << "the period's lowest row";
}

TEST_F(PlotPages, TheBannerNamesAPlotFileOnlyWhenOneWasWritten)
{
    const std::string missing = dir.file("gone/x.pdf"), written = dir.file("y.pdf");
    std::string banners[2];
    for (int i = 0; i < 2; ++i) {
        banners[i] = captureStdout([&] {
            open("PDF", i == 0 ? missing : written);
            disfin();
        });
    }
    EXPECT_NE(banners[0].find("<<  Metafile:    "), std::string::npos) << banners[0];
    EXPECT_EQ(banners[0].find("x.pdf  "), std::string::npos) << banners[0];
    EXPECT_NE(banners[1].find("<<  Metafile: " + written.substr(0, 48)), std::string::npos) << banners[1];
    EXPECT_TRUE(fs::exists(written));
}
