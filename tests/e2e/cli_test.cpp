// The quorva program from outside, as a user and a package see it: sizes
// and defaults from Quorva.cfg, files that cannot be read or written,
// the date of a PDF, usage errors, the unit rule shared by stats and plot,
// `stats` as text and as JSON read back to the reader's floats, and a
// program that loads no window toolkit. (Every format through its reader:
// output_faults_test.)

#include "lightcurve/LightCurve.h"
#include "support/Formats.h"
#include "support/Support.h"

#include <bit>
#include <map>
#include <regex>

#include <sys/stat.h>

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

TEST_F(Cli, SizesFollowThePlotSizeTheDesktopAndQuorvaCfg)
{
    // (Every size on a 1920-pixel desktop: desktop_test.)
    ASSERT_EQ(plot({"--desktop", "1280X1024", "--output", dir.path(), kAdu}).status, 0);
    EXPECT_EQ(pngSize(dir / "Plot_LC20261207_ADU.txt.PNG"), std::pair(640, 452));
    // Output folder and size from Quorva.cfg in the working folder; the
    // command line wins; '|' is a blank; a size outside 0..4 is Medium.
    fs::create_directories(dir / "plots"), fs::create_directory(dir / "My Plots");
    writeFile(dir / "Quorva.cfg", "comment\n[output]=plots/\n[size]=1\n");
    const RunOptions here {.workDir = dir.path()};
    EXPECT_EQ(plot({"--desktop", "1920x1080", kSfu}, here).out, "plots/Plot_LC20261206_SFU.txt.PNG\n");
    EXPECT_EQ(pngSize(dir / "plots/Plot_LC20261206_SFU.txt.PNG"), std::pair(640, 452));
    EXPECT_EQ(plot({"--output", "My Plots", "--desktop", "1920x1080", "--size", "2", kSfu}, here).out,
        "My Plots/Plot_LC20261206_SFU.txt.PNG\n");
    EXPECT_EQ(pngSize(dir / "My Plots/Plot_LC20261206_SFU.txt.PNG"), std::pair(960, 678));
    fs::remove(dir / "Quorva.cfg");
    EXPECT_EQ(plot({"--desktop", "1920x1080", kSfu}, here).out, "Plot_LC20261206_SFU.txt.PNG\n");
    EXPECT_EQ(pngSize(dir / "Plot_LC20261206_SFU.txt.PNG"), std::pair(960, 678));
}

