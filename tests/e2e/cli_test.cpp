// The quorva program from outside, as a user and a package see it: sizes
// and the output folder from Quorva.cfg, temporary files of dead processes,
// the unit rule shared by stats and plot, `stats` as text and as JSON read
// back to the reader's floats, and a program that loads no window toolkit.
// (Every format through its reader: output_faults_test; statuses, messages
// and usage errors: conventions_test.)

#include "lightcurve/LightCurve.h"
#include "support/Formats.h"
#include "support/Support.h"

#include <bit>
#include <map>

namespace {

using namespace qtest;

const std::string kSfu = QUORVA_SOURCE_DIR "/examples/LC20261206_SFU.txt";
const std::string kAdu = QUORVA_SOURCE_DIR "/examples/LC20261207_ADU.txt";

// Width and height from a PNG's header.
std::pair<int, int> pngSize(const std::string& path)
{
    const std::string b = readFile(path);
    return b.size() < 24 ? std::pair {0, 0} : std::pair {int(be32(b, 16)), int(be32(b, 20))};
}

class Cli : public ::testing::Test {
protected:
    RunResult plot(std::vector<std::string> args, const RunOptions& o = {})
    {
        args.insert(args.begin(), "plot");
        return runQuorva(args, o);
    }
    TempDir dir;
};

TEST_F(Cli, SizesAndTheOutputFolderFromQuorvaCfgAndStaleTemporaryFilesGo)
{
    // (Every size on a 1920-pixel desktop: desktop_test; the default size:
    // the window's golden PNG.)
    ASSERT_EQ(plot({"--desktop", "1280X1024", "--output", dir.path(), kAdu}).status, 0);
    EXPECT_EQ(pngSize(dir / "Plot_LC20261207_ADU.txt.PNG"), std::pair(640, 452));
    // Output folder and size from Quorva.cfg in the working folder, named
    // when the folder is missing; the command line wins.
    writeFile(dir / "Quorva.cfg", "comment\n[output]=out/\n[size]=1\n");
    const RunOptions here {.workDir = dir.path()};
    RunResult r = plot({kSfu}, here);
    EXPECT_TRUE(r.status == 1 && r.err.starts_with("quorva: cannot write out/Plot_LC20261206_SFU.txt.PNG: ")
        && r.err.ends_with(": No such file or directory (output folder \"out/\" from ./Quorva.cfg)\n"))
        << r.err;
    // Temporary files of a process that is gone go; those of one that runs
    // (this test) and other names stay.
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    fs::create_directory(dir / "out");
    const std::string stale = ".zedozo-" + std::to_string(gone) + "-3.tmp";
    const std::string live = ".zedozo-" + std::to_string(::getpid()) + "-0.tmp";
    for (const std::string& name : {stale, live, std::string(".zedozo-x-1.tmp")}) writeFile(dir / ("out/" + name), "x");
    EXPECT_EQ(plot({kSfu}, here).out, "out/Plot_LC20261206_SFU.txt.PNG\n");
    EXPECT_EQ(
        listFolder(dir / "out"), (std::vector<std::string> {live, ".zedozo-x-1.tmp", "Plot_LC20261206_SFU.txt.PNG"}));
    EXPECT_EQ(pngSize(dir / "out/Plot_LC20261206_SFU.txt.PNG"), std::pair(640, 452));
    EXPECT_EQ(plot({"--output", ".", "--size", "2", kSfu}, here).out, "./Plot_LC20261206_SFU.txt.PNG\n");
    EXPECT_EQ(pngSize(dir / "Plot_LC20261206_SFU.txt.PNG"), std::pair(960, 678));
}

TEST_F(Cli, StatsAndPlotAgreeOnTheUnit)
{
    // The y axis's name, "[SFU]" or "[ADU]", as pdftotext reads the plot.
    const RunOptions here {.workDir = dir.path()};
    const auto plotted = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"plot", "--format", "pdf"});
        EXPECT_EQ(runQuorva(args, here).status, 0);
        return run({"pdftotext", dir / ("Plot_" + args.back() + ".PDF"), "-"}).out;
    };
    for (auto [name, unit] : {std::pair {"flux_sfu.txt", "SFU"}, {"x_adu_Sfu.txt", "ADU"}, {"lc_SfU_adu.txt", "SFU"},
             {"plain.txt", "ADU"}}) {
        writeFile(dir / name, "Tervasol\nTime_UT,45.0MHz,150.5MHz,410.0MHz\n10.25,5,12.5,-3\n10.75,1e-7,34.28,7.3\n");
        EXPECT_NE(
            runQuorva({"stats", name}, here).out.find(std::string("Last3:   7.30 ") + unit + "\n"), std::string::npos)
            << name;
        EXPECT_NE(plotted({name}).find("\n[" + std::string(unit) + "]\n"), std::string::npos) << name;
    }
    // (--unit for stats: conventions_test.)
    EXPECT_NE(plotted({"--unit", "sfu", "plain.txt"}).find("\n[SFU]\n"), std::string::npos);
}

