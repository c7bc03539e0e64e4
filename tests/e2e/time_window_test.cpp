// Time windows from outside: `plot`/`stats --from --to` and `watch --last`
// on generated light curves, checked against the file cut to the window,
// the axis labels Ghostscript reads and golden pages. (Their usage errors
// and empty windows: conventions_test; watch on a file without samples:
// watch_test.)

#include "support/Formats.h"
#include "support/Golden.h"
#include "support/Support.h"

#include <regex>
#include <sstream>

namespace {

using namespace qtest;

// The reference: `quorva stats` of the file cut to the window's lines (the
// statistics themselves on worked examples: reader_test). Its data points
// count its two header lines too.
TEST(Window, StatsOfAWindowAreThoseOfTheFileCutToIt)
{
    TempDir dir;
    const std::string text = lightCurveText(345600);
    writeFile(dir / "LC_SFU.txt", text);
    const std::size_t body = text.find("MHz\r\n") + 5;
    std::string cut = text.substr(0, body);
    std::istringstream in(text.substr(body));
    for (std::string line; std::getline(in, line);)
        if (const float t = std::strtof(line.c_str(), nullptr); t >= 1.5f && t <= 1.75f) cut += line + "\n";
    writeFile(dir / "cut.txt", cut);
    const RunResult r = runQuorva({"stats", "--json", "--from", "1.5", "--to", "1:45", dir / "LC_SFU.txt"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string reference = runQuorva({"stats", "--json", dir / "cut.txt"}).out;
    for (const char* key : {"timeMin", "timeMax", "min1", "max1", "min2", "max2", "min3", "max3", "last1", "last2",
             "last3", "yTop", "yBottom", "samples"})
        EXPECT_EQ(jsonNumber(r.out, key), jsonNumber(reference, key)) << key;
    EXPECT_TRUE(jsonNumber(r.out, "windowFrom") == 1.5f && jsonNumber(r.out, "windowTo") == 1.75f) << r.out;
    const RunResult t = runQuorva({"stats", "--from", "1.5", "--to", "1:45", dir / "LC_SFU.txt"});
    EXPECT_NE(t.out.find("\nData Points: 3601\nSamples: 3601\nWindow: 01:30:00 to 01:45:00 UT\n"), std::string::npos)
        << t.out;
}

TEST(Window, WatchLastMinutesMovesWithTheData)
{
    TempDir dir;
    const std::string file = dir / "LC20261206_SFU.txt";
    writeFile(file, lightCurveText(7200));
    Process w({QUORVA_BINARY, "watch", "--last", "30.0", "--count", "3", "--interval", "0.1", "--format", "eps",
        "--output", dir.path(), file});
    // The x-axis labels as Ghostscript reads them: a line of their own.
    long n = 0;
    for (const char* labels : {R"( 0\.0 +0\.1 +0\.2 +0\.3 +0\.4\s*\n)", R"( 0\.5 +0\.6 +0\.7 +0\.8 +0\.9\s*\n)",
             R"( 1\.0 +1\.1 +1\.2 +1\.3 +1\.4\s*\n)"}) {
        ASSERT_TRUE(w.waitFor([&](const RunResult& r) { return std::count(r.out.begin(), r.out.end(), '\n') > n; }));
        const std::string page = ghostscriptText(dir / "Plot_LC20261206_SFU.txt_last30.EPS");
        EXPECT_TRUE(std::regex_search(page, std::regex(labels))) << labels << "\n" << page;
        std::ofstream(file, std::ios::app) << dataLines(7200, 0.5 * double(++n));
    }
    EXPECT_EQ(w.finish().status, 0);
}

// `quorva plot` without a window or the new options gives the classic
// page; with a window, its own file name and the window's axis.
TEST(Window, GoldenPage)
{
    TempDir dir;
    const auto [name, text] = goldenLightCurves().front();
    writeFile(dir / name, text);
    const std::vector<std::string> window {"--from", "1:34", "--to", "1:37"};
    for (const auto& [format, args, golden] : {std::tuple {"eps", std::vector<std::string> {}, "Plot_" + name + ".EPS"},
             std::tuple {"eps", window, "Plot_" + name + "_013400-013700.EPS"},
             std::tuple {"png", window, "Plot_" + name + "_013400-013700.PNG"}}) {
        std::vector<std::string> plot {"plot", "--format", format, "--output", dir.path(), dir / name};
        plot.insert(plot.end(), args.begin(), args.end());
        const RunResult r = runQuorva(plot);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string page = r.out.substr(0, r.out.find('\n'));
        EXPECT_EQ(fs::path(page).filename(), golden);
        EXPECT_EQ(checkPlot(page), "");
        if (updatingGolden()) {
            fs::copy_file(page, goldenPath(golden), fs::copy_options::overwrite_existing);
        } else if (comparingGolden()) {
            const std::string got = readFile(page), want = readFile(goldenPath(golden));
            ASSERT_FALSE(want.empty()) << golden << " missing: scripts/update-golden.sh writes it";
            EXPECT_TRUE(format[0] == 'e' ? got == want : decodePng(got).pixels == decodePng(want).pixels) << golden;
        }
    }
}

} // namespace
