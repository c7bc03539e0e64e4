// Plot output under faults: an output folder that is missing, read-only or
// on a full disk, a plot name taken by a folder; hostile light-curve
// content and hostile names plotted to every file format. After a failed
// plot the previous plot file is intact and no temporary file is left; every
// plot that is written passes its format's own checker.

#include "HardeningSupport.h"

#include "app/RePlot.h"
#include "engine/core/EngineState.h"
#include "plotjob/PlotSequence.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

using hardening::ScratchFolder;

struct Format {
    const char* option;    // --format
    const char* extension; // of the plot file
    quorva::OutputChoice choice;
};
const Format kFormats[] = {
    {"pdf", "PDF", quorva::OutputChoice::Pdf},
    {"eps", "EPS", quorva::OutputChoice::Eps},
    {"png", "PNG", quorva::OutputChoice::Png},
};

// A folder `out` holding a good plot of every format made from `input`.
void makePreviousPlots(const std::string& input, const std::string& out)
{
    ASSERT_EQ(::mkdir(out.c_str(), 0755), 0);
    for (const Format& f : kFormats) {
        const hardening::ProcessResult p = hardening::runQuorva({"plot", "--format", f.option, "--output", out, input});
        ASSERT_EQ(p.status, 0) << p.err;
    }
    ASSERT_EQ(hardening::listFolder(out).size(), 3u);
}

// The plots in `out` are byte for byte the ones saved before.
void expectUnchanged(const std::string& out, const std::vector<std::string>& names,
                     const std::vector<std::string>& contents)
{
    EXPECT_EQ(hardening::listFolder(out), names) << "no temporary file may be left";
    for (std::size_t i = 0; i < names.size() && i < contents.size(); ++i)
        EXPECT_TRUE(hardening::readFile(out + "/" + names[i]) == contents[i]) << names[i] << " changed";
}

class OutputFaults : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.ok());
        input = dir / "LC20261206_SFU.txt";
        ASSERT_TRUE(hardening::writeFile(input, hardening::lightCurveText(3000)));
    }
    ScratchFolder dir;
    std::string input;
};

TEST_F(OutputFaults, ReadOnlyFolderKeepsThePreviousPlots)
{
    const std::string out = dir / "out";
    makePreviousPlots(input, out);
    const std::vector<std::string> names = hardening::listFolder(out);
    std::vector<std::string> before;
    for (const std::string& n : names)
        before.push_back(hardening::readFile(out + "/" + n));
    // A newer light curve, so that a plot that got through would differ.
    ASSERT_TRUE(hardening::writeFile(input, hardening::lightCurveText(3500, 2.0f)));
    ASSERT_EQ(::chmod(out.c_str(), 0555), 0);

    // Root writes into any folder, so the writer is the user "nobody".
    for (const Format& f : kFormats) {
        const hardening::ProcessResult p =
            hardening::runQuorva({"plot", "--format", f.option, "--output", out, input}, {}, {}, hardening::kNobody);
        ASSERT_TRUE(p.started);
        const std::string plotFile = out + "/Plot_LC20261206_SFU.txt." + f.extension;
        EXPECT_EQ(p.status, 1) << f.option << ": " << p.err;
        EXPECT_EQ(p.out, "");
        // The old plot cannot be replaced: the engine's own reason.
        EXPECT_EQ(p.err, "quorva: cannot write " + plotFile + ": Plotfile cannot be deleted\n");
    }
    expectUnchanged(out, names, before);

    // A plot of another name cannot even be created there.
    const std::string other = dir / "LC20261207_ADU.txt";
    ASSERT_TRUE(hardening::writeFile(other, hardening::lightCurveText(100)));
    for (const Format& f : kFormats) {
        const hardening::ProcessResult p =
            hardening::runQuorva({"plot", "--format", f.option, "--output", out, other}, {}, {}, hardening::kNobody);
        EXPECT_EQ(p.status, 1) << f.option << ": " << p.err;
        EXPECT_NE(p.err.find("quorva: cannot write " + out + "/Plot_LC20261207_ADU.txt." + f.extension + ": "),
                  std::string::npos)
            << p.err;
        EXPECT_NE(p.err.find("Permission denied"), std::string::npos) << p.err;
    }
    expectUnchanged(out, names, before);

    // The same through the library's re-plot.
    const int result = hardening::inChild(
        [&] {
            quorva::RePlot rePlot;
            rePlot.setPlotStep(&quorva::plot);
            rePlot.description().reset(1920, rePlot.geometry());
            for (const std::string& file : {input, other}) {
                for (const Format& f : kFormats) {
                    rePlot.run({.selectedPath = file, .unitText = "SFU", .outputFolder = out + "/", .output = f.choice,
                                .thicknessText = "2"});
                    const zedozo::EngineFailure& failure = zedozo::lastFailure();
                    if (file == input && failure.warning != 168)
                        return 1;
                    if (file == other && (failure.warning != 36 || failure.reason.find("Permission denied") == std::string::npos))
                        return 2;
                }
            }
            return 0;
        },
        [] {
            testing::internal::CaptureStdout(); // the engine's warning lines before errmod
            return hardening::becomeNobody();
        });
    EXPECT_EQ(result, 0);
    expectUnchanged(out, names, before);
}

