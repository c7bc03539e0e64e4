// The light-curve reader on worked examples of the derived values that
// fold the channels, samples in a window, and on hostile files (50 MB
// without a line feed, files that shrink, cannot be read or are not
// regular files). Lines, pieces of 179 characters, NUL bytes, cut last
// lines and random files against fgets/sscanf, and entries past the count
// cleared from read to read: the light-curve fuzz target's checks in
// tests/hardening/.

#include "lightcurve/LightCurve.h"
#include "support/Support.h"

#include <cerrno>
#include <cmath>

#include <sys/stat.h>

namespace {

using namespace qtest;
using quorva::LightCurve;

const std::string kHead = "Tervasol light curve KORB 2026-12-06\nTime_UT,45.0MHz,150.5MHz,410.0MHz\n";

// (Lines and pieces of 179 characters, samples, frequencies, times and last
// values, the extremes of channels 2 and 3, with either line end: the
// light-curve fuzz target's comparison with fgets/sscanf, tests/hardening/.)
TEST(Reader, ChannelOneExtremesFoldAllChannelsAndTheYRangeIsInFives)
{
    TempDir dir;
    LightCurve lc;
    // Start values take part in the extremes; the y range is never "-0".
    struct Case {
        const char* data;
        float min1, max1, yBottom, yTop;
    };
    for (const Case& c :
        {Case {"10.25,12.0,30.5,7.25\n10.50,49.9,3.0,8.0\n10.75, 20.0,\t-2.5,9.5", -2.5f, 49.9f, 0, 50},
            Case {"1,1200,1500,1100\n1,2000,1001,3000\n", 1000, 3000, 1000, 3005},
            Case {"1,-1200,-1500,-1100\n", -1500, -1000, -1500, -995}, Case {"1,50,12,20\n", 12, 50, 10, 55},
            Case {"1,-3,-3,-3\n", -3, -3, 0, 5}}) {
        writeFile(dir / "x.txt", kHead + c.data);
        ASSERT_TRUE(lc.read(dir / "x.txt").opened && lc.inputPath == dir / "x.txt");
        EXPECT_EQ((std::vector<float> {lc.min1, lc.max1, lc.yBottom, lc.yTop}),
            (std::vector<float> {c.min1, c.max1, c.yBottom, c.yTop}))
            << c.data;
        EXPECT_FALSE(std::signbit(lc.yTop) != (c.yTop < 0) || std::signbit(lc.yBottom) != (c.yBottom < 0)) << c.data;
    }
}

TEST(Reader, SamplesAreTheDataLinesWhoseTimeParsesInTheFileAndInAWindow)
{
    TempDir dir;
    LightCurve lc;
    writeFile(dir / "s.txt", kHead + "10.25,1,2,3\n\ngarbage,4\nTime_UT,1MHz,2MHz,3MHz\n10.5,4,5,6\n 10.75,7\n");
    struct Case {
        double from, to;
        int points, samples;
    };
    // The whole file, then windows: lines without a time carry the one before.
    for (const Case c : {Case {-1, 99, 8, 3}, {10.3, 11, 2, 2}, {10, 10.3, 3, 1}, {11, 12, 0, 0}}) {
        ASSERT_TRUE(lc.read(dir / "s.txt").opened);
        if (c.from >= 0) lc.keepWindow(c.from, c.to);
        EXPECT_EQ(std::pair(lc.sampleCount, lc.timedSampleCount), std::pair(c.points, c.samples)) << c.from;
    }
    writeFile(dir / "h.txt", kHead);
    EXPECT_EQ((lc.read(dir / "h.txt"), std::pair(lc.sampleCount, lc.timedSampleCount)), std::pair(2, 0));
}

TEST(Reader, AShorterFileClearsTheRestAndFilesThatCannotBeReadLeaveStartValues)
{
    TempDir dir;
    LightCurve lc;
    writeFile(dir / "big.txt", lightCurveText(100000, 0, "\n"));
    ASSERT_EQ((lc.read(dir / "big.txt"), lc.sampleCount), 100002);
    writeFile(dir / "good.txt", kHead + "10,1,2,3\n11,4,5,6\n");
    lc.read(dir / "good.txt");
    for (int i : {4, 40000, 100001}) EXPECT_TRUE(lc.times[i] == 0 && lc.values1[i] == 0 && lc.values3[i] == 0) << i;
    struct Case {
        std::string path;
        bool opened;
        int error, sampleCount;
    };
    writeFile(dir / "empty", "");
    for (const Case& c : {Case {dir / "missing", false, ENOENT, 4}, Case {"", false, -1, 4},
             Case {dir.path(), false, EISDIR, 4}, Case {dir / "empty", true, 0, 0}}) {
        ASSERT_TRUE(lc.read(dir / "good.txt").opened);
        const quorva::ReadResult r = lc.read(c.path);
        EXPECT_EQ(r.opened, c.opened) << c.path;
        EXPECT_TRUE(c.error < 0 || (c.opened ? r.readError : r.openError) == c.error) << c.path;
        // Count and frequencies kept from the last good read, all else cleared.
        EXPECT_EQ(lc.sampleCount, c.sampleCount) << c.path;
        EXPECT_EQ(
            (std::vector<float> {lc.freq1, lc.timeMin, lc.timeMax, lc.max1, lc.min1, lc.yTop, lc.last3, lc.times[3]}),
            (std::vector<float> {45, 24, 0, -1000, 1000, -995, 0, 0}))
            << c.path;
    }
}

TEST(HostileLightCurve, FiftyMegabytesWithoutLineFeedInOnePass)
{
    TempDir dir;
    const std::string path = dir / "LC_huge_SFU.txt";
    std::string all;
    while (all.size() < (50u << 20)) all += "12.5,100.25,-3e2,7,";
    writeFile(path, all.substr(0, 50u << 20));
    const std::int32_t pieces = std::int32_t((50u * 1024u * 1024u + 178) / 179);
    LightCurve lc;
    EXPECT_TRUE(lc.read(path).readError == 0 && lc.sampleCount == pieces) << lc.sampleCount;
    const RunResult p = runQuorva({"stats", path});
    EXPECT_NE(p.out.find("Data Points: " + std::to_string(pieces) + "\n"), std::string::npos) << p.out;
}

TEST(HostileLightCurve, UnreadableAndNotRegularFilesAreRefusedWithoutWaiting)
{
    TempDir dir;
    const std::string path = dir / "LC20261206_SFU.txt";
    writeFile(path, lightCurveText(20));
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
    // Root reads any file: the refusal is seen as "nobody".
    RunResult p = runQuorva({"stats", path}, {.uid = kNobody});
    EXPECT_TRUE(p.status == 2 && p.err.find(path + ": Permission denied") != std::string::npos) << p.err;
    // A reader that waited for a FIFO's writer or read an endless device
    // would never return.
    for (const std::string& bad : {dir.path(), dir / "fifo", std::string("/dev/zero")}) {
        p = runQuorva({"stats", bad}, {.timeout = Seconds(20)});
        EXPECT_TRUE(!p.timedOut && p.status == 2 && p.err.find(bad) != std::string::npos) << bad << ": " << p.err;
    }
    // (The re-plot of a file it cannot open still plots: replot_test.)
}

// Growing the four sample arrays for a long file: all of them or none, also
// when an allocation fails half-way.
TEST(StoreGrowth, AFailedAllocationLeavesFourArraysOfOneSize)
{
    TempDir dir;
    const int lines = int(LightCurve::kMinimumCapacity) + 500;
    std::string text = "Tervasol\nTime_UT,45.0MHz,150.5MHz,410.0MHz\n";
    for (int i = 2; i < lines; ++i)
        text += std::to_string(i) + ",1," + std::to_string(i % 7) + "," + std::to_string(i) + "\n";
    ASSERT_TRUE(writeFile(dir / "lc.txt", text));
    for (int failing = 1; failing <= 4; ++failing) {
        LightCurve lc;
        quorva::failArrayGrowthAllocationForTests(failing);
        const quorva::ReadResult r = lc.read(dir / "lc.txt");
        quorva::failArrayGrowthAllocationForTests(0);
        EXPECT_EQ(r.readError, ENOMEM) << failing;
        for (const quorva::SampleArray* a : {&lc.values1, &lc.values2, &lc.values3})
            EXPECT_EQ(a->size(), lc.times.size()) << failing;
        ASSERT_GT(lc.sampleCount, 2) << failing;
        EXPECT_LE(std::size_t(lc.sampleCount), lc.times.size()) << failing;
        const std::size_t last = std::size_t(lc.sampleCount) - 1;
        EXPECT_TRUE(lc.last3 == float(last) && lc.times[last] == float(last)) << failing;
        // The next read, with memory, takes the whole file.
        EXPECT_EQ(lc.read(dir / "lc.txt").readError, 0);
        EXPECT_TRUE(lc.sampleCount == lines && lc.values3.size() == lc.times.size() && lc.last3 == float(lines - 1));
    }
}

} // namespace
