#include "lightcurve/LightCurve.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

using quorva::LightCurve;

class LightCurveTest : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& content)
    {
        const std::string path = dir.path().toStdString() + "/" + name;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
        return path;
    }
    // Checks time and the three values of samples 0..n-1.
    void expectSamples(const float (*expected)[4], int n)
    {
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(lc.times[i], expected[i][0]) << "line " << i;
            EXPECT_EQ(lc.values1[i], expected[i][1]) << "line " << i;
            EXPECT_EQ(lc.values2[i], expected[i][2]) << "line " << i;
            EXPECT_EQ(lc.values3[i], expected[i][3]) << "line " << i;
        }
    }

    QTemporaryDir dir;
    LightCurve lc;
};

const std::string kHead = "Tervasol light curve KORB 2026-12-06\nTime_UT,45.0MHz,150.5MHz,410.0MHz\n";

TEST_F(LightCurveTest, ReadsTitleHeaderAndDataWithAllDerivedValues)
{
    // Every line end and a missing final line feed give the same result.
    for (const char* end : {"\n", "\r\n"}) {
        for (bool finalEnd : {true, false}) {
            std::string content = "title" + std::string(end) + "Time_UT,45.0MHz,150.5MHz,410.0MHz" + end
                                  + "10.25,12.0,30.5,7.25" + end + "10.50,49.9,3.0,8.0" + end + "10.75, 20.0,\t-2.5,9.5";
            const std::string path = write("LC_a_SFU.txt", finalEnd ? content + end : content);
            EXPECT_TRUE(lc.read(path).opened);
            EXPECT_EQ(lc.inputPath, path);
            EXPECT_EQ(lc.sampleCount, 5);
            EXPECT_EQ(lc.lineCount, 5);
            EXPECT_EQ(lc.freq1, 45.0f);
            EXPECT_EQ(lc.freq2, 150.5f);
            EXPECT_EQ(lc.freq3, 410.0f);
            const float expected[][4] = {{0, 0, 0, 0}, {0, 0, 0, 0}, {10.25f, 12, 30.5f, 7.25f}, {10.5f, 49.9f, 3, 8},
                                         {10.75f, 20, -2.5f, 9.5f}, {0, 0, 0, 0}};
            expectSamples(expected, 6);
            EXPECT_EQ(lc.timeMin, 10.25f);
            EXPECT_EQ(lc.timeMax, 10.75f);
            // Channel 1's extremes are folded over all three channels.
            EXPECT_EQ(lc.max1, 49.9f);
            EXPECT_EQ(lc.min1, -2.5f);
            EXPECT_EQ(lc.max2, 30.5f);
            EXPECT_EQ(lc.min3, 7.25f);
            EXPECT_EQ(lc.last1, 20.0f);
            EXPECT_EQ(lc.last2, -2.5f);
            EXPECT_EQ(lc.last3, 9.5f);
            EXPECT_EQ(lc.yTop, 50.0f);
            EXPECT_EQ(lc.yBottom, 0.0f);
        }
    }
}

TEST_F(LightCurveTest, PartialLinesCarryThePrecedingValues)
{
    // A line that parses before any data line did gets zeros (fresh for
    // every read, even after a file that ended with other values).
    lc.read(write("first.txt", "t\nh\n99,99,99,99\n"));
    lc.read(write("partial.txt", kHead
                                     + "garbage\n"     // 2: nothing parses, nothing set yet -> zeros
                                       "10.0,1,2,3\n"  // 3
                                       "\n"            // 4: blank -> copy of 3
                                       "10.1,4\n"      // 5: half-written -> 10.1,4,2,3
                                       "10.2,5,x,7\n"  // 6: stops at x
                                       "10.3 ,6,7,8\n" // 7: blank before the comma stops after the time
                                       "10.4,1e1,2E-1,-3.5e+1 trailing text\n"
                                       "10.5,7")); // 9: last line half written, no line feed
    ASSERT_EQ(lc.sampleCount, 10);
    const float expected[][4] = {{0, 0, 0, 0},    {0, 0, 0, 0},    {0, 0, 0, 0},    {10.0f, 1, 2, 3},
                                 {10.0f, 1, 2, 3}, {10.1f, 4, 2, 3}, {10.2f, 5, 2, 3}, {10.3f, 5, 2, 3},
                                 {10.4f, 10, 0.2f, -35}, {10.5f, 7, 0.2f, -35}};
    expectSamples(expected, 10);
    // The zeros of line 2 take part in the extremes.
    EXPECT_EQ(lc.timeMin, 0.0f);
    EXPECT_EQ(lc.min1, -35.0f);
    EXPECT_EQ(lc.yBottom, -35.0f);
    EXPECT_EQ(lc.yTop, 15.0f);

    // As with scanf's "%f", an exponent mark without digits is passed over
    // when the number has no exponent yet; after one it ends the line.
    lc.read(write("exponent.txt", "t\nh\n10.6,1e,2E+,3e-\n10.7,4e1e,5,6\n"));
    const float exponents[][4] = {{0, 0, 0, 0}, {0, 0, 0, 0}, {10.6f, 1, 2, 3}, {10.7f, 40, 2, 3}};
    expectSamples(exponents, 4);
}

