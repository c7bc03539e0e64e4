// The quorva program from outside: `plot` to every format (each file through
// its reader), sizes and defaults from Quorva.cfg, files that cannot be read
// or written, reproducible bytes, the progress line, usage errors; `stats`
// as text and as JSON read back to the same floats.

#include "lightcurve/LightCurve.h"
#include "support/Support.h"

#include <bit>
#include <map>
#include <sstream>

#include <sys/stat.h>

namespace {

using namespace qtest;

const std::string kSfu = QUORVA_SOURCE_DIR "/examples/LC20261206_SFU.txt";
const std::string kAdu = QUORVA_SOURCE_DIR "/examples/LC20261207_ADU.txt";

// Width and height from a PNG's header.
std::pair<int, int> pngSize(const std::string& path)
{
    const std::string b = readFile(path);
    auto be = [&](std::size_t at) { return (unsigned char)b[at] << 24 | (unsigned char)b[at + 1] << 16 | (unsigned char)b[at + 2] << 8 | (unsigned char)b[at + 3]; };
    return b.size() < 24 ? std::pair{0, 0} : std::pair{be(16), be(20)};
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

TEST_F(Cli, PlotsEveryFormatToFilesTheirReadersAccept)
{
    for (const char* format : {"pdf", "EPS", "png"}) {
        const RunResult r = plot({"--format", format, "--output", dir.path(), kSfu});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        ASSERT_TRUE(endsWith(r.out, "\n"));
        EXPECT_EQ(checkPlot(r.out.substr(0, r.out.size() - 1)), "") << format;
    }
    const RunResult text = run({"pdftotext", dir / "Plot_LC20261206_SFU.txt.PDF", "-"});
    for (const char* expected : {"LC20261206_SFU.txt:r= 45.00MHz, g=150.50MHz, b=410.00MHz", "Time [UT]", "[SFU]",
                                 "VAXO 14.11.2023, 22:13:20, ZEDOZO 9.1 Tervasol"})
        EXPECT_NE(text.out.find(expected), std::string::npos) << expected << " not in\n" << text.out;
}

TEST_F(Cli, SizesFollowThePlotSizeTheDesktopAndQuorvaCfg)
{
    // Both sides from the desktop width; "Extra Large" reaches past a
    // 1080-pixel desktop and still gets its full size.
    for (auto [size, w, h] : {std::tuple{"0", 480, 339}, {"4", 3840, 2715}}) {
        const RunResult r = plot({"--size", size, "--desktop", "1920x1080", "--output", dir.path(), kAdu});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(pngSize(dir / "Plot_LC20261207_ADU.txt.PNG"), std::pair(w, h)) << size;
    }
    ASSERT_EQ(plot({"--desktop", "1280X1024", "--output", dir.path(), kAdu}).status, 0);
    EXPECT_EQ(pngSize(dir / "Plot_LC20261207_ADU.txt.PNG"), std::pair(640, 452));
    // Output folder and size from Quorva.cfg in the working folder; the
    // command line wins; '|' is a blank; a size outside 0..4 is Medium.
    fs::create_directory(dir / "plots");
    fs::create_directory(dir / "My Plots");
    writeFile(dir / "Quorva.cfg", "comment\n[output]=plots/\n[size]=1\n");
    const RunOptions here{.workDir = dir.path()};
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
    RunResult r = plot({"--output", dir / "out", dir / "missing.txt", dir / "out", dir / "fifo.txt", kSfu},
                       {.timeout = Seconds(60)});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, dir / "out/Plot_LC20261206_SFU.txt.PNG\n");
    for (const std::string& bad : {dir / "missing.txt", dir / "out", dir / "fifo.txt"})
        EXPECT_NE(r.err.find("quorva: cannot open " + bad + ": "), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 3) << r.err;
    // Paths that cannot reach the standard output are a failure too.
    r = plot({"--output", dir / "out", kAdu}, {.stdoutFile = "/dev/full"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("standard output"), std::string::npos) << r.err;
    // The same plot name twice would overwrite the first plot.
    r = plot({"--output", dir / "out", kSfu, kSfu});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, dir / "out/Plot_LC20261206_SFU.txt.PNG\n");
    EXPECT_NE(r.err.find("written already"), std::string::npos) << r.err;
    EXPECT_EQ(listFolder(dir / "out").size(), 2u);
}

TEST_F(Cli, TheSameInputAndDateGiveTheSameBytesAndATerminalSeesProgress)
{
    for (const char* sub : {"a", "b", "c"})
        fs::create_directory(dir / sub);
    for (const char* format : {"pdf", "eps", "png"})
        for (const char* sub : {"a", "b"})
            ASSERT_EQ(plot({"--format", format, "--output", dir / sub, kSfu, kAdu}).status, 0);
    ASSERT_EQ(listFolder(dir / "a").size(), 6u);
    for (const std::string& f : listFolder(dir / "a"))
        EXPECT_TRUE(readFile(dir / "a/" + f) == readFile(dir / "b/" + f)) << f;
    ASSERT_EQ(plot({"--format", "pdf", "--output", dir / "c", kSfu}, {.env = {"SOURCE_DATE_EPOCH=1800000000"}}).status, 0);
    EXPECT_NE(readFile(dir / "a/Plot_LC20261206_SFU.txt.PDF"), readFile(dir / "c/Plot_LC20261206_SFU.txt.PDF"));
    // `script` gives the program a terminal: a progress line per file there,
    // none into a pipe.
    const RunResult t = run({"script", "-qec", "'" QUORVA_BINARY "' plot --output '" + dir.path() + "' '" + kSfu + "' '" + kAdu + "'", "/dev/null"});
    EXPECT_EQ(t.status, 0) << t.out;
    EXPECT_NE(t.out.find("\rquorva: plotting 2/2: " + kAdu), std::string::npos) << t.out;
    const RunResult plain = plot({"--output", dir.path(), kSfu});
    EXPECT_EQ(plain.err + plain.out, dir / "Plot_LC20261206_SFU.txt.PNG\n");
}

TEST_F(Cli, BadUsageEndsWith64AndWritesNothing)
{
    const std::vector<std::vector<std::string>> bad = {
        {"plot"}, {"plot", "--format", "gif", kSfu}, {"plot", "--size", "5", kSfu}, {"plot", "--thickness", "0", kSfu},
        {"plot", "--desktop", "1920x1080x2", kSfu}, {"plot", "--format", "pdf", "--format=eps", kSfu}, {"plot", kSfu, "--output"},
        {"stats"}, {"stats", kSfu, kSfu}, {"stats", "--unit", "XYZ", kSfu}, {"stats", "--samples", kSfu}, {"nosuchcommand"},
        {"watch", "--interval", "0.04", "x"}, {"watch", "--interval", "1e1", "x"}, {"watch", "--count", "0", "x"},
        {"watch", "--always=yes", "x"}, {"watch", "a", "b"}, {"watch", "--format", "svg", "x"}};
    for (const auto& args : bad) {
        const RunResult r = runQuorva(args, {.workDir = dir.path()});
        EXPECT_EQ(r.status, 64) << args[0] << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_FALSE(r.err.empty());
        EXPECT_EQ(r.out, "");
    }
    EXPECT_TRUE(listFolder(dir.path()).empty()) << "nothing written";
    for (const char* command : {"plot", "stats", "watch"})
        EXPECT_EQ(runQuorva({command, "--help"}).status, 0) << command;
    // After "--" a name that starts with '-' is a file.
    fs::copy_file(kSfu, dir / "-LC_SFU.txt");
    const RunResult dashed = plot({"--output", dir.path(), "--", "-LC_SFU.txt"}, {.workDir = dir.path()});
    EXPECT_EQ(dashed.status, 0) << dashed.err;
    EXPECT_NE(dashed.out.find("-LC_SFU.txt"), std::string::npos);
}

const char kFile[] = "Tervasol test\r\nTime_UT,45.0MHz,150.5MHz,410.0MHz\r\n7.25,5,1234.5,-3\r\n\r\n"
                     "7.5,12.345,-1200,0.1\r\n8.0,1e-7,3.4028235e38,7";

TEST_F(Cli, StatsPrintsTheStatisticsTextsAndJsonReadsBackToTheSameFloats)
{
    writeFile(dir / "LC20261206_SFU.txt", kFile);
    RunResult r = runQuorva({"stats", dir / "LC20261206_SFU.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string big = "340282346638528859811704183484516925440.00";
    EXPECT_EQ(r.out, "File: LC20261206_SFU.txt\nFreq1:  45.00 MHz\nLast1:   0.00 SFU\nMin1: -1200.00 SFU\nMax1: " + big
                         + " SFU\nFreq2: 150.50 MHz\nLast2: " + big + " SFU\nMin2: -1200.00 SFU\nMax2: " + big
                         + " SFU\nFreq3: 410.00 MHz\nLast3:   7.00 SFU\nMin3:  -3.00 SFU\nMax3:   7.00 SFU\n"
                           "Time min:   7.25 UT\nTime max:   8.00 UT\nData Points: 6\n");
    // The unit follows the file name; --unit overrides it.
    writeFile(dir / "burst.csv", kFile);
    EXPECT_NE(runQuorva({"stats", dir / "burst.csv"}).out.find("Last3:   7.00 ADU\n"), std::string::npos);
    EXPECT_NE(runQuorva({"stats", "--unit", "sfu", dir / "burst.csv"}).out.find("Last3:   7.00 SFU\n"), std::string::npos);

    const std::string path = dir / "LC_json_SFU.txt";
    writeFile(path, std::string(kFile) + "\n9.0,nan,-inf,inf\n10,0.30000001192092896,1.17549435e-38,1.4e-45\n");
    quorva::LightCurve lc;
    ASSERT_TRUE(lc.read(path).opened);
    r = runQuorva({"stats", "--json", "--samples", path});
    ASSERT_EQ(r.status, 0) << r.err;
    writeFile(dir / "stats.json", r.out);
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
)", dir / "stats.json"});
    ASSERT_EQ(py.status, 0) << py.err << r.out;
    std::map<std::string, std::string> got;
    std::istringstream in(py.out);
    for (std::string key, value; in >> key && std::getline(in >> std::ws, value);)
        got[key] = value;
    auto expected = [](float v) {
        return std::isnan(v) ? "nan" : std::isinf(v) ? (v > 0 ? "inf" : "-inf") : std::to_string(std::bit_cast<std::uint32_t>(v));
    };
    EXPECT_EQ(got["inputPath"], path);
    EXPECT_EQ(got["sampleCount"], expected(8.0f));
    const std::pair<const char*, float> fields[] = {
        {"freq1", lc.freq1}, {"freq3", lc.freq3}, {"timeMin", lc.timeMin}, {"timeMax", lc.timeMax}, {"min1", lc.min1},
        {"min2", lc.min2},   {"max1", lc.max1},   {"max3", lc.max3},       {"last1", lc.last1},     {"last2", lc.last2},
        {"yTop", lc.yTop},   {"yBottom", lc.yBottom}};
    for (const auto& [key, value] : fields)
        EXPECT_EQ(got[key], expected(value)) << key;
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(got["times[" + std::to_string(i) + "]"], expected(lc.times[i])) << i;
        EXPECT_EQ(got["values1[" + std::to_string(i) + "]"], expected(lc.values1[i])) << i;
        EXPECT_EQ(got["values3[" + std::to_string(i) + "]"], expected(lc.values3[i])) << i;
    }
    EXPECT_EQ(got["values1[6]"], "nan");
    EXPECT_EQ(got.count("values1[8]"), 0u);
}

} // namespace