TEST_F(Cli, UnreadableAndUnwritableFilesAreToldAndTheOthersPlotted)
{
    fs::create_directory(dir / "out");
    ASSERT_EQ(::mkfifo((dir / "fifo.txt").c_str(), 0600), 0);
    RunResult r = plot(
        {"--output", dir / "out", dir / "missing.txt", dir / "out", dir / "fifo.txt", kSfu}, {.timeout = Seconds(60)});
    EXPECT_TRUE(r.status == 2 && r.out == dir / "out/Plot_LC20261206_SFU.txt.PNG\n") << r.out;
    for (const auto& [bad, why] : {std::pair(dir / "missing.txt", "No such file or directory"),
             std::pair(dir / "out", "Is a directory"), std::pair(dir / "fifo.txt", "not a regular file")})
        EXPECT_NE(r.err.find("quorva: cannot open " + bad + ": " + why + "\n"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 3) << r.err;
    // The same plot name twice would overwrite the first plot.
    r = plot({"--output", dir / "out", kSfu, kSfu});
    EXPECT_TRUE(r.status == 1 && r.out == dir / "out/Plot_LC20261206_SFU.txt.PNG\n"
        && r.err.find("written already") != std::string::npos)
        << r.err;
    EXPECT_EQ(listFolder(dir / "out").size(), 1u);
}

// (The same input gives the same bytes: the golden pages, and the plots of
// standard input in conventions_test.) The date in the PDF is the one of
// SOURCE_DATE_EPOCH.
TEST_F(Cli, ThePdfIsDatedBySourceDateEpoch)
{
    const RunResult r
        = plot({"--format", "pdf", "--output", dir.path(), kSfu}, {.env = {"SOURCE_DATE_EPOCH=1800000000"}});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(
        readFile(dir / "Plot_LC20261206_SFU.txt.PDF").find("/CreationDate (D:20270115080000)"), std::string::npos);
}

TEST_F(Cli, BadUsageEndsWith64WritesNothingAndSaysWhereHelpIs)
{
    struct Case {
        std::vector<std::string> args;
        std::string reason, command; // the exact message, when given
    };
    const Case cases[] = {{{"--frobnicate"}, "unknown option '--frobnicate'", ""},
        {{"draw"}, "unknown command 'draw'", ""}, {{"stats"}, "missing FILE", "stats "},
        {{"stats", "--json=yes", "f"}, "--json takes no value", "stats "},
        {{"plot", "--size", "9", "f"}, "--size must be 0, 1, 2, 3 or 4, not '9'", "plot "},
        {{"plot", "--format", "xwin", "f"}, "--format xwin needs the desktop program; run quorva without a command",
            "plot "},
        {{"plot", "f", "--output"}, "missing value after '--output'", "plot "},
        {{"watch", "--count", "1", "--count", "0", "f"}, "--count must be a whole number of at least 1, not '0'",
            "watch "},
        {{"watch", "a", "b"}, "one FILE or DIR only, not 2", "watch "},
        {{"plot", "--from", "11", "--to", "10:59", "f"}, "--from 11 is after --to 10:59", "plot "},
        {{"plot", "--from", "24:01", "f"}, "--from must be hours UT (10.5) or HH:MM[:SS] from 0 to 24, not '24:01'",
            "plot "},
        {{"stats", "--to", "10:7", "f"}, "--to must be hours UT (10.5) or HH:MM[:SS] from 0 to 24, not '10:7'",
            "stats "},
        {{"watch", "--last", "0.05", "f"}, "--last must be a number of minutes from 0.1 to 1440, not '0.05'", "watch "},
        {{"watch", "--from", "1", "f"}, "unknown option '--from'", "watch "},
        {{"plot", "--axes", "round", "f"}, "--axes must be classic or readable, not 'round'", "plot "},
        {{"plot", "--axes", "classic", "--log", kSfu}}, {{"plot"}}, {{"plot", "--format", "gif", kSfu}},
        {{"plot", "--thickness", "0", kSfu}}, {{"plot", "--desktop", "1920x1080x2", kSfu}},
        {{"plot", "--format", "pdf", "--format=gif", kSfu}}, {{"stats", kSfu, kSfu}},
        {{"stats", "--unit", "XYZ", kSfu}}, {{"stats", "--samples", kSfu}}, {{"watch", "--interval", "0.04", "x"}},
        {{"watch", "--interval", "1e1", "x"}}, {{"watch", "--count", "0", "x"}}, {{"watch", "--always=yes", "x"}},
        {{"watch", "--format", "svg", "x"}}};
    for (const Case& c : cases) {
        const RunResult r = runQuorva(c.args, {.workDir = dir.path()});
        EXPECT_EQ(r.status, 64) << c.args[0] << " " << (c.args.size() > 1 ? c.args[1] : "");
        EXPECT_EQ(r.out, "");
        if (c.reason.empty())
            EXPECT_TRUE(r.err.starts_with("quorva: ")) << r.err;
        else
            EXPECT_EQ(r.err, "quorva: " + c.reason + "\nTry 'quorva " + c.command + "--help' for more information.\n");
    }
    EXPECT_TRUE(listFolder(dir.path()).empty()) << "nothing written";
    EXPECT_NE(runQuorva({"plot", "--help"}).out.find("default 1920x1080 on every machine"), std::string::npos);
    // After "--" a name that starts with '-' is a file.
    fs::copy_file(kSfu, dir / "-LC_SFU.txt");
    const RunResult dashed = plot({"--output", dir.path(), "--", "-LC_SFU.txt"}, {.workDir = dir.path()});
    EXPECT_TRUE(dashed.status == 0 && dashed.out.find("-LC_SFU.txt") != std::string::npos) << dashed.err;
}

TEST_F(Cli, StatsAndPlotAgreeOnTheUnit)
{
    // The y-axis name of the EPS page is drawn character by character
    // ("CODE X Y ANGLE c"); the three letters between '[' and ']'.
    const auto epsUnit = [](const std::string& eps) {
        static const std::regex name(R"(\s91(?:\s+\d+){3}\s+c\s+(\d+)(?:\s+\d+){3}\s+c\s+(\d+)(?:\s+\d+){3})"
                                     R"(\s+c\s+(\d+)(?:\s+\d+){3}\s+c\s+93\s)");
        std::smatch m;
        if (!std::regex_search(eps, m, name)) return std::string("none");
        return std::string {char(std::stoi(m[1])), char(std::stoi(m[2])), char(std::stoi(m[3]))};
    };
    const RunOptions here {.workDir = dir.path()};
    for (auto [name, unit] : {std::pair {"flux_sfu.txt", "SFU"}, {"x_adu_Sfu.txt", "ADU"}, {"lc_SfU_adu.txt", "SFU"},
             {"plain.txt", "ADU"}}) {
        writeFile(dir / name, "Tervasol\nTime_UT,45.0MHz,150.5MHz,410.0MHz\n10.25,5,12.5,-3\n10.75,1e-7,34.28,7.3\n");
        EXPECT_NE(
            runQuorva({"stats", name}, here).out.find(std::string("Last3:   7.30 ") + unit + "\n"), std::string::npos)
            << name;
        ASSERT_EQ(runQuorva({"plot", "--format", "eps", name}, here).status, 0);
        EXPECT_EQ(epsUnit(readFile(dir / ("Plot_" + std::string(name) + ".EPS"))), unit) << name;
    }
    EXPECT_EQ(runQuorva({"plot", "--format", "eps", "--unit", "sfu", "plain.txt"}, here).status, 0);
    EXPECT_EQ(epsUnit(readFile(dir / "Plot_plain.txt.EPS")), "SFU");
    EXPECT_NE(runQuorva({"stats", "--unit", "sfu", "plain.txt"}, here).out.find("SFU\n"), std::string::npos);
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
    EXPECT_EQ(got["inputPath"] + " " + got["sampleCount"] + " " + got["samples"],
        path + " " + expected(8.0f) + " " + expected(5.0f));
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
