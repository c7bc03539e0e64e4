// The command line from outside, as a user and a package see it: usage
// errors and help, the unit rule shared by stats and plot, JSON that reads
// back to the reader's floats, and a program that loads no window toolkit.

#include "lightcurve/LightCurve.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Output {
    int status = -1;
    std::string out, err;
};

std::string quoted(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/quorva-cli-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        dir = name;
    }
    void TearDown() override { fs::remove_all(dir); }

    // `command` is a shell command line; its output is kept apart by stream.
    Output shell(const std::string& command) const
    {
        const std::string line = "cd " + quoted(dir) + " && (" + command + ") >" + quoted(dir / ".out") + " 2>"
                                 + quoted(dir / ".err") + " </dev/null";
        const int raw = std::system(line.c_str());
        Output r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = slurp(dir / ".out");
        r.err = slurp(dir / ".err");
        return r;
    }
    Output quorva(const std::vector<std::string>& args) const
    {
        std::string line = quoted(QUORVA_BINARY);
        for (const std::string& a : args)
            line += " " + quoted(a);
        return shell(line);
    }
    std::string write(const std::string& name, const std::string& content) const
    {
        std::ofstream(dir / name, std::ios::binary) << content;
        return (dir / name).string();
    }

    fs::path dir;
};

const std::string kPlain = "Tervasol\nTime_UT,45.0MHz,150.5MHz,410.0MHz\n"
                           "10.25,5,12.5,-3\n10.5,12.345,-12,0.1\n10.75,1e-7,34.28235,7.3\n";
// Values at the ends of the float range, and those JSON has no numbers for.
const std::string kExtremes = kPlain + "11.0,0.30000001192092896,1.17549435e-38,1.4e-45\n"
                                       "11.05,3.4028235e38,-1200,2\n11.1,nan,-inf,inf\n";

TEST_F(CommandLine, UsageErrorsAndHelp)
{
    struct Case {
        std::vector<std::string> args;
        std::string reason, command;
    };
    const Case cases[] = {
        {{"--frobnicate"}, "unknown option '--frobnicate'", ""},
        {{"draw"}, "unknown command 'draw'", ""},
        {{"stats"}, "missing FILE", "stats "},
        {{"stats", "--json=yes", "f"}, "--json takes no value", "stats "},
        {{"plot", "--size", "9", "f"}, "--size must be 0, 1, 2, 3 or 4, not '9'", "plot "},
        {{"plot", "--format", "xwin", "f"}, "--format xwin needs the desktop program; run quorva without a command",
         "plot "},
        {{"plot", "f", "--output"}, "missing value after '--output'", "plot "},
        {{"watch", "--count", "1", "--count", "2", "f"}, "--count given more than once", "watch "},
        {{"watch", "a", "b"}, "one FILE or DIR only, not 2", "watch "},
    };
    for (const Case& c : cases) {
        const Output r = quorva(c.args);
        EXPECT_EQ(r.status, 64) << c.reason;
        EXPECT_EQ(r.out, "") << c.reason;
        EXPECT_EQ(r.err, "quorva: " + c.reason + "\nTry 'quorva " + c.command + "--help' for more information.\n");
    }
    for (const std::string command : {"", "stats", "plot", "watch"}) {
        const Output r = command.empty() ? quorva({"--help"}) : quorva({command, "--help"});
        EXPECT_EQ(r.status, 0) << command;
        EXPECT_EQ(r.err, "") << command;
        EXPECT_EQ(r.out.rfind(command.empty() ? "Usage: quorva [COMMAND" : "Usage: quorva " + command, 0), 0u)
            << r.out;
    }
    EXPECT_NE(quorva({"plot", "--help"}).out.find("default 1920x1080 on every machine"), std::string::npos);
}

TEST_F(CommandLine, StatsAndPlotAgreeOnTheUnit)
{
    // The y-axis name of the EPS page is drawn character by character
    // ("CODE X Y ANGLE c"); the three letters between '[' and ']'.
    const auto epsUnit = [](const std::string& eps) {
        static const std::regex name(R"(\s91(?:\s+\d+){3}\s+c\s+(\d+)(?:\s+\d+){3}\s+c\s+(\d+)(?:\s+\d+){3})"
                                     R"(\s+c\s+(\d+)(?:\s+\d+){3}\s+c\s+93\s)");
        std::smatch m;
        if (!std::regex_search(eps, m, name))
            return std::string("none");
        std::string unit;
        for (int i = 1; i <= 3; ++i)
            unit += static_cast<char>(std::stoi(m[i]));
        return unit;
    };
    const std::pair<const char*, const char*> files[] = {
        {"flux_sfu.txt", "SFU"}, {"x_adu_Sfu.txt", "ADU"}, {"lc_SfU_adu.txt", "SFU"}, {"plain.txt", "ADU"}};
    for (const auto& [name, unit] : files) {
        write(name, kPlain);
        const Output stats = quorva({"stats", name});
        EXPECT_NE(stats.out.find(std::string("Last3:   7.30 ") + unit + "\n"), std::string::npos) << stats.out;
        const Output plot = quorva({"plot", "--format", "eps", name});
        ASSERT_EQ(plot.status, 0) << plot.err;
        EXPECT_EQ(epsUnit(slurp(dir / ("Plot_" + std::string(name) + ".EPS"))), unit) << name;
    }
    EXPECT_EQ(quorva({"plot", "--format", "eps", "--unit", "sfu", "plain.txt"}).status, 0);
    EXPECT_EQ(epsUnit(slurp(dir / "Plot_plain.txt.EPS")), "SFU");
    EXPECT_NE(quorva({"stats", "--unit", "sfu", "plain.txt"}).out.find("SFU\n"), std::string::npos);
}