TEST_F(OutputFaults, FullDiskKeepsThePreviousPlots)
{
    const std::string out = dir / "out";
    makePreviousPlots(input, out);
    const std::vector<std::string> names = hardening::listFolder(out);
    std::vector<std::string> before;
    for (const std::string& n : names)
        before.push_back(hardening::readFile(out + "/" + n));
    ASSERT_TRUE(hardening::writeFile(input, hardening::lightCurveText(3500, 2.0f)));

    // Files may grow to 2 kB: every plot runs out of room part-way, as on a
    // full disk; the write fails instead of killing the program.
    for (const Format& f : kFormats) {
        const hardening::ProcessResult p = hardening::runQuorva(
            {"plot", "--format", f.option, "--output", out, input}, {}, {}, 0, std::chrono::seconds(120),
            [] { return hardening::limitFileSize(2048); });
        ASSERT_TRUE(p.started);
        EXPECT_EQ(p.signal, 0);
        EXPECT_EQ(p.status, 1) << f.option << ": " << p.err;
        EXPECT_EQ(p.out, "");
        EXPECT_NE(p.err.find("quorva: cannot write " + out + "/Plot_LC20261206_SFU.txt." + f.extension + ": "),
                  std::string::npos)
            << p.err;
        EXPECT_NE(p.err.find("File too large"), std::string::npos) << p.err;
    }
    expectUnchanged(out, names, before);

    // Once there is room again the plots are written and pass their checks.
    for (const Format& f : kFormats) {
        const hardening::ProcessResult p = hardening::runQuorva({"plot", "--format", f.option, "--output", out, input});
        EXPECT_EQ(p.status, 0) << p.err;
        EXPECT_EQ(hardening::validatePlot(out + "/Plot_LC20261206_SFU.txt." + f.extension), "");
    }
    EXPECT_EQ(hardening::listFolder(out), names);
}

TEST_F(OutputFaults, MissingFolderOrAFolderInThePlotsPlace)
{
    // A missing folder: nothing is created anywhere.
    const std::string missing = dir / "missing/deeper";
    for (const Format& f : kFormats) {
        const hardening::ProcessResult p = hardening::runQuorva({"plot", "--format", f.option, "--output", missing, input});
        EXPECT_EQ(p.status, 1);
        EXPECT_NE(p.err.find("No such file or directory"), std::string::npos) << p.err;
    }
    EXPECT_EQ(hardening::listFolder(dir.path()), std::vector<std::string>{"LC20261206_SFU.txt"});

    // A folder where the plot file would go cannot be replaced by it.
    const std::string out = dir / "out";
    ASSERT_EQ(::mkdir(out.c_str(), 0755), 0);
    for (const Format& f : kFormats) {
        const std::string taken = out + "/Plot_LC20261206_SFU.txt." + f.extension;
        ASSERT_EQ(::mkdir(taken.c_str(), 0755), 0);
        ASSERT_TRUE(hardening::writeFile(taken + "/keep", "kept"));
        const hardening::ProcessResult p = hardening::runQuorva({"plot", "--format", f.option, "--output", out, input});
        EXPECT_EQ(p.status, 1) << p.err;
        EXPECT_NE(p.err.find("quorva: cannot write " + taken + ": "), std::string::npos) << p.err;
        EXPECT_EQ(hardening::readFile(taken + "/keep"), "kept");
    }
    EXPECT_EQ(hardening::listFolder(out).size(), 3u);
}

