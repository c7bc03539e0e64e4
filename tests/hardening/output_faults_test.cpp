// Plot output under faults, through the program: an output folder that is
// read-only (as another user), on a full disk (file-size limit), missing,
// or a folder in the plot's place; hostile content and names. After a
// failed plot the previous plots are intact and no temporary file is left;
// every plot written passes its format's own reader.

#include "support/Support.h"

#include <random>

#include <sys/stat.h>

namespace {

using namespace qtest;

// (The format without regard to case: "EPS".)
const char* const kFormats[] = {"pdf", "EPS", "png"};

class OutputFaults : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(writeFile(input, lightCurveText(3000))); }
    RunResult plot(const char* format, const std::string& out, const std::string& file, const RunOptions& o = {})
    {
        return runQuorva({"plot", "--format", format, "--output", out, file}, o);
    }
    // The contents of a folder's files in the order of their names.
    std::vector<std::string> contents(const std::string& out)
    {
        std::vector<std::string> v;
        for (const std::string& n : listFolder(out)) v.push_back(readFile(out + "/" + n));
        return v;
    }
    TempDir dir;
    std::string input = dir / "LC20261206_SFU.txt";
};

TEST_F(OutputFaults, AReadOnlyFolderOrAFullDiskKeepsThePreviousPlots)
{
    const std::string out = dir / "out";
    fs::create_directory(out);
    for (const char* f : kFormats) ASSERT_EQ(plot(f, out, input).status, 0);
    const std::vector<std::string> before = contents(out);
    // A newer light curve, so that a plot that got through would differ.
    writeFile(input, lightCurveText(3500, 1.0));
    ASSERT_EQ(::chmod(out.c_str(), 0555), 0);
    writeFile(dir / "LC20261207_ADU.txt", lightCurveText(100));
    // Root writes into any folder: the writer is "nobody".
    for (const char* f : kFormats) {
        RunResult p = plot(f, out, input, {.uid = kNobody});
        EXPECT_TRUE(p.status == 1 && p.out.empty()
            && p.err.find("quorva: cannot write " + out + "/") != std::string::npos
            && p.err.find("Plotfile cannot be deleted") != std::string::npos)
            << f << ": " << p.err;
        p = plot(f, out, dir / "LC20261207_ADU.txt", {.uid = kNobody}); // nor a new one created
        EXPECT_TRUE(p.status == 1 && p.err.find("Permission denied") != std::string::npos) << f << ": " << p.err;
    }
    EXPECT_TRUE(contents(out) == before) << "a plot changed or a temporary file is left";
    ASSERT_EQ(::chmod(out.c_str(), 0755), 0);
    // Files may grow to 2 kB: every plot runs out of room part-way.
    for (const char* f : kFormats) {
        const RunResult p = plot(f, out, input, {.fileSizeLimit = 2048});
        EXPECT_TRUE(p.status == 1 && p.err.find("File too large") != std::string::npos) << f << ": " << p.err;
    }
    EXPECT_TRUE(contents(out) == before) << "a plot changed or a temporary file is left";
    // With room again the plots are written and pass their readers.
    for (const char* f : kFormats) {
        const RunResult p = plot(f, out, input);
        EXPECT_TRUE(p.status == 0 && checkPlot(p.out.substr(0, p.out.find('\n'))).empty()) << p.err;
    }
    EXPECT_EQ(listFolder(out).size(), 3u);
}

TEST_F(OutputFaults, AMissingFolderOrAFolderInThePlotsPlace)
{
    for (const char* f : kFormats) {
        const RunResult p = plot(f, dir / "missing/deeper", input);
        EXPECT_TRUE(p.status == 1 && p.err.find("No such file or directory") != std::string::npos) << p.err;
    }
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string> {"LC20261206_SFU.txt"});
    const std::string out = dir / "out";
    fs::create_directory(out);
    for (const char* f : kFormats) {
        const std::string name = plot(f, out, input).out; // learn the plot's name, then take its place
        ASSERT_FALSE(name.empty());
        const std::string taken = name.substr(0, name.find('\n'));
        fs::remove(taken);
        fs::create_directory(taken);
        writeFile(taken + "/keep", "kept");
        const RunResult p = plot(f, out, input);
        EXPECT_TRUE(p.status == 1 && p.err.find("quorva: cannot write " + taken + ": ") != std::string::npos) << p.err;
        EXPECT_EQ(readFile(taken + "/keep"), "kept");
    }
    EXPECT_EQ(listFolder(out).size(), 3u);
}

TEST_F(OutputFaults, HostileContentAndNamesPlotToValidFiles)
{
    std::mt19937 random(99);
    std::string binary(200000, '\0');
    for (char& c : binary) c = char(random() & 0xff);
    std::string extremes = "t\nTime_UT,1e38MHz,-1e38MHz,nanMHz\n";
    for (int i = 0; i < 500; ++i)
        extremes += std::to_string(i % 7 == 0 ? 1e30 : -i) + ",3e38,-3e38," + (i % 2 ? "inf" : "nan") + "\n";
    // Conversions, blanks, string delimiters and bytes that are not UTF-8
    // in a folder chain of about 4,000 characters.
    const std::string hostile = "LC%s%n(%x)\\ \xc3\x28 )\xff_SFU.txt";
    std::string folder = dir.path();
    while (folder.size() < 3950 - hostile.size()) {
        folder += "/" + ("out %s%n(\xfe" + std::string(190, 'w')).substr(0, 3950 - hostile.size() - folder.size());
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    }
    const std::pair<std::string, std::string> cases[] = {
        {dir / "LC_binary_SFU.txt", binary},
        {dir / "LC_extremes_SFU.txt", extremes},
        {dir / "LC_tiny_SFU.txt", "t\nh\n12,1e-45,1e-45,1e-45\n12,1e-45,1e-45,1e-45\n"},
        {dir / "LC_times_SFU.txt", "t\nh\n23.99,5,5,5\n0.01,-5,-5,-5\n30,1,2,3\n-4,1,2,3\n"},
        {dir / "LC_one_SFU.txt", "t\nh\n12,100,200,300"},
        {dir / "LC_nan_SFU.txt", "t\nh\n10,1,2,3\nnan,5,6,7\n11,nan,2,3\n12,1,-nan,3\n13,4,5,6\n"},
        {folder + "/" + hostile, lightCurveText(200)},
    };
    for (const auto& [file, content] : cases) {
        ASSERT_TRUE(writeFile(file, content));
        for (const char* f : kFormats) {
            const RunResult p = plot(f, folder, file);
            EXPECT_EQ(p.status, 0) << file.substr(0, 60) << " " << f << ": " << p.err;
            ASSERT_TRUE(p.out.ends_with("\n"));
            const std::string plotFile = p.out.substr(0, p.out.size() - 1);
            EXPECT_NE(plotFile.find(fs::path(file).filename().string()), std::string::npos) << "the name whole";
            EXPECT_EQ(checkPlot(plotFile), "") << file.substr(0, 60);
            // No coordinate made from a NaN or an infinity.
            for (const char* bad : {"2147483648", "2147483647", " nan", " inf", "-nan", "-inf"})
                EXPECT_TRUE(std::string(f) == "png" || readFile(plotFile).find(bad) == std::string::npos)
                    << file.substr(0, 60) << " " << f << ": " << bad;
        }
    }
    EXPECT_EQ(listFolder(folder).size(), 22u) << "three plots each and the hostile file";
}

} // namespace
