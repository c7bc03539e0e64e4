// Plot pages read back by independent readers: the page fill covers the
// border on EPS as on PDF, punctuation sits on the baseline. (Curves in
// pieces of 100 points: engine_test and the golden pages; the banner after
// a failed cycle: engine_test.)
#include "support/Formats.h"
#include "support/Recorder.h"

using namespace zedozo;
using namespace qtest;

namespace {

class PlotPages : public EngineTest {
protected:
    // quorva plot of an n-sample light curve into the test folder; the path
    // of the plot file.
    std::string plot(int samples, const std::string& format)
    {
        const std::string input = dir / "LC_pages_SFU.txt";
        writeFile(input, lightCurveText(samples));
        const RunResult r = runQuorva({"plot", "--format", format, "--output", dir.path(), input});
        EXPECT_EQ(r.status, 0) << r.err;
        std::string ext = format;
        for (char& c : ext) c = char(std::toupper(c));
        return dir / ("Plot_LC_pages_SFU.txt." + ext);
    }
};

} // namespace

TEST_F(PlotPages, ThePageFillCoversTheBorderOnEpsAsOnPdf)
{
    const std::string eps = plot(500, "eps"), pdf = plot(500, "pdf");
    ASSERT_EQ(run({"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-dEPSCrop", "-r72", "-sDEVICE=ppmraw",
                      "-sOutputFile=" + dir / "eps.ppm", eps})
                  .status,
        0);
    ASSERT_EQ(run({"pdftoppm", "-r", "72", "-singlefile", pdf, dir / "pdf"}).status, 0);
    for (const char* name : {"pdf.ppm", "eps.ppm"}) {
        const RgbImage img = readPpm(dir / name);
        ASSERT_GT(img.w, 500) << name;
        auto dark = [&](int x, int y) {
            return (img.rgb(x, y) >> 16) + (img.rgb(x, y) >> 8 & 255) + (img.rgb(x, y) & 255) < 3 * 128;
        };
        // A dark line along 90% of an outer row or column is the border.
        auto darkRow = [&](int y) {
            int n = 0;
            for (int x = 0; x < img.w; ++x) n += dark(x, y);
            return n > img.w * 9 / 10;
        };
        auto darkColumn = [&](int x) {
            int n = 0;
            for (int y = 0; y < img.h; ++y) n += dark(x, y);
            return n > img.h * 9 / 10;
        };
        for (int k = 0; k < 3; ++k)
            EXPECT_FALSE(darkRow(k) || darkRow(img.h - 1 - k) || darkColumn(k) || darkColumn(img.w - 1 - k))
                << name << ": " << k << " from the edge";
    }
}

TEST_F(PlotPages, APeriodSitsOnTheBaselineOfTheDigits)
{
    metafl("PNG");
    window(0, 0, 1600, 1131);
    open("PNG", dir / "label.png");
    errmod("ALL", "OFF");
    pagfll(255);
    hwfont();
    height(300);
    color("black");
    messag("10.0", 400, 600);
    disfin();
    const PngImage img = decodePng(readFile(dir / "label.png"));
    ASSERT_TRUE(img.filtersOk) << "PNG not decoded";
    // Characters are the runs of columns with ink, in the left half; their
    // lowest rows.
    std::vector<int> bottoms;
    bool inGlyph = false;
    for (int x = 0; x < img.w / 2; ++x) {
        int low = -1;
        for (int y = 0; y < img.h; ++y)
            if (img.at(x, y) != 255) low = y; // ink: anything but the fill
        if (low >= 0 && !inGlyph)
            bottoms.push_back(low);
        else if (low >= 0)
            bottoms.back() = std::max(bottoms.back(), low);
        inGlyph = low >= 0;
    }
    ASSERT_EQ(bottoms.size(), 4u) << "expected 1, 0, . and 0";
    EXPECT_EQ(bottoms, std::vector<int>(4, bottoms[0])) << "1, 0, the period and 0 end on one row";
}
