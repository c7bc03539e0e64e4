// Time windows from outside: `plot`/`stats --from --to` and `watch --last`
// on generated light curves, checked by a reference over the generated text,
// the axis labels Ghostscript reads and golden pages. (Their usage errors:
// conventions_test.)

#include "support/Formats.h"
#include "support/Golden.h"
#include "support/Support.h"

#include <cmath>
#include <map>
#include <sstream>

namespace {

using namespace qtest;

TEST(Window, StatsOfAWindowEqualAReference)
{
    TempDir dir;
    const std::string text = lightCurveText(345600);
    writeFile(dir / "LC_SFU.txt", text);
    const RunResult r = runQuorva({"stats", "--json", "--from", "1.5", "--to", "1:45", dir / "LC_SFU.txt"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::map<std::string, float> ref {{"timeMin", 24}, {"timeMax", 0}, {"min1", 1000}, {"max1", -1000}, {"min2", 1000},
        {"max2", -1000}, {"min3", 1000}, {"max3", -1000}, {"sampleCount", 0}, {"samples", 0}, {"windowFrom", 1.5f},
        {"windowTo", 1.75f}};
    std::istringstream in(text.substr(text.find("MHz\r\n") + 5));
    for (std::string line; std::getline(in, line);) {
        float v[4];
        ASSERT_EQ(std::sscanf(line.c_str(), "%f,%f,%f,%f", &v[0], &v[1], &v[2], &v[3]), 4);
        if (double(v[0]) < 1.5 || double(v[0]) > 1.75) continue;
        ref["sampleCount"] += 1, ref["samples"] += 1;
        ref["timeMin"] = std::min(ref["timeMin"], v[0]), ref["timeMax"] = std::max(ref["timeMax"], v[0]);
        for (int c = 1; c <= 3; ++c) {
            const std::string n = std::to_string(c);
            ref["min" + n] = std::min(ref["min" + n], v[c]), ref["max" + n] = std::max(ref["max" + n], v[c]);
            ref["last" + n] = v[c];
        }
    }
    // Minimum and maximum of channel 1 are those over all three channels.
    ref["min1"] = std::min({ref["min1"], ref["min2"], ref["min3"]});
    ref["max1"] = std::max({ref["max1"], ref["max2"], ref["max3"]});
    ref["yTop"] = float(5 * (std::trunc(double(ref["max1"]) * 0.2) + 1));
    ref["yBottom"] = float(5 * std::trunc(double(ref["min1"]) * 0.2));
    for (const auto& [key, value] : ref) EXPECT_EQ(jsonNumber(r.out, key), value) << key;
    EXPECT_EQ(jsonNumber(r.out, "lineCount"), 345602.0f);
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
    std::vector<std::string> labels;
    for (std::size_t n = 1; n <= 3; ++n) {
        ASSERT_TRUE(
            w.waitFor([n](const RunResult& r) { return std::count(r.out.begin(), r.out.end(), '\n') >= long(n); }));
        // The x-axis labels: the numbers of the last line above "Time [UT]".
        const std::string page = ghostscriptText(dir / "Plot_LC20261206_SFU.txt_last30.EPS");
        std::istringstream in(page.substr(0, page.find("Time [UT]")));
        std::string numbers;
        for (std::string line, word; std::getline(in, line);) {
            std::string found;
            for (std::istringstream words(line); words >> word;)
                found += word.find('.') != std::string::npos ? word + " " : "";
            numbers = found.empty() ? numbers : found;
        }
        labels.push_back(numbers);
        std::ofstream(file, std::ios::app) << dataLines(7200, 0.5 * double(n));
    }
    EXPECT_EQ(w.finish().status, 0);
    EXPECT_EQ(
        labels, (std::vector<std::string> {"0.0 0.1 0.2 0.3 0.4 ", "0.5 0.6 0.7 0.8 0.9 ", "1.0 1.1 1.2 1.3 1.4 "}));
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

// (An empty window for plot and stats: conventions_test.) watch tells an
// empty window once and plots when samples come.
TEST(Window, WatchWaitsForSamplesInTheWindow)
{
    TempDir dir;
    const std::string file = dir / "LC_SFU.txt";
    writeFile(file, lightCurveText(0));
    Process w(
        {QUORVA_BINARY, "watch", "--last", "1", "--count", "1", "--interval", "0.05", "--output", dir.path(), file});
    w.poll(600);
    std::ofstream(file, std::ios::app) << dataLines(10, 2.0);
    const RunResult& r = w.finish(Seconds(20));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "quorva: no samples in " + file + "\n");
    EXPECT_NE(r.out.find("Plot_LC_SFU.txt_last1.PNG\t10\n"), std::string::npos) << r.out;
}

} // namespace