TEST_F(LightCurveTest, LongLinesAreReadInPiecesThatCountAsLines)
{
    // Pieces of 179 characters: a line of exactly 179 leaves its line end
    // (LF or CRLF) as a blank line of its own, which copies the sample.
    const std::string line179 = "2.0,2,2,2" + std::string(170, ' ');
    lc.read(write("long.txt", kHead + std::string(175, ' ') + "1.25" + "5,7,8,9\n" + line179 + "\n" + line179
                                  + "\r\n" + "3.0,3,3,3" + std::string(169, ' ') + "\r\n"));
    const float expected[][4] = {{0, 0, 0, 0}, {0, 0, 0, 0}, {1.25f, 0, 0, 0}, {5, 7, 8, 9}, {2, 2, 2, 2},
                                 {2, 2, 2, 2}, {2, 2, 2, 2}, {2, 2, 2, 2}, {3, 3, 3, 3}};
    ASSERT_EQ(lc.sampleCount, 9);
    expectSamples(expected, 9);

    // A line far longer than the read buffer: 600017 = 3352 x 179 + 9.
    lc.read(write("huge.txt", kHead + std::string(600017, ' ') + "\n9.5,1,2,3\n"));
    EXPECT_EQ(lc.sampleCount, 2 + 3353 + 1);
    EXPECT_EQ(lc.last1, 1.0f);
}

TEST_F(LightCurveTest, TheStoreGrowsPastFortyThousandAndIsClearedForShorterFiles)
{
    std::string content = kHead;
    const int samples = 100000;
    char line[64];
    for (int i = 0; i < samples; ++i) {
        std::snprintf(line, sizeof line, "%.6f,%d,%d.5,%d\n", 8.0 + i / 14400.0, i, i % 100, -i);
        content += line;
    }
    const std::string path = write("big.txt", content);
    lc.read(path);
    ASSERT_EQ(lc.sampleCount, samples + 2);
    EXPECT_EQ(lc.values1[40000], 39998.0f);
    EXPECT_EQ(lc.values3[samples + 1], -99999.0f);
    EXPECT_EQ(lc.last2, 99.5f);
    EXPECT_EQ(lc.max1, 99999.0f);
    EXPECT_EQ(lc.min1, -99999.0f);

    // Reading again reuses the store; a shorter file clears what it no
    // longer covers.
    const float* data = lc.values1.data();
    lc.read(path);
    EXPECT_EQ(lc.values1.data(), data);
    lc.read(write("small.txt", kHead + "9,1,2,3\n"));
    EXPECT_EQ(lc.sampleCount, 3);
    for (int i : {3, 40000, samples + 1})
        EXPECT_TRUE(lc.times[i] == 0 && lc.values1[i] == 0 && lc.values3[i] == 0) << i;
}

