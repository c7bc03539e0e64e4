// Plot pages read back by independent readers: polylines break into paths
// of at most 99 segments, the page fill covers the border on EPS as on PDF,
// punctuation sits on the baseline, and the banner after a failed cycle.
#include "engine/core/Engine.h"
#include "engine/core/EngineState.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs a shell command; its exit status (-1 when it did not end normally).
int shell(const std::string& cmd)
{
    const int rc = std::system((cmd + " >/dev/null 2>&1").c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

std::string inflated(const std::string& packed)
{
    std::string out;
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return out;
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    zs.avail_in = uInt(packed.size());
    char buf[65536];
    int rc;
    do {
        zs.next_out = reinterpret_cast<Bytef*>(buf);
        zs.avail_out = sizeof buf;
        rc = inflate(&zs, Z_NO_FLUSH);
        out.append(buf, sizeof buf - zs.avail_out);
    } while (rc == Z_OK);
    inflateEnd(&zs);
    return out;
}

struct Image {
    int w = 0, h = 0;
    std::vector<int> grey; // 0 black .. 255 white
    bool dark(int x, int y) const { return grey[std::size_t(y) * w + x] < 128; }
};

Image readPpm(const fs::path& p)
{
    Image img;
    const std::string s = slurp(p);
    std::istringstream in(s);
    std::string magic;
    int maxval = 0;
    in >> magic >> std::ws;
    while (in.peek() == '#') in.ignore(1 << 20, '\n'); // Ghostscript's comment
    in >> img.w >> img.h >> maxval;
    in.get();
    const std::size_t at = std::size_t(in.tellg());
    if (magic != "P6" || maxval != 255 || s.size() < at + std::size_t(img.w) * img.h * 3) return Image{};
    for (std::size_t i = 0; i < std::size_t(img.w) * img.h; ++i) {
        const auto* px = reinterpret_cast<const unsigned char*>(s.data() + at + 3 * i);
        img.grey.push_back((px[0] + px[1] + px[2]) / 3);
    }
    return img;
}

// A palette PNG as the engine writes it: IHDR, PLTE, IDAT, filter 0 rows.
Image readPalettePng(const fs::path& p)
{
    Image img;
    const std::string s = slurp(p);
    std::string palette, idat;
    auto be32 = [&](std::size_t at) {
        return std::uint32_t(std::uint8_t(s[at])) << 24 | std::uint32_t(std::uint8_t(s[at + 1])) << 16 |
               std::uint32_t(std::uint8_t(s[at + 2])) << 8 | std::uint32_t(std::uint8_t(s[at + 3]));
    };
    for (std::size_t at = 8; at + 12 <= s.size();) {
        const std::size_t n = be32(at);
        const std::string type = s.substr(at + 4, 4);
        if (type == "IHDR") img.w = int(be32(at + 8)), img.h = int(be32(at + 12));
        if (type == "PLTE") palette = s.substr(at + 8, n);
        if (type == "IDAT") idat += s.substr(at + 8, n);
        at += 12 + n;
    }
    const std::string rows = inflated(idat);
    if (rows.size() != std::size_t(img.h) * (img.w + 1)) return Image{};
    for (int y = 0; y < img.h; ++y) {
        if (rows[std::size_t(y) * (img.w + 1)] != 0) return Image{};
        for (int x = 0; x < img.w; ++x) {
            const std::size_t i = std::uint8_t(rows[std::size_t(y) * (img.w + 1) + 1 + x]) * 3u;
            img.grey.push_back((std::uint8_t(palette[i]) + std::uint8_t(palette[i + 1]) + std::uint8_t(palette[i + 2])) / 3);
        }
    }
    return img;
}

class PlotPages : public ::testing::Test {
protected:
    void SetUp() override
    {
        char templ[] = "/tmp/quorva-pages-XXXXXX";
        ASSERT_NE(::mkdtemp(templ), nullptr);
        dir = templ;
        zedozo::resetEngineForTests();
    }
    void TearDown() override
    {
        zedozo::resetEngineForTests();
        fs::remove_all(dir);
    }

    // A light-curve file of n samples: three slow waves over the day.
    fs::path lightCurve(int n)
    {
        const fs::path p = dir / "LC_pages_SFU.txt";
        std::ofstream out(p);
        out << "Tervasol\nTime_UT,45.0MHz,150.5MHz,410.0MHz\n";
        for (int i = 0; i < n; ++i) {
            const double t = 23.9 * i / n;
            out << t << ',' << 100 + 50 * std::sin(t) << ',' << 80 + 30 * std::cos(t / 2) << ',' << 60 + 20 * std::sin(t * 3)
                << '\n';
        }
        return p;
    }

    // quorva plot into dir; the path of the plot file.
    fs::path plot(const fs::path& input, const std::string& format)
    {
        const int status = shell("SOURCE_DATE_EPOCH=1700000000 " + std::string(QUORVA_BINARY) + " plot --format " +
                                 format + " --output '" + dir.string() + "' '" + input.string() + "'");
        EXPECT_EQ(status, 0) << format;
        return dir / ("Plot_" + input.filename().string() + "." + std::string(format == "pdf" ? "PDF" : format == "eps" ? "EPS" : "PNG"));
    }

    fs::path dir;
};

} // namespace

TEST_F(PlotPages, EveryPathOfALongCurveHasAtMost99Segments)
{
    const fs::path pdf = plot(lightCurve(40000), "pdf");
    const std::string file = slurp(pdf);
    std::string content;
    for (std::size_t at = file.find("stream\n"); at != std::string::npos; at = file.find("stream\n", at + 1)) {
        if (at >= 3 && file.compare(at - 3, 3, "end") == 0) continue;
        content += inflated(file.substr(at + 7, file.find("endstream", at) - at - 7));
    }
    std::istringstream ops(content);
    long lines = 0, moves = 0, run = 0, longest = 0;
    for (std::string op; std::getline(ops, op);) {
        if (op.size() > 2 && op.compare(op.size() - 2, 2, " l") == 0) longest = std::max(longest, ++run), ++lines;
        else if (op.size() > 2 && op.compare(op.size() - 2, 2, " m") == 0) run = 0, ++moves;
    }
    EXPECT_GT(lines, 3L * 39999) << "the three curves are not in the content";
    EXPECT_LE(longest, 99);
    EXPECT_GE(moves, lines / 99);
}

TEST_F(PlotPages, ThePageFillCoversTheBorderOnEpsAsOnPdf)
{
    const fs::path input = lightCurve(500);
    const fs::path eps = plot(input, "eps"), pdf = plot(input, "pdf");
    ASSERT_EQ(shell("gs -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -r72 -sDEVICE=ppmraw -sOutputFile='" +
                    (dir / "eps.ppm").string() + "' '" + eps.string() + "'"), 0);
    ASSERT_EQ(shell("pdftoppm -r 72 -singlefile '" + pdf.string() + "' '" + (dir / "pdf").string() + "'"), 0);
    for (const char* name : {"pdf.ppm", "eps.ppm"}) {
        const Image img = readPpm(dir / name);
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
    using namespace zedozo;
    const fs::path png = dir / "label.png";
    metafl("PNG");
    window(0, 0, 1600, 1131);
    setfil(png.string());
    filmod("DELETE");
    disini();
    errmod("ALL", "OFF");
    pagfll(255);
    hwfont();
    height(300);
    color("black");
    messag("10.0", 400, 600);
    disfin();
    const Image img = readPalettePng(png);
    ASSERT_GT(img.w, 0) << "PNG not decoded";
    // Characters are the runs of columns with ink, in the left half (the
    // page ends a pixel short of the image's right edge); their lowest rows.
    std::vector<int> bottoms;
    bool inGlyph = false;
    for (int x = 0; x < img.w / 2; ++x) {
        int low = -1;
        for (int y = 0; y < img.h; ++y)
            if (img.dark(x, y)) low = y;
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
    using namespace zedozo;
    const std::string missing = (dir / "gone" / "x.pdf").string();
    const std::string written = (dir / "y.pdf").string();
    std::string banners[2];
    for (int i = 0; i < 2; ++i) {
        metafl("PDF");
        setfil(i == 0 ? missing : written);
        filmod("DELETE");
        ::testing::internal::CaptureStdout();
        disini();
        disfin();
        std::fflush(stdout);
        banners[i] = ::testing::internal::GetCapturedStdout();
    }
    EXPECT_NE(banners[0].find("<<  Metafile:    "), std::string::npos) << banners[0];
    EXPECT_EQ(banners[0].find("x.pdf  "), std::string::npos) << banners[0];
    EXPECT_NE(banners[1].find("<<  Metafile: " + written.substr(0, 48)), std::string::npos) << banners[1];
    EXPECT_TRUE(fs::exists(written));
}