TEST_F(OutputFaults, HostileContentPlotsToValidFiles)
{
    // Random bytes with NULs; numbers at the ends of the float range,
    // infinities and NaN; times outside the day and running backwards; a
    // single sample; nothing at all; NaN times and values among good ones.
    std::mt19937 random(99);
    std::string binary(200000, '\0');
    for (char& c : binary)
        c = static_cast<char>(random() & 0xff);
    std::string extremes = "t\nTime_UT,1e38MHz,-1e38MHz,nanMHz\n";
    for (int i = 0; i < 500; ++i)
        extremes += std::to_string(i % 7 == 0 ? 1e30 : -i) + ",3e38,-3e38," + (i % 2 ? "inf" : "nan") + "\n";
    const std::string contents[] = {
        binary,
        extremes,
        "t\nh\n12,1e-45,1e-45,1e-45\n12,1e-45,1e-45,1e-45\n",
        "t\nh\n23.99,5,5,5\n0.01,-5,-5,-5\n30,1,2,3\n-4,1,2,3\n",
        "t\nh\n12,100,200,300",
        "",
        "t\nh\n10,1,2,3\nnan,5,6,7\n11,nan,2,3\n12,1,-nan,3\n13,4,5,6\n",
    };
    const std::string out = dir / "out";
    ASSERT_EQ(::mkdir(out.c_str(), 0755), 0);
    int n = 0;
    for (const std::string& content : contents) {
        const std::string file = dir / ("LC_hostile" + std::to_string(n) + "_SFU.txt");
        ASSERT_TRUE(hardening::writeFile(file, content));
        for (const Format& f : kFormats) {
            const hardening::ProcessResult p = hardening::runQuorva({"plot", "--format", f.option, "--output", out, file});
            ASSERT_TRUE(p.started);
            EXPECT_FALSE(p.timedOut) << n << " " << f.option;
            EXPECT_EQ(p.signal, 0) << n << " " << f.option;
            EXPECT_EQ(p.status, 0) << n << " " << f.option << ": " << p.err;
            const std::string plotFile = out + "/Plot_LC_hostile" + std::to_string(n) + "_SFU.txt." + f.extension;
            EXPECT_EQ(p.out, plotFile + "\n");
            EXPECT_EQ(hardening::validatePlot(plotFile), "") << "content " << n;
            // No coordinate made from a NaN or an infinity: no integer at
            // the end of its range, no "nan" or "inf" among the numbers.
            if (f.choice != quorva::OutputChoice::Png) {
                const std::string bytes = hardening::readFile(plotFile);
                for (const char* bad : {"2147483648", "2147483647", " nan", " inf", "-nan", "-inf"})
                    EXPECT_EQ(bytes.find(bad), std::string::npos) << "content " << n << " " << f.option << ": " << bad;
            }
        }
        ++n;
    }
    EXPECT_EQ(hardening::listFolder(out).size(), 3u * n);
}

TEST_F(OutputFaults, HostileNamesArePlottedWhole)
{
    // Conversions, blanks, PostScript and PDF string delimiters, bytes that
    // are not UTF-8, in a folder chain of about 4,000 characters.
    const std::string name = "LC%s%n(%x)\\ \xc3\x28 )\xff_SFU.txt";
    std::string folder = dir.path();
    const std::string component = "out %s%n(\xfe" + std::string(190, 'w');
    const std::size_t target = 4000 - name.size() - 10;
    while (folder.size() < target) {
        const std::size_t room = target - folder.size();
        folder += "/" + component.substr(0, std::min(component.size(), std::max<std::size_t>(room, 1)));
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0) << folder.size();
    }
    const std::string file = folder + "/" + name;
    ASSERT_TRUE(hardening::writeFile(file, hardening::lightCurveText(200)));
    ASSERT_GE(file.size() + 10, 4000u);
    for (const Format& f : kFormats) {
        const hardening::ProcessResult p = hardening::runQuorva({"plot", "--format", f.option, "--output", folder, file});
        const std::string plotFile = folder + "/Plot_" + name + "." + f.extension;
        EXPECT_EQ(p.status, 0) << f.option << ": " << p.err;
        EXPECT_EQ(p.out, plotFile + "\n");
        EXPECT_TRUE(hardening::exists(plotFile));
        EXPECT_EQ(hardening::validatePlot(plotFile), "") << f.option;
    }
    EXPECT_EQ(hardening::listFolder(folder).size(), 4u);
}

} // namespace