TEST_F(LightCurveTest, StartValuesTakePartInTheExtremes)
{
    struct Case {
        const char* data;
        float min1, max1, yBottom, yTop;
    };
    const Case cases[] = {
        {"1,1200,1500,1100\n1,2000,1001,3000\n", 1000, 3000, 1000, 3005},
        {"1,-1200,-1500,-1100\n", -1500, -1000, -1500, -995},
        {"1,50,12,20\n", 12, 50, 10, 55},
        {"1,-7,-3.5,-8\n", -8, -3.5f, -5, 5},
        {"1,-3,-3,-3\n", -3, -3, 0, 5},
        {"1,-7,-7,-7\n", -7, -7, -5, 0},
    };
    for (const Case& c : cases) {
        lc.read(write("x.txt", kHead + c.data));
        EXPECT_EQ(lc.min1, c.min1) << c.data;
        EXPECT_EQ(lc.max1, c.max1) << c.data;
        EXPECT_EQ(lc.yBottom, c.yBottom) << c.data;
        EXPECT_EQ(lc.yTop, c.yTop) << c.data;
        EXPECT_EQ(std::signbit(lc.yBottom), c.yBottom < 0) << c.data; // never "-0"
        EXPECT_EQ(std::signbit(lc.yTop), c.yTop < 0) << c.data;
    }
    lc.read(write("t.txt", kHead + "25,1,1,1\n-1,1,1,1\n"));
    EXPECT_EQ(lc.timeMax, 25.0f);
    EXPECT_EQ(lc.timeMin, -1.0f);
}

TEST_F(LightCurveTest, FilesThatCannotBeReadLeaveTheStartValues)
{
    EXPECT_EQ(lc.yTop, -995.0f); // before any read
    EXPECT_EQ(lc.yBottom, 1000.0f);
    const std::string good = write("good.txt", kHead + "10,1,2,3\n11,4,5,6\n");
    const std::string missing = dir.path().toStdString() + "/missing.txt";
    struct Case {
        std::string path;
        bool opened;
        int error;
        int sampleCount;
    };
    const Case cases[] = {{missing, false, ENOENT, 4}, {"", false, -1, 4},
                          {dir.path().toStdString(), false, EISDIR, 4}, {write("empty.txt", ""), true, 0, 0}};
    for (const Case& c : cases) {
        ASSERT_EQ(lc.read(good).opened, true);
        const quorva::ReadResult r = lc.read(c.path);
        EXPECT_EQ(r.opened, c.opened) << c.path;
        if (c.error >= 0)
            EXPECT_EQ(c.opened ? r.readError : r.openError, c.error) << c.path;
        EXPECT_EQ(lc.inputPath, c.path);
        EXPECT_EQ(lc.sampleCount, c.sampleCount) << c.path;
        EXPECT_EQ(lc.freq1, 45.0f);
        EXPECT_EQ(lc.timeMin, 24.0f);
        EXPECT_EQ(lc.timeMax, 0.0f);
        EXPECT_EQ(lc.max1, -1000.0f);
        EXPECT_EQ(lc.min1, 1000.0f);
        EXPECT_EQ(lc.yTop, -995.0f);
        EXPECT_EQ(lc.last3, 0.0f);
        for (int i = 0; i < 5; ++i)
            EXPECT_TRUE(lc.times[i] == 0 && lc.values3[i] == 0) << c.path << " " << i;
    }
}

TEST_F(LightCurveTest, LongPathsAndGrowingFiles)
{
    std::string folder = dir.path().toStdString();
    for (int i = 0; i < 6; ++i)
        folder += "/" + std::string(50, static_cast<char>('a' + i));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    const std::string path = folder + "/LC20261206_SFU.txt";
    std::ofstream(path, std::ios::binary) << kHead << "10,1,2,3\n10.5,4,5,6";
    ASSERT_TRUE(lc.read(path).opened);
    EXPECT_EQ(lc.inputPath, path);
    EXPECT_EQ(lc.sampleCount, 4);
    EXPECT_EQ(lc.last3, 6.0f);
    // The acquisition software finishes the line and appends another.
    std::ofstream(path, std::ios::binary | std::ios::app) << "5\n11,7,8,9\n";
    lc.read(path);
    EXPECT_EQ(lc.sampleCount, 5);
    EXPECT_EQ(lc.values3[3], 65.0f);
    EXPECT_EQ(lc.last3, 9.0f);
}

} // namespace