const char kFile[] = "Tervasol test\r\nTime_UT,45.0MHz,150.5MHz,410.0MHz\r\n7.25,5,1234.5,-3\r\n\r\n"
                     "7.5,12.345,-1200,0.1\r\n8.0,1e-7,3.4028235e38,7";

TEST_F(Cli, StatsPrintsTheStatisticsTextsAndJsonReadsBackToTheReadersFloats)
{
    writeFile(dir / "LC20261206_SFU.txt", kFile);
    RunResult r = runQuorva({"stats", dir / "LC20261206_SFU.txt"});
    const std::string big = "340282346638528859811704183484516925440.00";
    EXPECT_EQ(r.out,
        "File: LC20261206_SFU.txt\nFreq1:  45.00 MHz\nLast1:   0.00 SFU\nMin1: -1200.00 SFU\nMax1: " + big
            + " SFU\nFreq2: 150.50 MHz\nLast2: " + big + " SFU\nMin2: -1200.00 SFU\nMax2: " + big
            + " SFU\nFreq3: 410.00 MHz\nLast3:   7.00 SFU\nMin3:  -3.00 SFU\nMax3:   7.00 SFU\n"
              "Time min:   7.25 UT\nTime max:   8.00 UT\nData Points: 6\nSamples: 3\n");
    // Values at the ends of the float range, and those JSON has no numbers for.
    const std::string path = dir / "LC_json_SFU.txt";
    writeFile(path, std::string(kFile) + "\n9.0,nan,-inf,inf\n10,0.30000001192092896,1.17549435e-38,1.4e-45\n");
    quorva::LightCurve lc;
    ASSERT_TRUE(lc.read(path).opened);
    ASSERT_TRUE(writeFile(dir / "stats.json", (r = runQuorva({"stats", "--json", "--samples", path})).out)) << r.err;
    // An independent JSON reader: every number as the bits of its float,
    // texts as they are, one "key value" line each (arrays as key[i]).
    const RunResult py = run({"python3", "-c", R"(
import json, struct, sys
def show(k, v):
    if isinstance(v, list):
        for i, x in enumerate(v): show('%s[%d]' % (k, i), x)
    elif isinstance(v, str): print(k, v)
    else: print(k, struct.unpack('<I', struct.pack('<f', v))[0])
for k, v in json.load(open(sys.argv[1])).items(): show(k, v)
)",
        dir / "stats.json"});
    ASSERT_EQ(py.status, 0) << py.err << r.out;
    std::map<std::string, std::string> got;
    std::istringstream in(py.out);
    for (std::string key, value; in >> key && std::getline(in >> std::ws, value);) got[key] = value;
    auto expected = [](float v) {
        return std::isnan(v) ? "nan"
            : std::isinf(v)  ? (v > 0 ? "inf" : "-inf")
                             : std::to_string(std::bit_cast<std::uint32_t>(v));
    };
    const std::pair<const char*, float> fields[] = {{"freq1", lc.freq1}, {"freq2", lc.freq2}, {"freq3", lc.freq3},
        {"timeMin", lc.timeMin}, {"timeMax", lc.timeMax}, {"min1", lc.min1}, {"min2", lc.min2}, {"min3", lc.min3},
        {"max1", lc.max1}, {"max2", lc.max2}, {"max3", lc.max3}, {"last1", lc.last1}, {"last2", lc.last2},
        {"last3", lc.last3}, {"yTop", lc.yTop}, {"yBottom", lc.yBottom}};
    for (const auto& [key, value] : fields) EXPECT_EQ(got[key], expected(value)) << key;
    for (std::size_t i = 0; i < 8; ++i)
        for (auto [key, array] : {std::pair {"times", &lc.times}, {"values1", &lc.values1}, {"values2", &lc.values2},
                 {"values3", &lc.values3}})
            EXPECT_EQ(got[key + ("[" + std::to_string(i) + "]")], expected((*array)[i])) << key << i;
    EXPECT_TRUE(got["values1[6]"] == "nan" && got.count("values1[8]") == 0u);
}

TEST_F(Cli, NeedsNoWindowToolkitAndNamesAMissingDesktop)
{
    // Every library the dynamic loader brings in, direct or not.
    const RunResult r = runQuorva({"plot", "--output", dir.path(), kSfu}, {.env = {"LD_DEBUG=libs"}});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("libc.so"), std::string::npos) << "the loader's report is there";
    for (const char* library : {"libQt6", "libX11", "libxcb", "libfontconfig", "libicu", "libGL"})
        EXPECT_EQ(r.err.find(library), std::string::npos) << library;
    // A copy of the program with no desktop program next to it or where
    // the package puts it.
    fs::copy_file(QUORVA_BINARY, dir / "quorva");
    const RunResult alone = run({dir / "quorva"});
    EXPECT_EQ(alone.status, 69) << alone.err;
    EXPECT_EQ(alone.err,
        "quorva: the desktop program is not installed (looked for " + dir / "quorva-desktop" + " and "
            + dir / "../lib/quorva/quorva-desktop" + "); the commands stats, plot and watch work without it\n");
}

} // namespace