TEST_F(CommandLine, JsonReadsBackToTheReadersFloats)
{
    const std::string path = write("LC_json_SFU.txt", kExtremes);
    quorva::LightCurve lc;
    ASSERT_TRUE(lc.read(path).opened);

    // Python's JSON reader checks the syntax and hands each number on as
    // the text that was written; from_chars turns that into a float.
    const Output r = shell(quoted(QUORVA_BINARY) + " stats --json --samples " + quoted(path)
                        + " | python3 -c 'import json,sys\n"
                          "d = json.load(sys.stdin, parse_float=str, parse_int=str)\n"
                          "for k, v in d.items():\n"
                          "    for i, x in enumerate(v if isinstance(v, list) else [v]): print(k, i, x)'");
    ASSERT_EQ(r.status, 0) << r.err;
    std::map<std::string, std::vector<std::string>> values;
    std::istringstream lines(r.out);
    for (std::string key, text; lines >> key;) {
        std::size_t index;
        lines >> index >> text;
        values[key].push_back(text);
    }
    // The text reads back to exactly the float the reader holds.
    const auto same = [](const std::string& text, float f) {
        if (std::isnan(f) || std::isinf(f))
            return text == (std::isnan(f) ? "nan" : f > 0 ? "inf" : "-inf");
        float g = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), g);
        return ec == std::errc() && end == text.data() + text.size()
               && std::bit_cast<std::uint32_t>(g) == std::bit_cast<std::uint32_t>(f);
    };
    const std::pair<const char*, float> fields[] = {
        {"freq1", lc.freq1}, {"freq2", lc.freq2}, {"freq3", lc.freq3}, {"timeMin", lc.timeMin}, {"timeMax", lc.timeMax},
        {"min1", lc.min1},   {"min2", lc.min2},   {"min3", lc.min3},   {"max1", lc.max1},       {"max2", lc.max2},
        {"max3", lc.max3},   {"last1", lc.last1}, {"last2", lc.last2}, {"last3", lc.last3},     {"yTop", lc.yTop},
        {"yBottom", lc.yBottom}};
    for (const auto& [key, value] : fields) {
        ASSERT_EQ(values[key].size(), 1u) << key;
        EXPECT_TRUE(same(values[key][0], value)) << key << " " << values[key][0];
    }
    const std::pair<const char*, const quorva::SampleArray*> arrays[] = {
        {"times", &lc.times}, {"values1", &lc.values1}, {"values2", &lc.values2}, {"values3", &lc.values3}};
    for (const auto& [key, array] : arrays) {
        ASSERT_EQ(values[key].size(), static_cast<std::size_t>(lc.sampleCount)) << key;
        for (std::size_t i = 0; i < values[key].size(); ++i)
            EXPECT_TRUE(same(values[key][i], (*array)[i])) << key << "[" << i << "] " << values[key][i];
    }
    EXPECT_EQ(values["sampleCount"], std::vector<std::string>{"8"});
    EXPECT_EQ(values["inputPath"], std::vector<std::string>{path});
    EXPECT_EQ(values["values1"][7], "nan");
}

TEST_F(CommandLine, NeedsNoWindowToolkitAndNamesAMissingDesktop)
{
    // Every library the dynamic loader brings in, direct or not.
    const Output r =
        shell("env LD_DEBUG=libs " + quoted(QUORVA_BINARY) + " plot --format png " + quoted(write("LC_SFU.txt", kPlain)));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("libc.so"), std::string::npos) << "the loader's report is there";
    for (const char* library : {"libQt6", "libX11", "libxcb", "libfontconfig", "libicu", "libGL"})
        EXPECT_EQ(r.err.find(library), std::string::npos) << library;

    // A copy of the program with no desktop program next to it or where
    // the package puts it.
    fs::copy_file(QUORVA_BINARY, dir / "quorva");
    const Output alone = shell("./quorva");
    EXPECT_EQ(alone.status, 69);
    EXPECT_EQ(alone.err, "quorva: the desktop program is not installed (looked for " + (dir / "quorva-desktop").string()
                             + " and " + (dir / "../lib/quorva/quorva-desktop").string()
                             + "); the commands stats, plot and watch work without it\n");
}

} // namespace
